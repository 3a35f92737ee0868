#include "records/writeoutcome.h"

#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/sensorrecord.h"

#include <QFile>
#include <algorithm>

namespace qm {

namespace {

// The record keeps the backup's bytes beside its path: the file may go, the history stays.
void takeBackup(CalibrationRecord& r, const QString& path) {
    r.backupPath = path;
    QFile backup(path);
    r.imageBefore = backup.open(QIODevice::ReadOnly) ? backup.read(kBlockBytes) : QByteArray();
}

} // namespace

void FillWriteOutcome(CalibrationRecord& r, const SaveReport& report) {
    r.block = BlockNumber(report.group, 0);
    r.backupPath = report.backupPath;
    r.imageBefore = report.imageBefore;
    r.imageAfter = report.writeResult == 0 ? report.imageAfter : QByteArray();
    r.bytesSent = report.bytesSent;
    if (report.writeResult != 0) {
        r.result = report.writeResult;
        r.resultText = QStringLiteral("the write stopped midway; the block is incomplete");
    } else if (report.readBack == ReadBack::Agrees) {
        r.result = kRecordDone;
        r.resultText = QStringLiteral("written and read back");
    } else {
        r.result = kRecordNotConfirmed;
        r.resultText = report.readBack == ReadBack::Differs
                           ? QStringLiteral("written, but the read-back differs at byte %1")
                                 .arg(report.firstDifference)
                           : QStringLiteral("written, but the block could not be read back");
    }
}

void FillConstantsOutcome(CalibrationRecord& r, const QByteArray& written,
                          const QString& backupPath, int firstDifference) {
    r.block = -1;
    takeBackup(r, backupPath);
    r.imageAfter = written;
    r.result = firstDifference == 0 ? kRecordDone : kRecordNotConfirmed;
    r.resultText =
        firstDifference == 0
            ? QStringLiteral("written and read back")
            : QStringLiteral("written, but the read-back differs at byte %1").arg(firstDifference);
}

void FillStoredPoints(CalibrationRecord& r, const SensorRecord& sensor) {
    r.serialNo = sensor.SerialNo.trimmed();
    r.points.clear();
    const int n = std::clamp(sensor.PointCount, 0, SensorRecord::kMaxPoints);
    for (int i = 0; i < n; ++i)
        r.points.push_back(
            {sensor.Signal[i], sensor.Value[i], std::nullopt, std::nullopt, std::nullopt});
}

bool FillPointsFromImage(CalibrationRecord& r, const QByteArray& image, int group) {
    SensorRecord sensor;
    if (DecodePaddedImage(image, sensor, group, 0) < 1) return false;
    FillStoredPoints(r, sensor);
    return true;
}

} // namespace qm
