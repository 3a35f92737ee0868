#pragma once
// The calibration history in a database through Qt SQL: an SQLite file by
// default, a PostgreSQL server for a lab whose benches share one history.
// Every call reports a result code and one line of text; nothing throws.
#include "records/calibrationrecord.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
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
inline constexpr int kSchemaVersion = 5;

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

    // Adds rec whole in one transaction and sets its id and certificateNo
    // (a successful calibration's only); safe with other processes adding at
    // the same time. timeUtc must be set.
    DatabaseStatus add(CalibrationRecord& rec);

    // A write in two steps: begin() stores rec as started (no outcome, no
    // image after) before the first byte goes out and sets its id; finish()
    // stores the outcome into that row. Each tries once more on a new
    // connection when the first try fails (a server restarted, a dropped link).
    DatabaseStatus begin(CalibrationRecord& rec);
    DatabaseStatus finish(CalibrationRecord& rec);
    // A started record whose write sent nothing after all goes again.
    DatabaseStatus discard(qint64 id);

    // Newest first; only that sensor's when serialNo is not empty. Rows of a
    // kind this program does not know (a newer bench's) are left out and
    // their ids put in skipped. forEach reads a page at a time; visit
    // returning false ends it.
    using RecordVisitor = std::function<bool(const CalibrationRecord&)>;
    DatabaseStatus forEach(const QString& serialNo, const RecordVisitor& visit,
                           std::vector<qint64>* skipped = nullptr);
    DatabaseStatus history(std::vector<CalibrationRecord>& out, const QString& serialNo = {},
                           std::vector<qint64>* skipped = nullptr);
    DatabaseStatus get(qint64 id, CalibrationRecord& out);
    // The newest write whose backup is the file backupPath.
    DatabaseStatus writeBackedUpTo(const QString& backupPath, CalibrationRecord& out);
    // The sensor's newest successful calibration.
    DatabaseStatus latest(const QString& serialNo, CalibrationRecord& out);

    // The history's own id, part of its certificate numbers.
    QString historyId() const { return m_historyId; }

    // The connection itself, for tests that look behind the API.
    QSqlDatabase database() const { return m_db; }

  private:
    struct Page {
        int rows = 0; // read, skipped ones included
        QString lastTime;
        qint64 lastId = 0;
    };
    DatabaseStatus save(CalibrationRecord& rec, bool insert);
    DatabaseStatus savedOnce(CalibrationRecord& rec, bool insert); // reconnects once

    DatabaseStatus select(const QString& where, const QVariantList& values, int limit,
                          std::vector<CalibrationRecord>& out, std::vector<qint64>* skipped,
                          Page* page = nullptr);
    DatabaseStatus readPoints(CalibrationRecord& rec);
    void closeConnection();

    QString m_connection;
    QSqlDatabase m_db;
    QString m_url;
    QString m_openedUrl; // as given, password included, for a reconnect
    QString m_historyId;
};

} // namespace qm
