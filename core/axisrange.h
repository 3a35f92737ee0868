#pragma once
// How a plot's axis is ranged and ticked, on the screen and on paper alike:
// a margin around the data, round tick steps and as many decimals as they need.
#include <utility>
#include <vector>

namespace qm {

// The narrowest axes of a calibration curve: signal in mV/V, value in its unit.
inline constexpr double kCurveMinSignalSpan = 0.1;
inline constexpr double kCurveMinValueSpan = 1e-6;

// [lo, hi] widened by 5% on each side, at least minSpan wide.
std::pair<double, double> PaddedRange(double lo, double hi, double minSpan);

// The tick step for a range: 1, 2 or 5 times a power of ten, at most four
// steps across; 0 for an empty or infinite range.
double TickStep(std::pair<double, double> range);

// The range widened to the next half tick step at each end, so that a range
// that wobbles a little stays the same.
std::pair<double, double> SnappedRange(std::pair<double, double> range);

// The ticks within the range: whole multiples of its step, at most a dozen
// (a narrow range far from zero cannot add its step); none without a step.
std::vector<double> Ticks(std::pair<double, double> range);

// The decimals a label of ticks that far apart needs.
int StepDecimals(double step);

} // namespace qm
