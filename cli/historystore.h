#pragma once
// The calibration history as the commands open it: QM07_DATABASE, else the
// settings' Database/Url, else the local file in the data folder.
#include "cli/clicommand.h"
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

// Adds the record and prints its id and certificate number; false with the
// reason printed.
bool AddWriteRecord(Context& ctx, RecordStore& store, CalibrationRecord& r);

} // namespace qm::cli
