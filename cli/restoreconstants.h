#pragma once
// qm07ctl restore for a backup of the system constants N and k (the
// calibrator saves them before its system calibration writes them).
#include "cli/clicommand.h"
#include "cli/historystore.h"

namespace qm::cli {

// Backs up what the device holds now, writes the 8 bytes back, reads them
// again and records the write (begun before the first byte).
int RestoreConstantsBytes(Context& ctx, const QByteArray& bytes, const WriteRecording& recording);

} // namespace qm::cli
