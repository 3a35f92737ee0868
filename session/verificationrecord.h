#pragma once
// A verification as the history keeps it, for the window and qm07ctl alike.
#include "calibration/verification.h"
#include "records/calibrationrecord.h"
#include "sensor/sensorrecord.h"

#include <vector>

namespace qm {

// The range the % FS figures refer to: the largest load of the sensor's curve
// or of the references, whichever is larger.
double VerificationFullScale(const SensorRecord& rec, const std::vector<VerificationPoint>& series);

// rec (made by the caller with its kind, time, operator and device) takes the
// sensor's serial number, the block the device reads its curve from (as
// read: nothing is written into it), the points, the figures' inputs and the
// verdict: "pass", "fail", or "not verified" without points.
void FillVerificationRecord(CalibrationRecord& rec, const SensorSession& sensor,
                            const std::vector<VerificationPoint>& series,
                            const VerificationInputs& inputs, const VerificationSummary& summary);

} // namespace qm
