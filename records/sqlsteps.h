#pragma once
// Statements and transactions with result codes, shared by the schema and the store.
#include "records/recordstore.h"

#include <QSqlQuery>
#include <QVariantList>

namespace qm {

bool IsPostgres(const QSqlDatabase& db);

// Prepares and runs sql with the values bound in order; on failure status
// says which step failed in the database's own words.
bool Exec(QSqlQuery& query, const QString& sql, const QVariantList& values, DatabaseStatus& status);
bool Exec(const QSqlDatabase& db, const QString& sql, DatabaseStatus& status);

// A write transaction that other writers wait for (SQLite takes its write
// lock at once, so that two writers never deadlock upgrading a read lock).
// Rolled back unless commit() succeeded.
class WriteTransaction {
  public:
    WriteTransaction(const QSqlDatabase& db, DatabaseStatus& status);
    ~WriteTransaction();
    bool started() const { return m_open; }
    bool commit();

  private:
    QSqlDatabase m_db;
    DatabaseStatus& m_status;
    bool m_open = false;
};

// A double, or a typed NULL for an absent one.
QVariant OptionalDouble(const std::optional<double>& v);
std::optional<double> OptionalDouble(const QVariant& v);

} // namespace qm
