#pragma once
// qm07ctl restore for a backup of the system constants N and k (the
// calibrator saves them before its system calibration writes them).
#include "cli/clicommand.h"
#include "records/recordstore.h"

namespace qm::cli {

// Backs up what the device holds now, writes the 8 bytes back, reads them
// again and records the write in store.
int RestoreConstantsBytes(Context& ctx, const QByteArray& bytes, RecordStore& store);

} // namespace qm::cli
