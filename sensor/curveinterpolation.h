#pragma once
// The calibration curve as the device applies it: straight between
// neighbouring points, the end segments extended beyond the first and last.
#include <optional>
#include <vector>

namespace qm {

struct CurvePoint {
    double signal = 0; // mV/V
    double value = 0;  // reference value in the sensor's unit
};

// Sorted by signal, equal signals by value, as the device orders them on loading.
void SortBySignal(std::vector<CurvePoint>& points);

// The value at signal; nullopt with fewer than two points. Expects the points
// sorted by signal; of two points with one signal the first one counts.
std::optional<double> InterpolateCurve(const std::vector<CurvePoint>& bySignal, double signal);

} // namespace qm
