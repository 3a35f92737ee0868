#pragma once
// The two backends the history runs on, for data-driven tests: an SQLite
// file, and a fresh database on the PostgreSQL server that scripts/test.sh
// starts (its URL in QM07_TEST_POSTGRES; the row is skipped without it).
#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "records/databaseurl.h"

namespace qm::testing {

inline constexpr const char* kPostgresEnv = "QM07_TEST_POSTGRES";

inline void AddBackendRows() {
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

// An empty database of the backend; fails the test when the server refuses.
inline QString FreshDatabaseUrl(const QString& backend, const QTemporaryDir& dir) {
    static QAtomicInt count;
    const int n = count.fetchAndAddRelaxed(1);
    if (backend == u"sqlite") return dir.filePath(QStringLiteral("history%1.sqlite").arg(n));
    QUrl url(qEnvironmentVariable(kPostgresEnv));
    DatabaseTarget t;
    if (!ParseDatabaseUrl(url.toString(), t, nullptr)) return {};
    const QString name =
        QStringLiteral("qm07_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        admin.setDatabaseName(t.databaseName);
        admin.setHostName(t.host);
        admin.setPort(t.port);
        admin.setUserName(t.user);
        if (!admin.open()) qFatal("cannot reach the test server %s", qPrintable(t.url));
        QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
        QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// A history whose writes of one kind fail (event: "INSERT" or "UPDATE" on
// calibrations), as a full disk or a file without rights fails them, with
// the connection open; empty when done, else the database's words.
inline QString RefuseWrites(const QSqlDatabase& db, const QString& event) {
    const bool pg = db.driverName() == u"QPSQL";
    QSqlQuery q(db);
    if (pg && !q.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger"
                                     " LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'disk full';"
                                     " END $$")))
        return q.lastError().text();
    const QString sql =
        pg ? QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON calibrations FOR EACH ROW"
                            " EXECUTE FUNCTION refuse()")
           : QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON calibrations"
                            " BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    return q.exec(sql.arg(event)) ? QString() : q.lastError().text();
}

inline QString AllowWrites(const QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(db.driverName() == u"QPSQL" ? "DROP TRIGGER refuse ON calibrations"
                                              : "DROP TRIGGER refuse")
               ? QString()
               : q.lastError().text();
}

} // namespace qm::testing

// Skips the PostgreSQL row when no server was started for the tests.
#define QM_SKIP_WITHOUT_SERVER(backend)                                                            \
    if ((backend) == u"postgresql" && qEnvironmentVariableIsEmpty(qm::testing::kPostgresEnv))      \
    QSKIP("QM07_TEST_POSTGRES is not set: no PostgreSQL server for this run "                      \
          "(bash scripts/test.sh starts one)")
