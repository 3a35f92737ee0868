#pragma once
// A history row as read back into a record. A shared history is written by
// other benches and other versions: any values give a record or a refusal.
#include "records/calibrationrecord.h"

#include <QVariantList>

namespace qm {

// The columns in the order RecordFromRow takes them.
extern const char* const kRecordColumns;

// false for a row of a kind this program does not know (r is then partly set).
bool RecordFromRow(const QVariantList& row, CalibrationRecord& r);

// The certificate number of record id made at timeUtc in the history
// historyId (empty for a history made before it had one).
QString CertificateNumber(const QString& historyId, const QDateTime& timeUtc, qint64 id);

} // namespace qm
