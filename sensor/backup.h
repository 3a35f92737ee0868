#pragma once
// Nothing lost: before a configuration block is written, the block as it
// stands on the device goes to a file of its own in the user's data folder.
#include "sensor/reader.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace qm {

// <data home>/QM-07R, where backups and the local calibration history live;
// empty when the system names no data folder.
QString DefaultDataFolder();

// DefaultDataFolder()/backups; empty when there is no data folder.
QString DefaultBackupFolder();

// The serial number as it may stand in a file name: trimmed, letters, digits,
// "-" and "_" only; "unknown" otherwise.
QString BackupSerial(const QString& serialNo);

// "<serial>-<block>-<yyyyMMdd-HHmmss>.bin", block as two hex digits (00, 80).
QString BackupFileName(const QString& serialNo, int block, const QDateTime& when);

// The block named by a backup's file name (the part after the serial), or -1.
int BlockFromBackupName(const QString& fileName);

struct BackupResult {
    bool ok = false;
    QString path;     // the file written
    QString error;    // one line, when !ok
    QByteArray bytes; // what the file holds, when ok
};

// Writes bytes to folder/BackupFileName(...), creating the folder. A name
// already taken gets -1, -2 ... before ".bin": no file is ever overwritten.
BackupResult WriteBackupFile(const QString& folder, const QString& serialNo, int block,
                             const QByteArray& bytes, const QDateTime& when);

struct BlockReading {
    QByteArray bytes; // the block; empty when it cannot be trusted
    QString error;    // one line, when bytes is empty
};

// Block (group, 0) as it stands: two reads that agree, lastRead (the image
// last read from it) counting as the first when it is not empty.
BlockReading ReadBlockTwice(DeviceConnection& link, int group, const QByteArray& lastRead = {});

// Saves block (group, 0) before it is written. The block is read now and
// must agree with lastRead, the image last read from it (when that is empty,
// with a second read now); when a read fails or the two differ there is no
// backup (and so the block must not be written).
// folder empty: DefaultBackupFolder().
BackupResult BackUpBlock(ReadContext& ctx, int group, const QByteArray& lastRead,
                         const QString& serialNo, const QString& folder = {});

} // namespace qm
