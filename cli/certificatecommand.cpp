#include "cli/certificatecommand.h"

#include "cli/historystore.h"
#include "core/datafiles.h"
#include "core/languagefile.h"
#include "report/certificate.h"

#include <QCoreApplication>

namespace qm::cli {

namespace {

// The texts of --language: en (or none) the built-in English, cs the
// calibrator's own file found where the calibrator finds it, else the file
// named; false when there is no such file.
bool TextsOf(const QString& language, CertificateTexts& texts, QString& error) {
    if (language.isEmpty() || language == QLatin1String("en")) return true;
    const QString path = language == QLatin1String("cs")
                             ? FindLanguageFile(QCoreApplication::applicationDirPath())
                             : language;
    LangTable table;
    if (LoadLanguage(path, table) == 0) {
        error = QStringLiteral("no language file %1").arg(path);
        return false;
    }
    texts = CertificateTextsFrom([&](int n) { return table.text(n); });
    return true;
}

} // namespace

int RunCertificate(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the A4 calibration certificate (PDF) of a record of the calibration history: "
        "the one with --id, or the latest successful calibration of the sensor with --serial. Exit "
        "8 "
        "when the history cannot be opened, 9 when it holds no such record."));
    const QCommandLineOption id(QStringLiteral("id"),
                                QStringLiteral("The record's id (history "
                                               "lists them)."),
                                QStringLiteral("N"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("The sensor's serial number."),
                                    QStringLiteral("S"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The PDF file to write."),
                                    QStringLiteral("FILE.pdf"));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("The certificate's texts: en (the default, built in), cs (the calibrator's "
                       "own qm07r.lang, Czech as shipped) or the path of a language file."),
        QStringLiteral("cs|en|FILE"));
    parser.addOption(id);
    parser.addOption(serial);
    parser.addOption(output);
    parser.addOption(language);
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    if (parser.isSet(id) == parser.isSet(serial))
        return Fail(ctx, QStringLiteral("give either --id N or --serial S"), kExitBadInput);
    if (parser.value(output).isEmpty())
        return Fail(ctx, QStringLiteral("give the PDF file with -o FILE.pdf"), kExitBadInput);
    bool numeric = false;
    const qint64 recordId = parser.value(id).toLongLong(&numeric);
    if (parser.isSet(id) && (!numeric || recordId < 1))
        return Fail(ctx, QStringLiteral("--id %1 is not a record id").arg(parser.value(id)),
                    kExitBadInput);

    CertificateTexts texts;
    if (QString error; !TextsOf(parser.value(language), texts, error))
        return Fail(ctx, error, kExitBadInput);

    RecordStore store;
    if (!OpenHistory(ctx, store, exitCode)) return exitCode;
    CalibrationRecord rec;
    const DatabaseStatus s =
        parser.isSet(id) ? store.get(recordId, rec) : store.latest(parser.value(serial), rec);
    if (!s.ok()) return HistoryFailure(ctx, s);
    const bool verification = rec.kind == RecordKind::Verification;
    if (!verification && (!TakesCertificate(rec) || rec.certificateNo.isEmpty()))
        return Fail(ctx,
                    QStringLiteral("record #%1 is no successful calibration: it takes no "
                                   "certificate")
                        .arg(rec.id),
                    kExitNoRecord);
    // The newest verification that checks this calibration is its as-left.
    std::optional<CalibrationRecord> asLeft;
    if (!verification) {
        const DatabaseStatus h = store.forEach(rec.serialNo, [&](const CalibrationRecord& r) {
            if (r.kind == RecordKind::Verification && r.checks == rec.id) asLeft = r;
            return !asLeft;
        });
        if (!h.ok()) return HistoryFailure(ctx, h);
    }
    QString error;
    if (!WriteCertificate(rec, texts, parser.value(output), &error, asLeft ? &*asLeft : nullptr))
        return Fail(ctx, error, kExitBadInput);
    ctx.out << "certificate "
            << (verification ? QStringLiteral("of record #%1").arg(rec.id) : rec.certificateNo)
            << ": " << parser.value(output) << Qt::endl;
    return kExitOk;
}

} // namespace qm::cli
