#pragma once
// The amplifier's system constants N and k (device memory 0x90..0x97, two
// singles) saved to the backup folder before the system calibration
// overwrites them, and put back from such a file (qm07ctl restore).
#include "sensor/backup.h"

#include <QByteArray>
#include <QString>

namespace qm {

class DeviceConnection;

inline constexpr int kConstantsAddress = 0x90; // names the file: device-90-<date>-<time>.bin
inline constexpr int kConstantsBytes = 8;

// True for a file name of a constants backup.
bool IsConstantsBackupName(const QString& fileName);

// Reads the 8 bytes and writes them to folder (DefaultBackupFolder() when
// empty). Not ok when a byte did not arrive: then nothing may be written.
BackupResult BackUpConstants(DeviceConnection& link, const QString& folder = {});

// Writes the 8 bytes of a constants backup back and reads them again: the
// 1-based position of the first byte that does not hold, 0 when all do, -1
// for a file that is not 8 bytes long.
int RestoreConstants(DeviceConnection& link, const QByteArray& bytes);

// Reads the 8 bytes again: the 1-based position of the first that does not
// hold bytes' (8 long), 0 when all do.
int ConstantsDifference(DeviceConnection& link, const QByteArray& bytes);

} // namespace qm
