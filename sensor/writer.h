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

// What a save did beyond its result code, for the window and qm07ctl.
struct SaveReport {
    int writeResult = 0; // WriteConfigBlock's result; 0 also when nothing was written
    QString backupPath;  // where the block was saved before the write; empty when it was not
    QString backupError; // why it could not be saved (nothing was written then)
    ReadBack readBack = ReadBack::NotWritten;
    int firstDifference = 0; // 1-based, with ReadBack::Differs
    QString notice;          // the plain-words text the user was shown; empty when all went well
};

// The 1-based position of the first written byte that readBack does not
// hold (a readBack shorter than written differs behind its end); 0 when all agree.
int ReadBackDifference(const QByteArray& written, const QByteArray& readBack);

// The texts that tell the user what happened; path is the backup's.
QString BackupSavedText(const QString& path);
QString ReadBackText(const SaveReport& report);
QString NoBackupText(const QString& reason);
// Language text of a record the block cannot hold, then the refusal's line.
QString RefusedText(const LangTable& lang, const QString& refusal);

// Writes image into block (group, 0) after its backup (BackUpBlock) was
// made: the write, the device reset, everything read back with ReadAll and
// the read-back compared byte for byte with what was written. Without a
// backup (!backup.ok) nothing is written. Shows nothing; see the report.
// kSaveWritten when the write completed (see report.readBack), else kSaveWriteFailed.
int WriteBlockVerified(ReadContext& ctx, SensorSession& s, int group, const QByteArray& image,
                       const BackupResult& backup, SaveReport& report,
                       const WriteProgress& progress = {});

// From CurrentRecord on: copies it into the record of the memory it goes to
// (the iTag when present, else the device's store), encodes it (a record
// the block cannot hold is refused with kSaveConvertFailed before anything
// is sent), skips an
// unchanged image when onlyIfChanged, and writes it with WriteBlockVerified
// (backup, write, reset, read back, compare). A failed write shows language
// text 47 with its code and the backup's path; a read-back that differs, a
// missing read-back or a refused write (no backup) is shown in plain words.
// writeResult receives WriteConfigBlock's result, report all of it. The
// result stays 1 after a write whose read-back differs: check report->readBack.
// backupFolder empty: DefaultBackupFolder().
int SaveSensorCore(ReadContext& ctx, SensorSession& s, bool onlyIfChanged,
                   const WriteProgress& progress = {}, int* writeResult = nullptr,
                   SaveReport* report = nullptr, const QString& backupFolder = {});

} // namespace qm
