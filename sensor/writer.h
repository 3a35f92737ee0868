#pragma once
// Writing the sensor: the image comparison and the save without the window
// (the pages are converted into CurrentRecord by the caller first).
#include "device/protocol.h"
#include "sensor/backup.h"
#include "sensor/reader.h"

#include <QByteArray>
#include <QString>

namespace qm {

// 0 when the images agree, 999 when either is empty, else the 1-based
// position of the first difference. Positions 50..55 (the date of writing)
// and anything behind the shorter image are not compared.
int CompareImages(const QByteArray& newImage, const QByteArray& oldImage);

enum SaveResult : int {
    kSaveWritten = 1,
    kSaveUnchanged = 0,
    kSaveWriteFailed = -2,   // the write failed, or it was refused for want of a backup
    kSaveConvertFailed = -4, // the pages' conversion failed, or the block cannot hold the record
};

// Whether the block read back after a write holds what was written.
enum class ReadBack {
    NotWritten, // nothing was written (unchanged, no backup, or the write failed)
    Agrees,
    Differs, // firstDifference names the first byte that differs
    Missing, // the block could not be read back
};

// What a save did, for the window and qm07ctl to word.
struct SaveReport {
    int result = kSaveUnchanged; // a SaveResult
    int writeResult = 0;         // WriteConfigBlock's result; 0 also when nothing was written
    QString backupPath;  // where the block was saved before the write; empty when it was not
    QString backupError; // why it could not be saved (nothing was written then)
    QString refusal;     // why the block cannot hold the record (kSaveConvertFailed)
    ReadBack readBack = ReadBack::NotWritten;
    int firstDifference = 0; // 1-based, with ReadBack::Differs
    int group = -1;          // the memory group written to (kGroupTag or kGroupDevice)
    QByteArray imageBefore;  // the block as backed up
    QByteArray imageAfter;   // the bytes written
    int bytesSent = 0;       // how many of them went out with "KW" (the others held their value)
};

// The 1-based position of the first written byte that readBack does not
// hold (a readBack shorter than written differs behind its end); 0 when all agree.
int ReadBackDifference(const QByteArray& written, const QByteArray& readBack);

// Writes image into block (group, 0) after its backup (BackUpBlock) was
// made: only the bytes that differ from the backed-up block go out (every
// byte with allBytes), then the device reset, everything read back with
// ReadAll and all 256 bytes of the read-back compared with the backup
// overwritten by image. Without a backup (!backup.ok) nothing is written.
// result is kSaveWritten when the write completed (see readBack), else
// kSaveWriteFailed.
SaveReport WriteBlockVerified(ReadContext& ctx, SensorSession& s, int group,
                              const QByteArray& image, const BackupResult& backup,
                              const WriteProgress& progress = {}, bool allBytes = false);

struct SaveRequest {
    bool onlyIfChanged = false; // an image that equals the last one read is not written
    QString backupFolder;       // empty: DefaultBackupFolder()
    WriteProgress progress;     // per byte sent
    bool allBytes = false;      // send every byte, not only those that differ from the block
};

// From CurrentRecord on: copies it into the record of the memory it goes to
// (the iTag when present, else the device's store), encodes it (a record
// the block cannot hold is refused with kSaveConvertFailed before anything
// is sent), skips an unchanged image when asked to, and writes it with
// WriteBlockVerified (backup, write, reset, read back, compare). The result
// stays kSaveWritten after a write whose read-back differs: check readBack.
SaveReport SaveSensorCore(ReadContext& ctx, SensorSession& s, const SaveRequest& request);

} // namespace qm
