#include "records/recordstore.h"

#include "records/databaseurl.h"
#include "records/schema.h"
#include "records/sqlsteps.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace qm {

namespace {

QAtomicInt connectionCount;

const QString kColumns = QStringLiteral(
    "id, certificate_no, kind, recorded_at, bench, operator_name, reference_standard, device,"
    " serial_no, block, image_before, backup_path, image_after, nonlinearity, result,"
    " result_text, bytes_sent");

QString certificateNumber(const QDateTime& timeUtc, qint64 id) {
    return QStringLiteral("QM07-%1-%2").arg(timeUtc.date().year()).arg(id, 6, 10, QLatin1Char('0'));
}

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
    if (!QSqlDatabase::isDriverAvailable(t.driver))
        return {kDbNoDriver,
                QStringLiteral("Qt SQL has no %1 driver (Debian: %2)")
                    .arg(t.driver, t.driver == u"QPSQL" ? QStringLiteral("libqt6sql6-psql")
                                                        : QStringLiteral("libqt6sql6-sqlite"))};
    if (m_db.isValid()) m_db.close();
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
        m_db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    }
    if (!m_db.open())
        return {kDbUnreachable, QStringLiteral("cannot open the history %1: %2")
                                    .arg(m_url, m_db.lastError().text().simplified())};
    DatabaseStatus s = EnsureSchema(m_db, schemaUpTo);
    if (!s.ok()) m_db.close();
    return s;
}

DatabaseStatus RecordStore::add(CalibrationRecord& rec) {
    DatabaseStatus status;
    if (!isOpen()) return {kDbNotOpen, QStringLiteral("the history is not open")};
    WriteTransaction tx(m_db, status);
    if (!tx.started()) return status;
    const QDateTime time = rec.timeUtc.toUTC();
    QSqlQuery q(m_db);
    if (!Exec(q,
              QStringLiteral("INSERT INTO calibrations (kind, recorded_at, bench, operator_name,"
                             " reference_standard, device, serial_no, block, image_before,"
                             " backup_path, image_after, nonlinearity, result, result_text,"
                             " bytes_sent)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"),
              {RecordKindWord(rec.kind), time.toString(Qt::ISODateWithMs), notNull(rec.bench),
               notNull(rec.operatorName), notNull(rec.referenceStandard), notNull(rec.device),
               notNull(rec.serialNo), rec.block, rec.imageBefore, notNull(rec.backupPath),
               rec.imageAfter, OptionalDouble(rec.nonLinearity), rec.result,
               notNull(rec.resultText), optionalInt(rec.bytesSent)},
              status))
        return status;
    if (!q.next()) return {kDbFailed, QStringLiteral("the new record got no id")};
    const qint64 id = q.value(0).toLongLong();
    const QString certificate = certificateNumber(time, id);
    if (!Exec(q, QStringLiteral("UPDATE calibrations SET certificate_no = ? WHERE id = ?"),
              {certificate, id}, status))
        return status;
    for (size_t i = 0; i < rec.points.size(); ++i) {
        const CalibrationPoint& p = rec.points[i];
        if (!Exec(q,
                  QStringLiteral("INSERT INTO calibration_points"
                                 " (calibration_id, idx, signal, reference, spread)"
                                 " VALUES (?, ?, ?, ?, ?)"),
                  {id, static_cast<int>(i), p.signal, p.reference, OptionalDouble(p.spread)},
                  status))
            return status;
    }
    if (!tx.commit()) return status;
    rec.id = id;
    rec.certificateNo = certificate;
    return status;
}

DatabaseStatus RecordStore::select(const QString& where, const QVariantList& values, int limit,
                                   std::vector<CalibrationRecord>& out) {
    out.clear();
    DatabaseStatus status;
    if (!isOpen()) return {kDbNotOpen, QStringLiteral("the history is not open")};
    QString sql = QStringLiteral("SELECT %1 FROM calibrations").arg(kColumns);
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY recorded_at DESC, id DESC");
    if (limit > 0) sql += QStringLiteral(" LIMIT %1").arg(limit);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!Exec(q, sql, values, status)) return status;
    while (q.next()) {
        CalibrationRecord r;
        r.id = q.value(0).toLongLong();
        r.certificateNo = q.value(1).toString();
        if (!RecordKindFromWord(q.value(2).toString(), r.kind))
            return {kDbFailed, QStringLiteral("record %1 is of an unknown kind \"%2\"")
                                   .arg(r.id)
                                   .arg(q.value(2).toString())};
        r.timeUtc = QDateTime::fromString(q.value(3).toString(), Qt::ISODateWithMs).toUTC();
        r.bench = q.value(4).toString();
        r.operatorName = q.value(5).toString();
        r.referenceStandard = q.value(6).toString();
        r.device = q.value(7).toString();
        r.serialNo = q.value(8).toString();
        r.block = q.value(9).toInt();
        r.imageBefore = q.value(10).toByteArray();
        r.backupPath = q.value(11).toString();
        r.imageAfter = q.value(12).toByteArray();
        r.nonLinearity = OptionalDouble(q.value(13));
        r.result = q.value(14).toInt();
        r.resultText = q.value(15).toString();
        if (!q.value(16).isNull()) r.bytesSent = q.value(16).toInt();
        out.push_back(std::move(r));
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
              QStringLiteral("SELECT signal, reference, spread FROM calibration_points"
                             " WHERE calibration_id = ? ORDER BY idx"),
              {rec.id}, status))
        return status;
    while (q.next())
        rec.points.push_back(
            {q.value(0).toDouble(), q.value(1).toDouble(), OptionalDouble(q.value(2))});
    return status;
}

DatabaseStatus RecordStore::history(std::vector<CalibrationRecord>& out, const QString& serialNo) {
    return serialNo.isEmpty() ? select({}, {}, 0, out)
                              : select(QStringLiteral("serial_no = ?"), {serialNo}, 0, out);
}

DatabaseStatus RecordStore::get(qint64 id, CalibrationRecord& out) {
    std::vector<CalibrationRecord> found;
    DatabaseStatus s = select(QStringLiteral("id = ?"), {id}, 1, found);
    if (s.ok() && found.empty()) return {kDbNotFound, QStringLiteral("no record %1").arg(id)};
    if (s.ok()) out = found.front();
    return s;
}

DatabaseStatus RecordStore::latest(const QString& serialNo, CalibrationRecord& out) {
    std::vector<CalibrationRecord> found;
    DatabaseStatus s =
        select(QStringLiteral("serial_no = ? AND kind <> 'constants'"), {serialNo}, 1, found);
    if (s.ok() && found.empty())
        return {kDbNotFound, QStringLiteral("no calibration of the sensor %1").arg(serialNo)};
    if (s.ok()) out = found.front();
    return s;
}

} // namespace qm
