#pragma once
// What a capture takes from the live signal, for the curve page and the
// verification page alike.
#include "calibration/calibrationcontext.h"
#include "calibration/stability.h"

#include <functional>
#include <optional>

namespace qm {

// The live signal in mV/V; empty while the latest reply was no reading.
using LiveSignalSource = std::function<std::optional<double>()>;
// The samples of the stability window, when it watches the signal.
using CaptureWindowSource = std::function<std::optional<CaptureWindow>()>;

struct CapturedLevel {
    double signal = 0;  // mV/V
    double spread = -1; // of the window in display units; < 0: the signal was not watched
    // The device's displayed value averaged over the same window, and the
    // standard deviation of that mean; absent when the signal was not watched.
    std::optional<double> indicated;
    double indicatedSd = 0;
};

// The settled window's means; while the signal settles, the latest reading
// (the indication still the window's mean) and only when the technician
// agrees. nullopt, after the message or the question, when there is nothing
// to take or the technician declines. watched: a stability window exists.
std::optional<CapturedLevel> TakeLevel(const CalibrationContext& ctx, std::optional<double> live,
                                       const std::optional<CaptureWindow>& window, bool watched);

} // namespace qm
