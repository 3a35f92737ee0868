#pragma once
// The value a stored curve gives for a signal, as the device converts it:
// straight lines between the points taken in order of signal, the first and
// last lines extended beyond the ends.
#include "sensor/sensorrecord.h"

namespace qm {

// The record's points 0..PointCount-1; with fewer than two points the signal
// itself, and with two points of one signal the first one's value.
double CurveValueAt(const SensorRecord& rec, double signal);

} // namespace qm
