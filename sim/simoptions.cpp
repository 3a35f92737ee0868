#include "sim/simoptions.h"

#include <QCommandLineParser>
#include <cmath>
#include <limits>

namespace qm {

std::optional<double> ParseSignal(const QString& text) {
    QString t = text.simplified().remove(QLatin1Char(' '));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

namespace {

bool intValue(const QCommandLineParser& p, const QString& name, int min, int& out, QString* error) {
    if (!p.isSet(name)) return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min) {
        *error = QStringLiteral("--%1 needs a whole number of at least %2").arg(name).arg(min);
        return false;
    }
    out = v;
    return true;
}

// A number with "," or "." within [min, max]; the option may be absent.
bool numberValue(const QCommandLineParser& p, const QString& name, double min, double max,
                 double& out, QString* error) {
    if (!p.isSet(name)) return true;
    const auto v = ParseSignal(p.value(name));
    if (!v || *v < min || *v > max) {
        const QString range = std::isfinite(max)
                                  ? QStringLiteral(" from %1 to %2").arg(min).arg(max)
                              : std::isfinite(min) ? QStringLiteral(" of at least %1").arg(min)
                                                   : QString();
        *error = QStringLiteral("--%1 needs a number%2").arg(name, range);
        return false;
    }
    out = *v;
    return true;
}

const char* const kDescription =
    "A simulated QM-07R measuring amplifier on a pseudo-terminal.\n"
    "\n"
    "It answers the device's requests (\"@\", \"MK\", \"KQ\", \"X\", \"KB\", \"KW\", \"ER\",\n"
    "\"EW\") on the slave side of a pty, whose path it prints on its first output\n"
    "line. It holds configuration blocks 0x00 (the sensor's iTag) and 0x80 (the\n"
    "device's store) and 256 bytes of device memory (0x20 display digits, N at\n"
    "0x90, k at 0x94). \"MK\" reports the count N + signal*x/(128*k) at the gain x\n"
    "of the active stored record, clipped to 24 bits, the signal in mV/V (following\n"
    "the clipped count) and the display value from the active stored curve (loaded\n"
    "at start and at \"X\").\n"
    "\n"
    "The signal is the load applied to the sensor: type a number in mV/V per line\n"
    "on standard input, or keep it in a file (--signal-file). Like a real sensor\n"
    "it may settle after each change (--settle), drift (--drift) and carry noise\n"
    "(--noise).\n"
    "\n"
    "Point the calibrator at it with QM07_PORT_COMn=<link> or the settings\n"
    "section \"Ports\". Ends on SIGINT or SIGTERM, removing the link.";

} // namespace

bool ParseSimOptions(const QStringList& args, SimOptions& options, QString* error, QString* help) {
    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = p.addHelpOption();
    const QCommandLineOption versionOption = p.addVersionOption();
    p.addOptions({
        {QStringLiteral("link"), QStringLiteral("Publish the pty as this symlink."),
         QStringLiteral("path")},
        {QStringLiteral("state"),
         QStringLiteral("Keep blocks and memory in this folder, so that a "
                        "calibration written survives a restart."),
         QStringLiteral("dir")},
        {QStringLiteral("no-itag"),
         QStringLiteral("No sensor memory: \"KQ\" answers 00 and block 0x00 "
                        "does not answer.")},
        {QStringLiteral("digits"), QStringLiteral("Display digits stored at 0x20 (5 or 6)."),
         QStringLiteral("n")},
        {QStringLiteral("signal"), QStringLiteral("Signal at start in mV/V (default 0)."),
         QStringLiteral("mV/V")},
        {QStringLiteral("signal-file"),
         QStringLiteral("Read the signal in mV/V from this file "
                        "whenever requests arrive."),
         QStringLiteral("file")},
        {QStringLiteral("latency"),
         QStringLiteral("Milliseconds before a reply starts (default 1)."), QStringLiteral("ms")},
        {QStringLiteral("paced"), QStringLiteral("Send replies at the line's real 115200 baud.")},
        {QStringLiteral("split"), QStringLiteral("Send replies in pieces of this many bytes."),
         QStringLiteral("bytes")},
        {QStringLiteral("split-gap"), QStringLiteral("Milliseconds between pieces (default 15)."),
         QStringLiteral("ms")},
        {QStringLiteral("lower-case-id"), QStringLiteral("Identify as \"qm-07r\" in lower case.")},
        {QStringLiteral("wrong-echo"),
         QStringLiteral("Echo byte p (1-based) of a block write wrongly."), QStringLiteral("p")},
        {QStringLiteral("corrupt-store"),
         QStringLiteral("Store byte p (1-based) of a block write altered while echoing it as "
                        "sent, as a failing memory cell would."),
         QStringLiteral("p")},
        {QStringLiteral("silent-after"), QStringLiteral("Answer nothing after n requests."),
         QStringLiteral("n")},
        {QStringLiteral("hang-up-after"),
         QStringLiteral("Close the line for good after n requests."), QStringLiteral("n")},
        {QStringLiteral("garble"),
         QStringLiteral("Replace each reply byte with this chance (0..1)."),
         QStringLiteral("rate")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the garbling and the noise (default 1)."),
         QStringLiteral("n")},
        {QStringLiteral("noise"),
         QStringLiteral("Gaussian noise on each measurement, its standard deviation in mV/V."),
         QStringLiteral("sigma")},
        {QStringLiteral("settle"),
         QStringLiteral("After a change of load the signal approaches the new one with this "
                        "time constant (63% after it, 99% after five)."),
         QStringLiteral("seconds")},
        {QStringLiteral("drift"), QStringLiteral("Slow drift of the signal in mV/V per minute."),
         QStringLiteral("mV/V")},
        {QStringLiteral("display-error"),
         QStringLiteral("The displayed value reads off by this percentage of itself."),
         QStringLiteral("pct")},
        {QStringLiteral("hysteresis"),
         QStringLiteral("After a fall of load the displayed value lags this many display units "
                        "high, as a sensor with hysteresis would."),
         QStringLiteral("units")},
    });
    if (!p.parse(args)) {
        *error = p.errorText();
        return false;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: ") + p.positionalArguments().first();
        return false;
    }
    if (p.isSet(helpOption)) {
        *help = p.helpText();
        return true;
    }
    if (p.isSet(versionOption)) {
        *help = QStringLiteral("qm07r-sim " QM_VERSION_TEXT);
        return true;
    }
    options.link = p.value(QStringLiteral("link"));
    options.stateDir = p.value(QStringLiteral("state"));
    options.noTag = p.isSet(QStringLiteral("no-itag"));
    options.signalFile = p.value(QStringLiteral("signal-file"));
    if (p.isSet(QStringLiteral("digits"))) {
        int d = 0;
        if (!intValue(p, QStringLiteral("digits"), 0, d, error) || d > 255) {
            *error = QStringLiteral("--digits needs a number 0..255");
            return false;
        }
        options.digits = d;
    }
    if (p.isSet(QStringLiteral("signal"))) {
        const auto s = ParseSignal(p.value(QStringLiteral("signal")));
        if (!s) {
            *error = QStringLiteral("--signal needs a number in mV/V");
            return false;
        }
        options.signal = *s;
    }
    SimFaults& f = options.faults;
    f.paced = p.isSet(QStringLiteral("paced"));
    f.lowerCaseId = p.isSet(QStringLiteral("lower-case-id"));
    int seed = 1;
    if (!intValue(p, QStringLiteral("latency"), 0, f.latencyMs, error) ||
        !intValue(p, QStringLiteral("split"), 1, f.splitBytes, error) ||
        !intValue(p, QStringLiteral("split-gap"), 0, f.splitGapMs, error) ||
        !intValue(p, QStringLiteral("wrong-echo"), 1, f.wrongEchoAt, error) ||
        !intValue(p, QStringLiteral("corrupt-store"), 1, f.corruptStoreAt, error) ||
        !intValue(p, QStringLiteral("silent-after"), 0, f.silentAfter, error) ||
        !intValue(p, QStringLiteral("hang-up-after"), 0, f.hangUpAfter, error) ||
        !intValue(p, QStringLiteral("seed"), 0, seed, error))
        return false;
    f.seed = static_cast<quint32>(seed);
    SignalOptions& sm = options.signalModel;
    sm.seed = f.seed;
    constexpr double kAny = std::numeric_limits<double>::infinity();
    return numberValue(p, QStringLiteral("garble"), 0, 1, f.garbleRate, error) &&
           numberValue(p, QStringLiteral("noise"), 0, kAny, sm.noiseSigma, error) &&
           numberValue(p, QStringLiteral("settle"), 0, kAny, sm.settleSeconds, error) &&
           numberValue(p, QStringLiteral("drift"), -kAny, kAny, sm.driftPerMinute, error) &&
           numberValue(p, QStringLiteral("display-error"), -100, 100, f.displayErrorPct, error) &&
           numberValue(p, QStringLiteral("hysteresis"), -kAny, kAny, f.hysteresis, error);
}

} // namespace qm
