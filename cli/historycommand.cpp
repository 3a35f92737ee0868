#include "cli/historycommand.h"

#include "cli/historystore.h"
#include "core/hex.h"
#include "records/recordstore.h"

#include <QJsonArray>
#include <QJsonDocument>

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

// id, date, certificate, kind, serial, block, points, operator, result, backup
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
        points.append(QJsonObject{
            {"signal", p.signal}, {"reference", p.reference}, {"spread", optionalJson(p.spread)}});
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
                       {"resultText", r.resultText}};
}

int RunHistory(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the writes recorded in the calibration history, newest first: QM07_DATABASE, "
        "else the settings' Database/Url, else QM-07R/calibrations.sqlite in the data folder. "
        "Exit 8 when the history cannot be opened."));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Only the sensor with this serial number."),
                                    QStringLiteral("S"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print a JSON array with the points and images."));
    parser.addOption(serial);
    parser.addOption(json);
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    RecordStore store;
    if (!OpenHistory(ctx, store, exitCode)) return exitCode;
    // Streamed a page of records at a time: a long history is never held whole.
    const bool asJson = parser.isSet(json);
    QByteArray chunk = asJson ? QByteArray("[") : QByteArray();
    bool first = true, printed = true;
    const auto flush = [&](qsizetype above) {
        if (printed && chunk.size() > above) {
            printed = Print(ctx, chunk);
            chunk.clear();
        }
        return printed;
    };
    std::vector<qint64> skipped;
    const DatabaseStatus s = store.forEach(
        parser.value(serial),
        [&](const CalibrationRecord& r) {
            if (asJson)
                chunk += (first ? "\n" : ",\n") +
                         QJsonDocument(CalibrationJson(r)).toJson(QJsonDocument::Compact);
            else
                chunk += HistoryLine(r).toUtf8() + '\n';
            first = false;
            return flush(1 << 16);
        },
        &skipped);
    if (!printed) return kExitBadInput;
    if (!s.ok()) return HistoryFailure(ctx, s);
    if (asJson) chunk += "\n]\n";
    if (!flush(0)) return kExitBadInput;
    if (!skipped.empty()) {
        QStringList ids;
        for (const qint64 id : skipped)
            ids << QStringLiteral("#%1").arg(id);
        ctx.err << ctx.program << ": left out " << skipped.size()
                << " record(s) of a kind this program does not know (written by a newer one): "
                << ids.join(QStringLiteral(", ")) << Qt::endl;
    }
    return kExitOk;
}

} // namespace qm::cli
