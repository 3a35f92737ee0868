#include "cli/historytext.h"

#include "core/hex.h"

#include <QJsonArray>

namespace qm::cli {

namespace {

QJsonValue optionalJson(const std::optional<double>& v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QString blockText(int block) {
    return block < 0 ? QStringLiteral("constants") : QStringLiteral("0x") + HexN(block, 2);
}

// Texts come from any bench sharing the history: no control character
// reaches the terminal as it stands.
QString shown(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QStringLiteral("\\\\");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else if ((u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069)) // lines, bidi
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString resultText(const CalibrationRecord& r) {
    if (r.result == kRecordDone) return QStringLiteral("done");
    if (r.result == kRecordStarted) return QStringLiteral("started, no outcome recorded");
    return QStringLiteral("failed [%1] %2").arg(r.result).arg(r.resultText);
}

} // namespace

QString HistoryLine(const CalibrationRecord& r) {
    return QStringLiteral("%1  %2  %3  %4  %5  %6  %7 points  %8  %9  %10")
        .arg(r.id)
        .arg(r.timeUtc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss'Z'")),
             r.certificateNo.isEmpty() ? QStringLiteral("-") : shown(r.certificateNo),
             RecordKindWord(r.kind).leftJustified(11), shown(r.serialNo).leftJustified(8),
             blockText(r.block))
        .arg(r.points.size())
        .arg(r.operatorName.isEmpty() ? QStringLiteral("-") : shown(r.operatorName),
             shown(resultText(r)),
             r.backupPath.isEmpty() ? QStringLiteral("-") : shown(r.backupPath));
}

QJsonObject CalibrationJson(const CalibrationRecord& r) {
    QJsonArray points;
    for (const CalibrationPoint& p : r.points)
        points.append(QJsonObject{{"signal", p.signal},
                                  {"reference", p.reference},
                                  {"spread", optionalJson(p.spread)},
                                  {"indicated", optionalJson(p.indicated)},
                                  {"indicatedSd", optionalJson(p.indicatedSd)}});
    return QJsonObject{{"id", r.id},
                       {"certificateNo", r.certificateNo},
                       {"kind", RecordKindWord(r.kind)},
                       {"time", r.timeUtc.toString(Qt::ISODateWithMs)},
                       {"bench", r.bench},
                       {"operator", r.operatorName},
                       {"referenceStandard", r.referenceStandard},
                       {"device", r.device},
                       {"serialNo", r.serialNo},
                       {"block", blockText(r.block)},
                       {"backupPath", r.backupPath},
                       {"imageBefore", QString::fromLatin1(r.imageBefore.toHex().toUpper())},
                       {"imageAfter", QString::fromLatin1(r.imageAfter.toHex().toUpper())},
                       {"points", points},
                       {"nonLinearity", optionalJson(r.nonLinearity)},
                       {"result", r.result},
                       {"resultText", r.resultText},
                       {"bytesSent", r.bytesSent ? QJsonValue(*r.bytesSent) : QJsonValue()},
                       {"checks", r.checks ? QJsonValue(*r.checks) : QJsonValue()},
                       {"fullScale", optionalJson(r.fullScale)},
                       {"tolerance", optionalJson(r.tolerance)},
                       {"referenceUncertainty", optionalJson(r.referenceUncertainty)},
                       {"verdict", r.verdict}};
}

} // namespace qm::cli
