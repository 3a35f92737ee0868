#pragma once
// What every qm07ctl command shares: the exit codes, the context it runs in,
// and the parsing of its own arguments. A command is a function listed in the
// dispatch table of main.cpp.
#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace qm::cli {

enum ExitCode {
    kExitOk = 0,
    kExitBadInput = 2,     // usage, a missing or unreadable file, bad JSON, a value out of range
    kExitRefused = 3,      // the input was read but judged bad (a decoder result below 1)
    kExitDevice = 4,       // the port cannot be opened or the QM-07R does not answer
    kExitNoBackup = 5,     // the block could not be backed up, so nothing was written
    kExitWriteFailed = 6,  // a block write stopped midway (the backup's path is named)
    kExitNotConfirmed = 7, // written, but the read-back differs or did not arrive
    kExitHistory = 8,      // the calibration history cannot be opened or read
    kExitNoRecord = 9,     // the history holds no such record
    kExitNotVerified = 10, // a verification's verdict is fail
    kExitNotSettled = 11,  // the reading did not settle within the time allowed
};

struct Context {
    QString program = QStringLiteral("qm07ctl");
    QString port;           // --port, before or after the command
    QTextStream& out;       // standard output, UTF-8
    QTextStream& err;       // one-line messages
    bool portGiven = false; // --port was given, even empty
};

using CommandFn = int (*)(Context& ctx, const QStringList& args);

struct Command {
    const char* name;
    const char* summary;
    CommandFn run;
};

// Parses a command's arguments (args[0] names the command) with --help and
// --port added. Returns false when the command should end with exitCode:
// after --help (kExitOk) or a parse error (kExitBadInput, message printed).
// positionals: how many positional arguments the command takes.
bool ParseCommandArgs(QCommandLineParser& parser, Context& ctx, const QStringList& args,
                      qsizetype positionals, int& exitCode);

// The --port option, shared by the top-level parser and every command.
QCommandLineOption PortOption();

// The parser's help with usageName (e.g. "qm07ctl decode") in place of the program path.
QString HelpText(const QCommandLineParser& parser, const QString& usageName);

// Prints "qm07ctl: message" on one line to err and returns code.
int Fail(Context& ctx, const QString& message, int code);

// The bytes of a file, or of standard input for "-"; a longer one is refused.
// On failure: false and a one-line reason that names the file.
bool ReadInput(const QString& path, qint64 maxBytes, QByteArray& data, QString& error);

// Writes text to standard output after what ctx.out holds; false with the
// message printed when it cannot be written (exit kExitBadInput then).
bool Print(Context& ctx, const QByteArray& text);

// Writes bytes to a file, or to standard output for "" or "-".
bool WriteOutput(const QString& path, const QByteArray& data, QString& error);

} // namespace qm::cli
