#include "cli/clicommand.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace qm::cli {

QCommandLineOption PortOption() {
    return QCommandLineOption(QStringLiteral("port"),
                              QStringLiteral("Serial port of the QM-07R: COM1..COM20 or a path."),
                              QStringLiteral("P"));
}

bool ParseCommandArgs(QCommandLineParser& parser, Context& ctx, const QStringList& args,
                      qsizetype positionals, int& exitCode) {
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption port = PortOption();
    parser.addOption(port);
    if (!parser.parse(args)) {
        exitCode = Fail(ctx, parser.errorText(), kExitBadInput);
        return false;
    }
    if (parser.isSet(help)) {
        ctx.out << HelpText(parser, args.value(0));
        exitCode = kExitOk;
        return false;
    }
    if (parser.positionalArguments().size() != positionals) {
        exitCode = Fail(ctx,
                        QStringLiteral("%1 takes %2 argument(s); see %3 --help")
                            .arg(args.value(0), QString::number(positionals), args.value(0)),
                        kExitBadInput);
        return false;
    }
    if (parser.isSet(port)) {
        ctx.port = parser.value(port);
        ctx.portGiven = true;
    }
    return true;
}

QString HelpText(const QCommandLineParser& parser, const QString& usageName) {
    QString text = parser.helpText();
    const QString program = QCoreApplication::arguments().value(0);
    const QString usage = QStringLiteral("Usage: ");
    if (text.startsWith(usage + program)) text.replace(usage.size(), program.size(), usageName);
    return text;
}

int Fail(Context& ctx, const QString& message, int code) {
    QString line = message;
    line.replace(u'\n', u' ');
    ctx.err << ctx.program << ": " << line.trimmed() << Qt::endl;
    return code;
}

bool ReadInput(const QString& path, qint64 maxBytes, QByteArray& data, QString& error) {
    QFile file;
    const bool isStdin = path == u"-";
    const bool opened = isStdin ? file.open(stdin, QIODevice::ReadOnly)
                                : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (data.size() > maxBytes) { // refused whole rather than cut
        error = QStringLiteral("%1 holds more than %2 bytes").arg(path).arg(maxBytes);
        return false;
    }
    return true;
}

bool Print(Context& ctx, const QByteArray& text) {
    ctx.out.flush();
    QString error;
    if (WriteOutput(QString(), text, error)) return true;
    Fail(ctx, error, kExitBadInput);
    return false;
}

bool WriteOutput(const QString& path, const QByteArray& data, QString& error) {
    QFile file;
    const bool isStdout = path.isEmpty() || path == u"-";
    const bool opened = isStdout ? file.open(stdout, QIODevice::WriteOnly)
                                 : (file.setFileName(path), file.open(QIODevice::WriteOnly));
    if (!opened || file.write(data) != data.size() || !file.flush()) {
        error = QStringLiteral("cannot write %1: %2")
                    .arg(isStdout ? QStringLiteral("standard output") : path, file.errorString());
        return false;
    }
    return true;
}

} // namespace qm::cli
