#pragma once
// qm07ctl restore for a backup of the system constants N and k (the
// calibrator saves them before its system calibration writes them).
#include "cli/clicommand.h"

namespace qm::cli {

// Backs up what the device holds now, writes the file's 8 bytes back and reads them again.
int RestoreConstantsFile(Context& ctx, const QString& path);

} // namespace qm::cli
