#pragma once
// showRecordOnPages: CurrentRecord onto the sensor page, the working curve and
// the curve page. The window shows the unit and INT/EXT on its own labels
// (IntExtFor in sensorfields.h).
#include "calibration/calibrationcontext.h"

namespace qm {

class CurvePage;
class SensorPage;

void showRecordOnPages(const CalibrationContext& ctx, SensorPage& sensorPage, CurvePage& curvePage);

} // namespace qm
