#include "cli/historycommand.h"
#include "cli/historytext.h"

#include "cli/historystore.h"
#include "records/recordstore.h"

#include <QJsonDocument>

namespace qm::cli {

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
