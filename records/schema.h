#pragma once
// The tables of the calibration history, one schema for SQLite and
// PostgreSQL, and the upgrades from each older version.
#include "records/recordstore.h"

namespace qm {

// Creates the schema or upgrades it to version upTo (at most kSchemaVersion),
// all in one transaction that other openers wait for. A database of a newer
// version is left as it is (kDbTooNew).
DatabaseStatus EnsureSchema(const QSqlDatabase& db, int upTo = kSchemaVersion);

// Six characters of 0-9A-Z, random, for a new history.
QString NewHistoryId();

} // namespace qm
