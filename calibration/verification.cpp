#include "calibration/verification.h"

#include "core/numformat.h"
#include "core/settings.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::vector<LoadDirection> LoadDirections(const std::vector<VerificationPoint>& series,
                                          double digit) {
    std::vector<LoadDirection> out;
    LoadDirection d = LoadDirection::Ascending;
    for (size_t i = 0; i < series.size(); ++i) {
        if (i > 0) {
            const double step = series[i].reference - series[i - 1].reference;
            if (step > digit) d = LoadDirection::Ascending;
            if (step < -digit) d = LoadDirection::Descending;
        }
        out.push_back(d);
    }
    return out;
}

namespace {

struct Indications {
    double lo = 0, hi = 0, sum = 0;
    int n = 0;
    void add(double v) {
        lo = n ? std::min(lo, v) : v;
        hi = n ? std::max(hi, v) : v;
        sum += v;
        ++n;
    }
    double mean() const { return sum / n; }
};

} // namespace

std::vector<LoadGroup> GroupByLoad(const std::vector<VerificationPoint>& series,
                                   const std::vector<LoadDirection>& directions, double digit) {
    std::vector<LoadGroup> groups;
    for (size_t i = 0; i < series.size(); ++i) {
        auto g = std::find_if(groups.begin(), groups.end(), [&](const LoadGroup& x) {
            return std::abs(x.reference - series[i].reference) <= digit;
        });
        if (g == groups.end())
            g = groups.insert(groups.end(), LoadGroup{series[i].reference, {}, 0, 0});
        g->points.push_back(static_cast<int>(i));
    }
    for (LoadGroup& g : groups) {
        Indications up, down;
        for (int i : g.points)
            (directions[size_t(i)] == LoadDirection::Descending ? down : up)
                .add(series[size_t(i)].indicated);
        if (up.n && down.n) g.hysteresis = down.mean() - up.mean();
        g.repeatability = std::max(up.hi - up.lo, down.hi - down.lo);
    }
    return groups;
}

VerificationSummary Verify(const std::vector<VerificationPoint>& series,
                           const VerificationInputs& in) {
    VerificationSummary s;
    const std::vector<LoadDirection> directions = LoadDirections(series, in.digit);
    s.groups = GroupByLoad(series, directions, in.digit);
    const bool usable = in.fullScale > 0 && !series.empty();
    const double perFS = usable ? 100 / in.fullScale : 0;
    const double allowed = in.tolerancePct * in.fullScale / 100;
    // Hysteresis and repeatability count as rectangular over their whole width.
    const double sqrt12 = std::sqrt(12.0);
    s.pass = usable;
    for (size_t i = 0; i < series.size(); ++i) {
        const VerificationPoint& p = series[i];
        const LoadGroup& g =
            *std::find_if(s.groups.begin(), s.groups.end(), [&](const LoadGroup& x) {
                return std::find(x.points.begin(), x.points.end(), int(i)) != x.points.end();
            });
        const double uRef = std::abs(p.reference) * in.referenceUPct / 100 / kCoverageFactor;
        const double uDigit = in.digit / sqrt12;
        const double uHyst = std::abs(g.hysteresis) / sqrt12;
        const double uRep = g.repeatability / sqrt12;
        PointVerdict v;
        v.direction = directions[i];
        v.error = p.indicated - p.reference;
        v.errorFS = v.error * perFS;
        v.uncertainty = std::sqrt(uRef * uRef + uDigit * uDigit + p.spread * p.spread +
                                  uHyst * uHyst + uRep * uRep);
        v.expanded = kCoverageFactor * v.uncertainty;
        s.maxErrorFS = std::max(s.maxErrorFS, std::abs(v.errorFS));
        s.maxExpanded = std::max(s.maxExpanded, v.expanded);
        if (!(std::abs(v.error) + v.expanded <= allowed)) s.pass = false;
        s.points.push_back(v);
    }
    for (const LoadGroup& g : s.groups) {
        s.hysteresisFS = std::max(s.hysteresisFS, std::abs(g.hysteresis) * perFS);
        s.repeatabilityFS = std::max(s.repeatabilityFS, g.repeatability * perFS);
    }
    return s;
}

namespace {

double percentSetting(const SettingsStore& settings, const QString& key, double fallback) {
    const auto v = ReadTypedNumber(settings.value(QStringLiteral("Verification"), key));
    return v && std::isfinite(*v) && *v >= 0 ? *v : fallback;
}

} // namespace

double ToleranceSetting(const SettingsStore& settings) {
    return percentSetting(settings, QStringLiteral("Tolerance"), 0.1);
}

double ReferenceUncertaintySetting(const SettingsStore& settings) {
    return percentSetting(settings, QStringLiteral("ReferenceUncertainty"), 0);
}

} // namespace qm
