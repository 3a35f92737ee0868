#include "records/sqlsteps.h"

#include <QSqlDriver>
#include <QSqlError>

namespace qm {

namespace {

bool failed(const QSqlError& error, const QString& sql, DatabaseStatus& status) {
    status.code = kDbFailed;
    QString what = error.text().simplified();
    if (what.isEmpty()) what = QStringLiteral("unknown error");
    status.text = QStringLiteral("%1 (%2)").arg(what, sql.simplified().left(60));
    return false;
}

} // namespace

bool IsPostgres(const QSqlDatabase& db) {
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

bool Exec(QSqlQuery& query, const QString& sql, const QVariantList& values,
          DatabaseStatus& status) {
    if (!query.prepare(sql)) return failed(query.lastError(), sql, status);
    for (const QVariant& v : values)
        query.addBindValue(v);
    return query.exec() || failed(query.lastError(), sql, status);
}

bool Exec(const QSqlDatabase& db, const QString& sql, DatabaseStatus& status) {
    QSqlQuery q(db);
    return q.exec(sql) || failed(q.lastError(), sql, status);
}

WriteTransaction::WriteTransaction(const QSqlDatabase& db, DatabaseStatus& status)
    : m_db(db), m_status(status) {
    m_open =
        Exec(m_db, IsPostgres(m_db) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"),
             m_status);
}

WriteTransaction::~WriteTransaction() {
    if (!m_open) return;
    DatabaseStatus ignored; // the first failure is the one to report
    Exec(m_db, QStringLiteral("ROLLBACK"), ignored);
}

bool WriteTransaction::commit() {
    if (!m_open) return false;
    const bool ok = Exec(m_db, QStringLiteral("COMMIT"), m_status);
    m_open = !ok; // a failed commit is rolled back
    return ok;
}

QVariant OptionalDouble(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> OptionalDouble(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    return v.toDouble();
}

} // namespace qm
