#include "cli/devicecommands.h"

#include "cli/devicelink.h"
#include "cli/recordjson.h"
#include "core/hex.h"
#include "core/numformat.h"
#include "device/agreedreads.h"
#include "device/discovery.h"
#include "device/livepoll.h"
#include "device/portlist.h"
#include "device/protocol.h"
#include "sensor/reader.h"

namespace qm::cli {

namespace {

// Ticks in a row without a reply after which the device is taken as silent.
constexpr int kSilentTicks = 10;

// {"result": r, "record": {...}} as decode prints it, one level in.
QByteArray resultJson(int result, const SensorRecord& rec) {
    return "{\n    \"result\": " + QByteArray::number(result) +
           ",\n    \"record\": " + RecordToJson(rec, 4) + "\n  }";
}

} // namespace

int RunRead(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Connects, identifies the QM-07R and reads it as the calibrator does: display digits, "
        "N and k, the iTag query and the configuration blocks. Prints one JSON object. Asks "
        "nothing: an image that does not decode is reported (exit 3), not replaced. Exit 4 "
        "when the device cannot be reached."));
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    DeviceLink link;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;

    SensorSession s;
    QString ident;
    SensorReadReport report;
    if (!link.readAll(ctx, s, exitCode, &ident, &report)) return exitCode;

    QByteArray json = "{\n  \"ident\": " + StringJson(ident.trimmed()) + ",\n";
    json += "  \"DisplayDigits\": " + QByteArray::number(s.DisplayDigits) + ",\n";
    json += "  \"N\": " + FloatJson(static_cast<float>(s.N)) + ",\n";
    json += "  \"k\": " + FloatJson(static_cast<float>(s.k)) + ",\n";
    json += "  \"TagPresent\": " + QByteArray::number(s.TagPresent) + ",\n";
    json += "  \"DeviceRecord\": " + resultJson(report.deviceResult, s.DeviceRecord) + ",\n";
    json += "  \"TagRecord\": " +
            (s.TagPresent == 1 ? resultJson(report.tagResult, s.TagRecord) : QByteArray("null")) +
            ",\n";
    json += "  \"CurrentRecord\": " + RecordToJson(s.CurrentRecord, 2) + "\n}\n";
    if (!Print(ctx, json)) return kExitBadInput;
    const bool refused = report.deviceResult < 0 || (s.TagPresent == 1 && report.tagResult < 0);
    return refused ? kExitRefused : kExitOk;
}

int RunScan(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Searches COM1..COM19 (through the port map) for a QM-07R as the calibrator's search "
        "button does, and prints the first port that answers with the device behind it. Exit 1 "
        "when none does (the serial devices present are listed on standard error)."));
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    DeviceLink link;
    link.build();
    const int port = FindDevice(link.connection());
    const QList<SerialDevice> present = ListSerialDevices();
    if (port < 1) {
        QStringList devices;
        for (const SerialDevice& d : present)
            devices << DeviceSummary(d.device, present);
        Fail(ctx,
             QStringLiteral("no QM-07R answers on COM1..COM19; serial devices present: %1 "
                            "(see qm07ctl ports)")
                 .arg(devices.isEmpty() ? QStringLiteral("none")
                                        : devices.join(QStringLiteral("; "))),
             1);
        return 1;
    }
    ctx.out << "COM" << port << "   "
            << DeviceSummary(link.connection().factory().describe(port), present) << Qt::endl;
    return kExitOk;
}

int RunDump(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Connects and writes the raw 256 bytes of a configuration block: 0x00 the sensor's "
        "iTag, 0x80 the device's store."));
    const QCommandLineOption block(QStringLiteral("block"), QStringLiteral("0x00 or 0x80."),
                                   QStringLiteral("B"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write to FILE instead of standard output."),
                                    QStringLiteral("FILE"));
    parser.addOption(block);
    parser.addOption(output);
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    int group = 0;
    if (!parser.isSet(block) || !ParseBlockOption(parser.value(block), group))
        return Fail(ctx, QStringLiteral("--block must be 0x00 or 0x80"), kExitBadInput);
    DeviceLink link;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;
    QByteArray image;
    const int r = AgreedBlock(link.connection(), image, group);
    if (r != kBlockRead)
        return Fail(ctx,
                    QStringLiteral("block 0x%1 %2 from %3")
                        .arg(HexN(BlockNumber(group, 0), 2),
                             r == kBlockGarbled
                                 ? QStringLiteral("came garbled or never twice alike")
                                 : QStringLiteral("did not arrive"),
                             link.where()),
                    kExitDevice);
    QString error;
    if (!WriteOutput(parser.value(output), image, error)) return Fail(ctx, error, kExitBadInput);
    return kExitOk;
}

int RunLive(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Connects and polls the live measurement every 150 ms, printing one line per tick: the "
        "raw count, the signal in mV/V and the display value, or \"-----\" when the reply was "
        "missing, incomplete or garbled (as on the first tick). Exit 4 when the device has not "
        "answered for 1.5 s."));
    const QCommandLineOption count(
        QStringLiteral("count"), QStringLiteral("Stop after N ticks (default: run until stopped)."),
        QStringLiteral("N"));
    parser.addOption(count);
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    bool ok = true;
    const int ticks = parser.isSet(count) ? parser.value(count).toInt(&ok) : 0;
    if (!ok || ticks < 0)
        return Fail(ctx, QStringLiteral("--count needs a whole number"), kExitBadInput);
    DeviceLink link;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;
    int silent = -1; // ticks without a character; the first tick has nothing to read
    for (int i = 0; ticks == 0 || i < ticks; ++i) {
        if (i > 0) link.clock().delay(150);
        const LiveTick tick = PollLive(link.connection());
        if (!tick.portOpen)
            return Fail(ctx, QStringLiteral("the line to %1 was lost").arg(link.where()),
                        kExitDevice);
        silent = tick.replied ? 0 : silent + 1;
        if (silent >= kSilentTicks)
            return Fail(ctx,
                        QStringLiteral("no reply from %1 to the live measurement (MK) for %2 ms")
                            .arg(link.where())
                            .arg(kSilentTicks * 150),
                        kExitDevice);
        const QString line =
            tick.reading
                ? FormatMask(tick.reading->div, QStringLiteral("#######0")) + u' ' +
                      FormatMask(tick.reading->signal, QStringLiteral("###0.0000")) + u' ' +
                      QString::number(static_cast<float>(tick.reading->display), 'g', 7)
                : QStringLiteral("-----");
        if (!Print(ctx, line.toUtf8() + '\n')) return kExitBadInput;
    }
    return kExitOk;
}

} // namespace qm::cli
