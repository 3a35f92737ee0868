#pragma once
// qm07ctl history: the calibrations recorded, newest first.
#include "cli/clicommand.h"

namespace qm::cli {

// history [--serial S] [--json]
int RunHistory(Context& ctx, const QStringList& args);

} // namespace qm::cli
