#pragma once
// qm07ctl read / scan / dump / live: the QM-07R on a serial port. The port is
// --port COMn (through the port map) or a device path; without it, the port
// stored by the calibrator ("ComPort").
#include "cli/clicommand.h"

namespace qm::cli {

// read: the connect step and the full read, as one JSON object.
int RunRead(Context& ctx, const QStringList& args);
// scan: the first of COM1..COM19 where a QM-07R answers; exit 1 when none.
int RunScan(Context& ctx, const QStringList& args);
// dump --block 0x00|0x80 [-o FILE]: the raw 256 bytes of a configuration block.
int RunDump(Context& ctx, const QStringList& args);
// live [--count N]: the live measurement every 150 ms, one line per tick.
int RunLive(Context& ctx, const QStringList& args);

} // namespace qm::cli
