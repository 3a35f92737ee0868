#include "cli/imagecommands.h"

#include "cli/imagefile.h"
#include "cli/recordjson.h"
#include "device/protocol.h"

#include <QDate>
#include <QRegularExpression>

namespace qm::cli {

namespace {

constexpr qint64 kMaxJsonFile = 16 << 20;

// "YYMMDD" of the years 2000..2099; an invalid date gives a null QDate.
QDate ParseYYMMDD(const QString& s) {
    static const QRegularExpression sixDigits(QStringLiteral("^\\d{6}$"));
    if (!sixDigits.match(s).hasMatch()) return {};
    return QDate(2000 + s.left(2).toInt(), s.mid(2, 2).toInt(), s.mid(4, 2).toInt());
}

} // namespace

int RunDecode(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the record of a configuration image (a 256-byte block dump, or "
                       "an image as encode writes it) as JSON. Exit 0 when it decodes, 3 when "
                       "the decoder refuses it, 2 for a file of another length."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The image; - reads "
                                                                        "standard input."));
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 1, exitCode)) return exitCode;

    QByteArray image;
    QString error;
    const QString path = parser.positionalArguments().at(0);
    if (!ReadInput(path, kBlockBytes, image, error)) return Fail(ctx, error, kExitBadInput);

    const ImageFile f = ReadImageFile(image);
    if (!f.misfit.isEmpty())
        return Fail(ctx, QStringLiteral("%1: %2").arg(path, f.misfit), kExitBadInput);
    if (!Print(ctx, "{\n  \"result\": " + QByteArray::number(f.result) +
                        ",\n  \"record\": " + RecordToJson(f.rec, 2) + "\n}\n"))
        return kExitBadInput;
    return f.result > 0 ? kExitOk : kExitRefused;
}

int RunEncode(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the configuration image of a record given as JSON (keys as decode prints "
        "them; missing keys take the default record's values)."));
    parser.addPositionalArgument(QStringLiteral("FILE.json"),
                                 QStringLiteral("The record; - reads standard input."));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("Date of writing, YYMMDD (default: today)."),
                                  QStringLiteral("YYMMDD"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the image to OUT instead of standard "
                                                   "output."),
                                    QStringLiteral("OUT"));
    parser.addOption(date);
    parser.addOption(output);
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 1, exitCode)) return exitCode;

    QDate today = QDate::currentDate();
    if (parser.isSet(date)) {
        today = ParseYYMMDD(parser.value(date));
        if (!today.isValid())
            return Fail(ctx,
                        QStringLiteral("--date %1 is not a date YYMMDD").arg(parser.value(date)),
                        kExitBadInput);
    }

    const QString path = parser.positionalArguments().at(0);
    QByteArray text;
    QString error;
    if (!ReadInput(path, kMaxJsonFile, text, error)) return Fail(ctx, error, kExitBadInput);
    QByteArray image;
    if (!ImageFromJson(text, today, image, error))
        return Fail(ctx, QStringLiteral("%1: %2").arg(path, error), kExitBadInput);
    if (!WriteOutput(parser.value(output), image, error)) return Fail(ctx, error, kExitBadInput);
    return kExitOk;
}

} // namespace qm::cli
