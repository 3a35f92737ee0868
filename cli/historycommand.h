#pragma once
// qm07ctl history: the calibrations recorded, newest first.
#include "cli/clicommand.h"
#include "records/calibrationrecord.h"

#include <QJsonObject>

namespace qm::cli {

// history [--serial S] [--json]
int RunHistory(Context& ctx, const QStringList& args);

// One record as history prints it: its texts with control characters escaped.
QString HistoryLine(const CalibrationRecord& rec);

// One record as history --json prints it; images as hexadecimal text.
QJsonObject CalibrationJson(const CalibrationRecord& rec);

} // namespace qm::cli
