#pragma once
// qm07ctl decode / encode: configuration images and their records as JSON.
#include "cli/clicommand.h"

namespace qm::cli {

// decode FILE: {"result": r, "record": {...}}; exit 0 when r > 0, else 3.
int RunDecode(Context& ctx, const QStringList& args);

// encode FILE.json [--date YYMMDD] [-o OUT]: the image bytes of the record.
int RunEncode(Context& ctx, const QStringList& args);

} // namespace qm::cli
