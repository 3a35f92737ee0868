#include "sensor/curvevalue.h"

#include "sensor/curveinterpolation.h"

#include <algorithm>
#include <vector>

namespace qm {

double CurveValueAt(const SensorRecord& rec, double signal) {
    const int n = std::clamp(rec.PointCount, 0, SensorRecord::kMaxPoints);
    std::vector<CurvePoint> points;
    for (size_t i = 0; i < size_t(n); ++i)
        points.push_back({rec.Signal[i], rec.Value[i]});
    SortBySignal(points);
    return InterpolateCurve(points, signal).value_or(signal);
}

} // namespace qm
