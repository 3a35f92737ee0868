#include "calibration/stability.h"

#include "core/numformat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

double DisplayDigit(const QString& mask, double level) {
    bool scientific = false;
    const int decimals = MaskDecimals(mask, &scientific);
    int exponent = 0;
    if (scientific && level != 0 && std::isfinite(level))
        exponent = static_cast<int>(std::floor(std::log10(std::abs(level))));
    return std::pow(10.0, exponent - decimals);
}

StabilityDetector::StabilityDetector(const StabilitySettings& settings) {
    setSettings(settings);
}

void StabilityDetector::setSettings(const StabilitySettings& settings) {
    m_settings = settings;
    m_settings.windowMs = std::max(1, m_settings.windowMs);
    m_settings.trendMs = std::max(m_settings.windowMs, m_settings.trendMs);
    if (!(m_settings.digit > 0)) m_settings.digit = 1;
    evaluate();
}

void StabilityDetector::clear() {
    m_trend.clear();
    evaluate();
}

void StabilityDetector::setNow(qint64 nowMs) {
    if (nowMs <= m_nowMs) return;
    m_nowMs = nowMs;
    evaluate();
}

LiveState StabilityDetector::state() const {
    if (!m_current) return LiveState::NoReading;
    return m_stable ? LiveState::Stable : LiveState::Settling;
}

void StabilityDetector::add(const LiveSample& s) {
    if (!std::isfinite(s.signal) || !std::isfinite(s.display) || !std::isfinite(s.count)) return;
    if (!m_trend.empty() && s.tMs < m_trend.back().tMs) return;
    if (m_trend.empty() || s.tMs - m_trend.back().tMs > m_settings.windowMs)
        m_watchedSinceMs = s.tMs;
    m_trend.push_back(s);
    m_nowMs = std::max(m_nowMs, s.tMs);
    while (m_trend.front().tMs < s.tMs - m_settings.trendMs)
        m_trend.pop_front();
    evaluate();
}

namespace {
struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    double sum = 0, squares = 0;
    void add(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
        squares += v * v;
    }
    // Of n values: the sample standard deviation over sqrt(n).
    double sdMean(int n) const {
        if (n < 2) return 0;
        const double mean = sum / n;
        return std::sqrt(std::max(0.0, (squares - n * mean * mean) / (n - 1)) / n);
    }
};
} // namespace

void StabilityDetector::evaluate() {
    m_window = {};
    m_stable = false;
    m_current = false;
    if (m_trend.empty()) return;
    const qint64 now = std::max(m_nowMs, m_trend.back().tMs);
    Range signal, display, count;
    int n = 0;
    for (auto it = m_trend.rbegin(); it != m_trend.rend() && it->tMs >= now - m_settings.windowMs;
         ++it, ++n) {
        signal.add(it->signal);
        display.add(it->display);
        count.add(it->count);
    }
    if (n == 0) return;
    m_current = now - m_trend.back().tMs <= kLiveStaleMs;
    m_window = {n,
                signal.sum / n,
                display.sum / n,
                count.sum / n,
                signal.hi - signal.lo,
                display.hi - display.lo,
                count.hi - count.lo,
                display.sdMean(n)};
    // Display values travel as singles: allow their rounding, far below a digit.
    const double rounding = std::max(std::abs(display.lo), std::abs(display.hi)) * 4 *
                            std::numeric_limits<float>::epsilon();
    const double allowed = m_settings.digits * m_settings.digit;
    m_stable = m_current && now - m_watchedSinceMs >= m_settings.windowMs &&
               m_window.spreadDisplay <= allowed + rounding + m_settings.digit * 1e-6;
}

bool AutoCaptureDue(bool stable, double level, const std::vector<double>& capturedLevels,
                    double fullScale, double fraction) {
    if (!stable || !(fullScale > 0) || !std::isfinite(level)) return false;
    const double minDistance = std::abs(fullScale) * fraction;
    return std::all_of(capturedLevels.begin(), capturedLevels.end(),
                       [&](double c) { return std::abs(level - c) >= minDistance; });
}

} // namespace qm
