#pragma once
// qm07ctl verify: the device's own reading against reference loads, as a load
// frame would script it, recorded in the history.
#include "cli/clicommand.h"

namespace qm::cli {

// verify [--tolerance PCT] [--settle-timeout S] [--json]: one reference value
// a line on standard input; a line per point, then the summary and its record.
int RunVerify(Context& ctx, const QStringList& args);

} // namespace qm::cli
