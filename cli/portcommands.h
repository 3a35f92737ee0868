#pragma once
// qm07ctl ports: the serial devices present and the COMn numbering.
#include "cli/clicommand.h"

namespace qm::cli {

// ports: each device present (file, description, manufacturer, serial number,
// stable by-id name, the COMn leading to it), then COM1..COM20 and their paths.
int RunPorts(Context& ctx, const QStringList& args);

} // namespace qm::cli
