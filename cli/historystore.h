#pragma once
// The calibration history as the history commands open it: QM07_DATABASE,
// else the settings' Database/Url, else the local file in the data folder.
#include "cli/clicommand.h"
#include "records/recordstore.h"

namespace qm::cli {

// false (message printed, exitCode set) when the history cannot be opened.
bool OpenHistory(Context& ctx, RecordStore& store, int& exitCode);

// A failed read: kExitNoRecord for kDbNotFound, kExitHistory otherwise.
int HistoryFailure(Context& ctx, const DatabaseStatus& status);

} // namespace qm::cli
