#pragma once
// The calibration history as the commands open it: QM07_DATABASE, else the
// settings' Database/Url, else the local file in the data folder.
#include "cli/clicommand.h"
#include "records/recordedwrite.h"
#include "records/recordstore.h"

namespace qm::cli {

// false (message printed, exitCode set) when the history cannot be opened.
bool OpenHistory(Context& ctx, RecordStore& store, int& exitCode);

// A failed read: kExitNoRecord for kDbNotFound, kExitHistory otherwise.
int HistoryFailure(Context& ctx, const DatabaseStatus& status);

// --local-history: a write records into the local file when the configured
// history cannot be opened.
QCommandLineOption LocalHistoryOption();

// The history a write records into, opened before anything is written: when
// the configured one cannot be opened the command ends (kExitHistory) unless
// localFallback, which records into the local file and says so.
bool OpenWriteHistory(Context& ctx, RecordStore& store, bool localFallback, int& exitCode);

// A record made now by this bench's operator (the settings' Calibration section).
CalibrationRecord NewWriteRecord(RecordKind kind, const QDateTime& now);

// Where a write is recorded, opened before the device is touched.
struct WriteRecording {
    RecordStore& store;
    RecordKind kind;
    bool localFallback = false; // --local-history: the outcome may go to the local file
};

// Stores r as started before its first byte goes out; false (reason printed,
// kExitHistory) when it cannot be stored: then nothing may be written.
bool BeginWriteRecord(Context& ctx, const WriteRecording& recording, CalibrationRecord& r);

// --local-history as the commands say it on stderr; started: the begun
// record's id, for its outcome. Empty without the option.
LocalFallback LocalHistoryFallback(Context& ctx, bool localFallback, qint64 started = 0);

// Prints the id and certificate number of r, stored with status s, or why it
// was not stored (kExitHistory): false then.
bool ReportRecorded(Context& ctx, const RecordStore& store, const CalibrationRecord& r,
                    const DatabaseStatus& s);

} // namespace qm::cli
