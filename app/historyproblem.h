#pragma once
// Why the calibration history cannot be used, in the window's language and
// saying what to do, with the database's own words after it.
#include "core/langtable.h"
#include "records/recordstore.h"

namespace qm {

// url is the history's (a server's when it starts with "postgres").
QString HistoryProblemText(const LangTable& lang, const QString& url, const DatabaseStatus& status);

} // namespace qm
