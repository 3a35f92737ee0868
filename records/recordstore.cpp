#include "records/recordstore.h"

#include "records/databaseurl.h"
#include "records/recordrow.h"
#include "records/schema.h"
#include "records/sqlsteps.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace qm {

namespace {

QAtomicInt connectionCount;

constexpr int kPageRows = 200; // records in memory at once while the history is listed

QVariant optionalInt(const std::optional<int>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<int>());
}

// The text columns hold "" rather than NULL for a text not given.
QString notNull(const QString& text) {
    return text.isNull() ? QString("") : text;
}

} // namespace

RecordStore::RecordStore()
    : m_connection(QStringLiteral("qm07-records-%1").arg(connectionCount.fetchAndAddRelaxed(1))) {}

RecordStore::~RecordStore() {
    closeConnection();
}

void RecordStore::closeConnection() {
    if (!m_db.isValid()) return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

DatabaseStatus RecordStore::open(const QString& url, int schemaUpTo) {
    DatabaseTarget t;
    QString error;
    if (!ParseDatabaseUrl(url, t, &error)) return {kDbBadUrl, error};
    m_url = t.url;
    m_openedUrl = url;
    m_historyId.clear();
    if (!QSqlDatabase::isDriverAvailable(t.driver))
        return {kDbNoDriver,
                QStringLiteral("Qt SQL has no %1 driver (Debian: %2)")
                    .arg(t.driver, t.driver == u"QPSQL" ? QStringLiteral("libqt6sql6-psql")
                                                        : QStringLiteral("libqt6sql6-sqlite"))};
    closeConnection();
    m_db = QSqlDatabase::addDatabase(t.driver, m_connection);
    m_db.setDatabaseName(t.databaseName);
    if (t.driver == u"QSQLITE") {
        QDir().mkpath(QFileInfo(t.databaseName).absolutePath());
        // Another bench process may hold the write lock for a moment.
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        m_db.setHostName(t.host);
        m_db.setPort(t.port);
        m_db.setUserName(t.user);
        m_db.setPassword(t.password);
        m_db.setConnectOptions(t.options.join(u';'));
    }
    if (!m_db.open())
        return {kDbUnreachable, QStringLiteral("cannot open the history %1: %2")
                                    .arg(m_url, m_db.lastError().text().simplified())};
    DatabaseStatus s = EnsureSchema(m_db, schemaUpTo);
    if (s.ok() && m_db.tables().contains(QStringLiteral("history_identity"))) {
        QSqlQuery q(m_db);
        if (Exec(q, QStringLiteral("SELECT history_id FROM history_identity"), {}, s) && q.next())
            m_historyId = q.value(0).toString();
    }
    if (!s.ok()) m_db.close();
    return s;
}

DatabaseStatus RecordStore::add(CalibrationRecord& rec) {
    return save(rec, true);
}

DatabaseStatus RecordStore::begin(CalibrationRecord& rec) {
    CalibrationRecord started = rec;
    started.imageAfter.clear();
    started.nonLinearity.reset();
    started.result = kRecordStarted;
    started.resultText = QStringLiteral("started; no outcome was recorded");
    const DatabaseStatus s = savedOnce(started, true);
    if (s.ok()) rec.id = started.id;
    return s;
}

DatabaseStatus RecordStore::finish(CalibrationRecord& rec) {
    return savedOnce(rec, false);
}

DatabaseStatus RecordStore::savedOnce(CalibrationRecord& rec, bool insert) {
    const DatabaseStatus first = save(rec, insert);
    if (first.ok() || m_openedUrl.isEmpty()) return first;
    // A server restarted or a link dropped since the last statement.
    if (!open(m_openedUrl).ok()) return first;
    return save(rec, insert);
}

DatabaseStatus RecordStore::discard(qint64 id) {
    DatabaseStatus status;
    if (!isOpen()) return {kDbNotOpen, QStringLiteral("the history is not open")};
    QSqlQuery q(m_db);
    Exec(q, QStringLiteral("DELETE FROM calibrations WHERE id = ? AND result = ?"),
         {id, kRecordStarted}, status);
    return status;
}

DatabaseStatus RecordStore::save(CalibrationRecord& rec, bool insert) {
    DatabaseStatus status;
    if (!isOpen()) return {kDbNotOpen, QStringLiteral("the history is not open")};
    WriteTransaction tx(m_db, status);
    if (!tx.started()) return status;
    const QDateTime time = rec.timeUtc.toUTC();
    QSqlQuery q(m_db);
    qint64 id = rec.id;
    if (insert) {
        if (!Exec(q,
                  QStringLiteral(
                      "INSERT INTO calibrations (kind, recorded_at, bench, operator_name,"
                      " reference_standard, device, serial_no, block, image_before,"
                      " backup_path, image_after, nonlinearity, result, result_text,"
                      " bytes_sent, checks_id, full_scale, display_digit, tolerance, reference_u,"
                      " verdict)"
                      " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                      " RETURNING id"),
                  {RecordKindWord(rec.kind),
                   time.toString(Qt::ISODateWithMs),
                   notNull(rec.bench),
                   notNull(rec.operatorName),
                   notNull(rec.referenceStandard),
                   notNull(rec.device),
                   notNull(rec.serialNo),
                   rec.block,
                   rec.imageBefore,
                   notNull(rec.backupPath),
                   rec.imageAfter,
                   OptionalDouble(rec.nonLinearity),
                   rec.result,
                   notNull(rec.resultText),
                   optionalInt(rec.bytesSent),
                   rec.checks ? QVariant(*rec.checks) : QVariant(QMetaType::fromType<qint64>()),
                   OptionalDouble(rec.fullScale),
                   OptionalDouble(rec.displayDigit),
                   OptionalDouble(rec.tolerance),
                   OptionalDouble(rec.referenceUncertainty),
                   notNull(rec.verdict)},
                  status))
            return status;
        if (!q.next()) return {kDbFailed, QStringLiteral("the new record got no id")};
        id = q.value(0).toLongLong();
        q.finish(); // SQLite commits no transaction with a statement still open
    } else {
        // Only the outcome changes; a finished row is never finished again.
        if (!Exec(q,
                  QStringLiteral("UPDATE calibrations SET image_before = ?, backup_path = ?,"
                                 " image_after = ?, nonlinearity = ?, result = ?, result_text = ?,"
                                 " bytes_sent = ?"
                                 " WHERE id = ? AND result = ?"),
                  {rec.imageBefore, notNull(rec.backupPath), rec.imageAfter,
                   OptionalDouble(rec.nonLinearity), rec.result, notNull(rec.resultText),
                   optionalInt(rec.bytesSent), id, kRecordStarted},
                  status))
            return status;
        if (q.numRowsAffected() != 1)
            return {kDbNotFound, QStringLiteral("no started record %1").arg(id)};
        if (!Exec(q, QStringLiteral("DELETE FROM calibration_points WHERE calibration_id = ?"),
                  {id}, status))
            return status;
    }
    const QString certificate =
        TakesCertificate(rec) ? CertificateNumber(m_historyId, time, id) : QString();
    if (!certificate.isEmpty() &&
        !Exec(q, QStringLiteral("UPDATE calibrations SET certificate_no = ? WHERE id = ?"),
              {certificate, id}, status))
        return status;
    for (size_t i = 0; i < rec.points.size(); ++i) {
        const CalibrationPoint& p = rec.points[i];
        if (!Exec(q,
                  QStringLiteral("INSERT INTO calibration_points"
                                 " (calibration_id, idx, signal, reference, spread, indicated,"
                                 " indicated_sd) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                  {id, static_cast<int>(i), p.signal, p.reference, OptionalDouble(p.spread),
                   OptionalDouble(p.indicated), OptionalDouble(p.indicatedSd)},
                  status))
            return status;
    }
    if (!tx.commit()) return status;
    rec.id = id;
    rec.certificateNo = certificate;
    return status;
}

DatabaseStatus RecordStore::select(const QString& where, const QVariantList& values, int limit,
                                   std::vector<CalibrationRecord>& out,
                                   std::vector<qint64>* skipped, Page* page) {
    out.clear();
    DatabaseStatus status;
    if (!isOpen()) return {kDbNotOpen, QStringLiteral("the history is not open")};
    QString sql = QStringLiteral("SELECT %1 FROM calibrations").arg(QLatin1String(kRecordColumns));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY recorded_at DESC, id DESC");
    if (limit > 0) sql += QStringLiteral(" LIMIT %1").arg(limit);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!Exec(q, sql, values, status)) return status;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < columns; ++i)
            row.append(q.value(i));
        if (page) *page = {page->rows + 1, q.value(3).toString(), q.value(0).toLongLong()};
        CalibrationRecord r;
        if (RecordFromRow(row, r))
            out.push_back(std::move(r));
        else if (skipped)
            skipped->push_back(r.id);
    }
    for (CalibrationRecord& r : out)
        if (status = readPoints(r); !status.ok()) return status;
    return status;
}

DatabaseStatus RecordStore::readPoints(CalibrationRecord& rec) {
    DatabaseStatus status;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!Exec(q,
              QStringLiteral("SELECT signal, reference, spread, indicated, indicated_sd"
                             " FROM calibration_points"
                             " WHERE calibration_id = ? ORDER BY idx"),
              {rec.id}, status))
        return status;
    while (q.next())
        rec.points.push_back({q.value(0).toDouble(), q.value(1).toDouble(),
                              OptionalDouble(q.value(2)), OptionalDouble(q.value(3)),
                              OptionalDouble(q.value(4))});
    return status;
}

DatabaseStatus RecordStore::forEach(const QString& serialNo, const RecordVisitor& visit,
                                    std::vector<qint64>* skipped) {
    Page page;
    for (;;) {
        QStringList where;
        QVariantList values;
        if (!serialNo.isEmpty()) {
            where << QStringLiteral("serial_no = ?");
            values << serialNo;
        }
        if (page.rows > 0) {
            where << QStringLiteral("(recorded_at < ? OR (recorded_at = ? AND id < ?))");
            values << page.lastTime << page.lastTime << page.lastId;
        }
        std::vector<CalibrationRecord> batch;
        Page next;
        const DatabaseStatus s =
            select(where.join(QStringLiteral(" AND ")), values, kPageRows, batch, skipped, &next);
        if (!s.ok()) return s;
        for (const CalibrationRecord& r : batch)
            if (!visit(r)) return s;
        if (next.rows < kPageRows) return s;
        page = next;
    }
}

DatabaseStatus RecordStore::history(std::vector<CalibrationRecord>& out, const QString& serialNo,
                                    std::vector<qint64>* skipped) {
    out.clear();
    return forEach(
        serialNo,
        [&](const CalibrationRecord& r) {
            out.push_back(r);
            return true;
        },
        skipped);
}

DatabaseStatus RecordStore::get(qint64 id, CalibrationRecord& out) {
    std::vector<CalibrationRecord> found;
    std::vector<qint64> unknown;
    DatabaseStatus s = select(QStringLiteral("id = ?"), {id}, 1, found, &unknown);
    if (s.ok() && !unknown.empty())
        return {kDbNotFound,
                QStringLiteral("record %1 is of a kind this program does not know").arg(id)};
    if (s.ok() && found.empty()) return {kDbNotFound, QStringLiteral("no record %1").arg(id)};
    if (s.ok()) out = found.front();
    return s;
}

DatabaseStatus RecordStore::writeBackedUpTo(const QString& backupPath, CalibrationRecord& out) {
    std::vector<CalibrationRecord> found;
    DatabaseStatus s = select(QStringLiteral("backup_path = ?"), {backupPath}, 1, found, nullptr);
    if (s.ok() && found.empty())
        return {kDbNotFound, QStringLiteral("no write backed up to %1").arg(backupPath)};
    if (s.ok()) out = found.front();
    return s;
}

DatabaseStatus RecordStore::latest(const QString& serialNo, CalibrationRecord& out) {
    std::vector<CalibrationRecord> found;
    DatabaseStatus s = select(QStringLiteral("serial_no = ? AND kind = 'calibration' AND result = ?"
                                             " AND certificate_no IS NOT NULL"
                                             " AND certificate_no <> ''"),
                              {serialNo, kRecordDone}, 1, found, nullptr);
    if (s.ok() && found.empty())
        return {kDbNotFound, QStringLiteral("no calibration of the sensor %1").arg(serialNo)};
    if (s.ok()) out = found.front();
    return s;
}

} // namespace qm
