#include "sensor/curveinterpolation.h"

#include <algorithm>
#include <tuple>

namespace qm {

void SortBySignal(std::vector<CurvePoint>& points) {
    std::sort(points.begin(), points.end(), [](const CurvePoint& a, const CurvePoint& b) {
        return std::tie(a.signal, a.value) < std::tie(b.signal, b.value);
    });
}

std::optional<double> InterpolateCurve(const std::vector<CurvePoint>& bySignal, double signal) {
    if (bySignal.size() < 2) return std::nullopt;
    // The segment that holds the signal; below the first or above the last
    // point the end segment carries on.
    size_t i = 1;
    while (i + 1 < bySignal.size() && signal > bySignal[i].signal)
        ++i;
    const CurvePoint& a = bySignal[i - 1];
    const CurvePoint& b = bySignal[i];
    if (b.signal == a.signal) return a.value;
    return a.value + (signal - a.signal) * (b.value - a.value) / (b.signal - a.signal);
}

} // namespace qm
