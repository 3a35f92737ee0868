#pragma once
// A history record as qm07ctl history prints it. Its texts come from any
// bench sharing the history: no control character reaches the terminal.
#include "records/calibrationrecord.h"

#include <QJsonObject>

namespace qm::cli {

// id, date, certificate, kind, serial, block, points, operator, result, backup;
// control characters escaped (\x1b, \u202e).
QString HistoryLine(const CalibrationRecord& rec);

// One record as history --json prints it; images as hexadecimal text.
QJsonObject CalibrationJson(const CalibrationRecord& rec);

} // namespace qm::cli
