#include "cli/historycommand.h"

#include "cli/historystore.h"
#include "core/hex.h"

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

// id, date, certificate, kind, serial, block, points, operator, result, backup
QString historyLine(const CalibrationRecord& r) {
    return QStringLiteral("%1  %2  %3  %4  %5  %6  %7 points  %8  %9  %10")
        .arg(r.id)
        .arg(r.timeUtc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss'Z'")), r.certificateNo,
             RecordKindWord(r.kind).leftJustified(11), r.serialNo.leftJustified(8),
             blockText(r.block))
        .arg(r.points.size())
        .arg(r.operatorName.isEmpty() ? QStringLiteral("-") : r.operatorName,
             r.result == 1 ? QStringLiteral("done")
                           : QStringLiteral("failed [%1] %2").arg(r.result).arg(r.resultText),
             r.backupPath.isEmpty() ? QStringLiteral("-") : r.backupPath);
}

} // namespace

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
                       {"resultText", r.resultText},
                       {"bytesSent", r.bytesSent ? QJsonValue(*r.bytesSent) : QJsonValue()}};
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
    std::vector<CalibrationRecord> records;
    if (const DatabaseStatus s = store.history(records, parser.value(serial)); !s.ok())
        return HistoryFailure(ctx, s);
    if (parser.isSet(json)) {
        QJsonArray all;
        for (const CalibrationRecord& r : records)
            all.append(CalibrationJson(r));
        ctx.out << QJsonDocument(all).toJson(QJsonDocument::Indented);
    } else {
        for (const CalibrationRecord& r : records)
            ctx.out << historyLine(r) << '\n';
    }
    ctx.out.flush();
    return kExitOk;
}

} // namespace qm::cli
