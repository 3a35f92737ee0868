#include "calibration/updatecalibration.h"

#include "calibration/curvepage.h"
#include "calibration/sensorpage.h"
#include "sensor/sensorrecord.h"

#include <QCheckBox>

namespace qm {

void showRecordOnPages(const CalibrationContext& ctx, SensorPage& sensorPage,
                       CurvePage& curvePage) {
    const SensorRecord& rec = ctx.session.CurrentRecord;
    sensorPage.ShowRecord();
    curvePage.bit24Box()->setChecked((rec.Flags & kFlag24Bit) != 0);
    curvePage.fillPointList();
}

} // namespace qm
