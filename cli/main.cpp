// qm07ctl: the command-line companion of the calibrator.
#include "cli/certificatecommand.h"
#include "cli/clicommand.h"
#include "cli/devicecommands.h"
#include "cli/historycommand.h"
#include "cli/imagecommands.h"
#include "cli/portcommands.h"
#include "cli/verifycommand.h"
#include "cli/writecommands.h"

#include <QGuiApplication>
#include <algorithm>
#include <iterator>
#include <memory>

using namespace qm::cli;

namespace {

// One line per command; a command lives in its own file.
const Command kCommands[] = {
    {"decode", "Print the record of a configuration image file as JSON", RunDecode},
    {"encode", "Write the configuration image of a record given as JSON", RunEncode},
    {"read", "Connect and read the QM-07R and its sensor memory as JSON", RunRead},
    {"scan", "Find the QM-07R on COM1..COM19", RunScan},
    {"ports", "List the serial devices present and what COM1..COM20 stand for", RunPorts},
    {"dump", "Write the raw 256 bytes of configuration block 0x00 or 0x80", RunDump},
    {"live", "Poll the live measurement every 150 ms", RunLive},
    {"write", "Back up a configuration block, write a record or image into it, check it", RunWrite},
    {"restore", "Put a backup of a configuration block back, byte for byte", RunRestore},
    {"history", "List the calibrations recorded, newest first", RunHistory},
    {"verify", "Check the device's reading against reference loads typed one a line", RunVerify},
    {"certificate", "Write the PDF certificate of a recorded calibration", RunCertificate},
};

QString MainHelp(const QCommandLineParser& parser) {
    QString text = HelpText(parser, QStringLiteral("qm07ctl"));
    text += QStringLiteral("\nCommands:\n");
    for (const Command& c : kCommands)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(c.name).leftJustified(10), QLatin1String(c.summary));
    text += QStringLiteral("\nRun \"qm07ctl COMMAND --help\" for a command's own options.\n");
    return text;
}

} // namespace

int main(int argc, char* argv[]) {
    // The certificate draws text, which takes a QGuiApplication; it never shows a window.
    const bool drawsText = std::any_of(
        argv + 1, argv + argc, [](const char* a) { return qstrcmp(a, "certificate") == 0; });
    if (drawsText) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        drawsText ? std::make_unique<QGuiApplication>(argc, argv)
                  : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qm07ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QM_VERSION_TEXT));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Context ctx{QStringLiteral("qm07ctl"), QString(), out, err};

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Command-line companion of the QM-07 Calibrator: configuration images, "
                       "the QM-07R and its sensor memory."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port = PortOption();
    parser.addOption(port);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do (below)."),
                                 QStringLiteral("COMMAND [ARGS...]"));

    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(ctx, parser.errorText(), kExitBadInput);
    if (parser.isSet(help)) {
        out << MainHelp(parser);
        return kExitOk;
    }
    if (parser.isSet(version)) {
        out << "qm07ctl " << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitOk;
    }
    if (parser.isSet(port)) {
        ctx.port = parser.value(port);
        ctx.portGiven = true;
    }

    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        err << MainHelp(parser);
        return kExitBadInput;
    }
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const Command& c) {
        return rest[0] == QLatin1String(c.name);
    });
    if (it == std::end(kCommands))
        return Fail(ctx, QStringLiteral("unknown command \"%1\"; see qm07ctl --help").arg(rest[0]),
                    kExitBadInput);
    QStringList args = rest;
    args[0] = QStringLiteral("qm07ctl ") + rest[0];
    return it->run(ctx, args);
}
