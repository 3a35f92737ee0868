#pragma once
// showRecordOnPages: CurrentRecord onto the sensor page and the working curve
// (filled from it by the session) onto the curve page. The window shows the unit and INT/EXT on its
// own labels (IntExtFor in sensorfields.h).
#include "calibration/calibrationcontext.h"

namespace qm {

class CurvePage;
class SensorPage;

void showRecordOnPages(const CalibrationContext& ctx, SensorPage& sensorPage, CurvePage& curvePage);

} // namespace qm
