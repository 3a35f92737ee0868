#include "calibration/linearity.h"

#include "calibration/workingcurve.h"

#include <cmath>

namespace qm {

std::optional<StraightLine> FitStraightLine(const std::vector<CurvePoint>& points) {
    if (points.size() < 2) return std::nullopt;
    double meanSignal = 0, meanValue = 0;
    for (const CurvePoint& p : points) {
        if (!std::isfinite(p.signal) || !std::isfinite(p.value)) return std::nullopt;
        meanSignal += p.signal;
        meanValue += p.value;
    }
    const double n = static_cast<double>(points.size());
    meanSignal /= n;
    meanValue /= n;
    // Sums about the means: no cancellation for points far from zero.
    double sxx = 0, sxy = 0;
    for (const CurvePoint& p : points) {
        sxx += (p.signal - meanSignal) * (p.signal - meanSignal);
        sxy += (p.signal - meanSignal) * (p.value - meanValue);
    }
    if (sxx == 0) return std::nullopt;
    const double slope = sxy / sxx;
    return StraightLine{meanValue - slope * meanSignal, slope};
}

double FullScaleOf(const std::vector<CurvePoint>& points) {
    double fs = 0;
    for (const CurvePoint& p : points)
        fs = std::max(fs, std::abs(p.value));
    return fs;
}

std::optional<Linearity> AnalyseLinearity(const std::vector<CurvePoint>& points) {
    const std::optional<StraightLine> line = FitStraightLine(points);
    const double fs = FullScaleOf(points);
    if (!line || fs == 0) return std::nullopt;
    Linearity out{*line, fs, {}, 0, -1};
    for (const CurvePoint& p : points) {
        const double d = (p.value - line->at(p.signal)) / fs * 100.0;
        if (std::abs(d) > out.nonLinearityPct || out.worstPoint < 0) {
            out.nonLinearityPct = std::abs(d);
            out.worstPoint = static_cast<int>(out.deviationPct.size());
        }
        out.deviationPct.push_back(d);
    }
    return out;
}

QString NonLinearityFigure(double pct) {
    return QStringLiteral("%1 % FS").arg(pct, 0, 'f', 3);
}

std::vector<CurvePoint> CurvePoints(const WorkingCurve& curve) {
    std::vector<CurvePoint> out;
    for (int i = 1; i <= curve.pointCount(); ++i)
        out.push_back({curve.pointAt(i).signal, curve.pointAt(i).value});
    return out;
}

} // namespace qm
