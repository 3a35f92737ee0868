#pragma once
// qm07ctl write / restore: a configuration block written so that nothing is
// lost: backed up first, written, the device reset, read back and compared.
#include "cli/clicommand.h"

namespace qm::cli {

// write --block 0x00|0x80 FILE: a record as JSON or an image file.
int RunWrite(Context& ctx, const QStringList& args);
// restore [--block 0x00|0x80] BACKUP.bin: the whole 256-byte block put back.
int RunRestore(Context& ctx, const QStringList& args);

} // namespace qm::cli
