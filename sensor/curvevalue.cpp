#include "sensor/curvevalue.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace qm {

double CurveValueAt(const SensorRecord& rec, double signal) {
    const int n = std::clamp(rec.PointCount, 0, SensorRecord::kMaxPoints);
    if (n < 2) return signal;
    std::vector<std::pair<double, double>> points;
    for (size_t i = 0; i < size_t(n); ++i)
        points.emplace_back(rec.Signal[i], rec.Value[i]);
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t i = 1;
    while (i + 1 < points.size() && signal > points[i].first)
        ++i;
    const auto [x0, y0] = points[i - 1];
    const auto [x1, y1] = points[i];
    if (x1 == x0) return y0;
    return y0 + (signal - x0) * (y1 - y0) / (x1 - x0);
}

} // namespace qm
