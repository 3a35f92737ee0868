#pragma once
// The calibration history in a database through Qt SQL: an SQLite file by
// default, a PostgreSQL server for a lab whose benches share one history.
// Every call reports a result code and one line of text; nothing throws.
#include "records/calibrationrecord.h"

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace qm {

enum DatabaseResult : int {
    kDbOk = 0,
    kDbBadUrl = -1,      // the configured URL cannot be read
    kDbNoDriver = -2,    // Qt SQL has no driver for it (a missing package)
    kDbUnreachable = -3, // the file or the server cannot be opened
    kDbTooNew = -4,      // made by a newer program; left untouched
    kDbFailed = -5,      // a statement failed (the database's own words follow)
    kDbNotFound = -6,    // no such record
    kDbNotOpen = -7,
};

struct DatabaseStatus {
    int code = kDbOk;
    QString text; // one line, empty when ok
    bool ok() const { return code == kDbOk; }
};

// The version this program creates and reads; older ones are upgraded on open.
inline constexpr int kSchemaVersion = 3;

class RecordStore {
  public:
    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Connects and creates or upgrades the schema (schemaUpTo is for tests
    // that need a database as an older version left it).
    DatabaseStatus open(const QString& url, int schemaUpTo = kSchemaVersion);
    bool isOpen() const { return m_db.isOpen(); }
    QString url() const { return m_url; } // without a password

    // Adds rec in one transaction and sets its id and certificateNo; safe
    // with other processes adding at the same time. timeUtc must be set.
    DatabaseStatus add(CalibrationRecord& rec);

    // Newest first; only that sensor's when serialNo is not empty.
    DatabaseStatus history(std::vector<CalibrationRecord>& out, const QString& serialNo = {});
    DatabaseStatus get(qint64 id, CalibrationRecord& out);
    // The sensor's newest calibration or block write (not a constants write).
    DatabaseStatus latest(const QString& serialNo, CalibrationRecord& out);

    // The connection itself, for tests that look behind the API.
    QSqlDatabase database() const { return m_db; }

  private:
    DatabaseStatus select(const QString& where, const QVariantList& values, int limit,
                          std::vector<CalibrationRecord>& out);
    DatabaseStatus readPoints(CalibrationRecord& rec);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_url;
};

} // namespace qm
