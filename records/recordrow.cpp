#include "records/recordrow.h"

#include "records/sqlsteps.h"

namespace qm {

const char* const kRecordColumns =
    "id, certificate_no, kind, recorded_at, bench, operator_name, reference_standard, device,"
    " serial_no, block, image_before, backup_path, image_after, nonlinearity, result,"
    " result_text, bytes_sent, checks_id, full_scale, display_digit, tolerance, reference_u,"
    " verdict";

bool RecordFromRow(const QVariantList& row, CalibrationRecord& r) {
    const auto at = [&](int i) { return i < row.size() ? row[i] : QVariant(); };
    r.id = at(0).toLongLong();
    r.certificateNo = at(1).toString();
    if (!RecordKindFromWord(at(2).toString(), r.kind)) return false;
    r.timeUtc = QDateTime::fromString(at(3).toString(), Qt::ISODateWithMs).toUTC();
    r.bench = at(4).toString();
    r.operatorName = at(5).toString();
    r.referenceStandard = at(6).toString();
    r.device = at(7).toString();
    r.serialNo = at(8).toString();
    r.block = at(9).toInt();
    r.imageBefore = at(10).toByteArray();
    r.backupPath = at(11).toString();
    r.imageAfter = at(12).toByteArray();
    r.nonLinearity = OptionalDouble(at(13));
    r.result = at(14).toInt();
    r.resultText = at(15).toString();
    if (!at(16).isNull()) r.bytesSent = at(16).toInt();
    if (!at(17).isNull()) r.checks = at(17).toLongLong();
    r.fullScale = OptionalDouble(at(18));
    r.displayDigit = OptionalDouble(at(19));
    r.tolerance = OptionalDouble(at(20));
    r.referenceUncertainty = OptionalDouble(at(21));
    r.verdict = at(22).toString();
    return true;
}

QString CertificateNumber(const QString& historyId, const QDateTime& timeUtc, qint64 id) {
    const QString number = QStringLiteral("%1").arg(id, 6, 10, QLatin1Char('0'));
    const QString year = QString::number(timeUtc.date().year());
    return historyId.isEmpty() ? QStringLiteral("QM07-%1-%2").arg(year, number)
                               : QStringLiteral("QM07-%1-%2-%3").arg(year, historyId, number);
}

} // namespace qm
