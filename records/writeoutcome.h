#pragma once
// What a block write adds to its history record: the block, the images
// before and after, the points the written image holds, and the outcome.
#include "records/calibrationrecord.h"
#include "sensor/writer.h"

namespace qm {

struct SensorRecord;

// Sets block, the image before (the backup's bytes) and its path, the image
// after (what was written, when it went out whole), the bytes sent and the
// result with a one-line English text, from the save's report.
void FillWriteOutcome(CalibrationRecord& r, const SaveReport& report);

// The same for a write of the device constants N and k (block -1):
// firstDifference is the 1-based byte that did not hold, 0 when all did.
void FillConstantsOutcome(CalibrationRecord& r, const QByteArray& written,
                          const QString& backupPath, int firstDifference);

// Sets the serial number and the points (signal, reference) of a stored record.
void FillStoredPoints(CalibrationRecord& r, const SensorRecord& sensor);

// The serial number and points that an image of block (group, 0) holds; false
// when it does not decode (nothing set then).
bool FillPointsFromImage(CalibrationRecord& r, const QByteArray& image, int group);

} // namespace qm
