#include "cli/devicecommands.h"

#include "cli/recordjson.h"
#include "core/clock.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "device/discovery.h"
#include "device/livepoll.h"
#include "device/protocol.h"
#include "device/serialtransport.h"
#include "sensor/reader.h"

namespace qm::cli {

namespace {

// The link to the device for one command: the port map, the layer, the clock.
class DeviceLink {
  public:
    DeviceLink() : m_map(&m_settings), m_factory(nullptr), m_layer(nullptr) {}

    // Resolves --port (or the stored port); false with a message on a bad name.
    bool choosePort(Context& ctx, int& exitCode) {
        QString name = ctx.port.trimmed();
        if (name.isEmpty())
            name = QStringLiteral("COM") + m_settings.value(QStringLiteral("Default"),
                                                            QStringLiteral("ComPort"),
                                                            QStringLiteral("1"));
        m_port = PortNumberFromName(name);
        if (m_port == 0) {
            if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || name.isEmpty()) {
                exitCode = Fail(
                    ctx, QStringLiteral("no such port \"%1\" (COM1..COM20 or a path)").arg(name),
                    kExitBadInput);
                return false;
            }
            m_port = 1; // a path stands in for COM1
            m_map.pin(m_port, name);
        }
        m_name = name;
        build();
        return true;
    }

    // The connect step; false with a one-line message when it fails.
    bool connect(Context& ctx, int& exitCode) {
        switch (ConnectDevice(*m_layer, m_clock, m_port)) {
        case ConnectResult::Ok:
            return true;
        case ConnectResult::OpenFailed: {
            QString text;
            m_layer->CommErrorText(text);
            exitCode =
                Fail(ctx, QStringLiteral("cannot open %1: %2").arg(where(), text), kExitDevice);
            return false;
        }
        case ConnectResult::NoDevice:
            break;
        }
        exitCode = Fail(ctx, QStringLiteral("no QM-07R answers on %1").arg(where()), kExitDevice);
        return false;
    }

    // "COM3 (/dev/ttyS2)" or the path given.
    QString where() const {
        const QString path = m_map.path(m_port);
        return m_name == path ? path : QStringLiteral("%1 (%2)").arg(m_name, path);
    }

    SerialLayer& layer() { return *m_layer; }
    Clock& clock() { return m_clock; }
    int port() const { return m_port; }
    void build() {
        m_factory = std::make_unique<SerialTransportFactory>(m_map);
        m_layer = std::make_unique<SerialLayer>(*m_factory, m_clock);
    }

  private:
    QtSettingsStore m_settings;
    PortMap m_map;
    RealClock m_clock;
    std::unique_ptr<SerialTransportFactory> m_factory;
    std::unique_ptr<SerialLayer> m_layer;
    int m_port = 0;
    QString m_name;
};

// {"result": r, "record": {...}} as decode prints it, one level in.
QByteArray resultJson(int result, const SensorRecord& rec) {
    return "{\n    \"result\": " + QByteArray::number(result) +
           ",\n    \"record\": " + RecordToJson(rec, 4) + "\n  }";
}

// The block named on the command line: group 0 (the iTag) or 4 (the store).
bool parseBlock(const QString& text, int& group) {
    bool ok = false;
    const QString t = text.trimmed().toLower();
    const int n = t.startsWith(QLatin1String("0x")) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok, 16);
    if (!ok || (n != 0x00 && n != 0x80)) return false;
    group = n / 32;
    return true;
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

    const LangTable lang;
    ReadUi ui;
    ReadContext rc{link.layer(), link.clock(), link.port(), lang, ui, nullptr};
    SensorSession s;
    QString ident;
    SensorReadReport report;
    const int r = ReadAll(rc, s, &ident, &report);
    if (r == -3 || r == -2)
        return Fail(ctx, QStringLiteral("no QM-07R identifies itself on %1").arg(link.where()),
                    kExitDevice);
    if (r < 0 || !link.layer().PortIsOpen(link.port()))
        return Fail(ctx, QStringLiteral("the line to %1 was lost").arg(link.where()), kExitDevice);

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
    ctx.out << QString::fromUtf8(json);
    ctx.out.flush();
    const bool refused = report.deviceResult < 0 || (s.TagPresent == 1 && report.tagResult < 0);
    return refused ? kExitRefused : kExitOk;
}

int RunScan(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Searches COM1..COM19 (through the port map) for a QM-07R as the calibrator's search "
        "button does, and prints the first port that answers. Exit 1 when none does."));
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    DeviceLink link;
    link.build();
    const int port = FindDevice(link.layer(), link.clock());
    if (port < 1) return 1;
    ctx.out << "COM" << port << Qt::endl;
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
    if (!parser.isSet(block) || !parseBlock(parser.value(block), group))
        return Fail(ctx, QStringLiteral("--block must be 0x00 or 0x80"), kExitBadInput);
    DeviceLink link;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;
    QByteArray image;
    if (ReadConfigBlock(link.layer(), link.clock(), link.port(), image, kDeviceAddress, group, 0) !=
        kBlockRead)
        return Fail(ctx,
                    QStringLiteral("block 0x%1 did not arrive from %2")
                        .arg(QString::number(BlockNumber(group, 0), 16).rightJustified(2, u'0'),
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
        "missing or incomplete (as on the first tick)."));
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
    for (int i = 0; ticks == 0 || i < ticks; ++i) {
        if (i > 0) link.clock().delay(150);
        const LiveTick tick = PollLive(link.layer(), link.port());
        if (!tick.portOpen)
            return Fail(ctx, QStringLiteral("the line to %1 was lost").arg(link.where()),
                        kExitDevice);
        if (tick.reading)
            ctx.out << FormatMask(tick.reading->div, QStringLiteral("#######0")) << ' '
                    << FormatMask(tick.reading->signal, QStringLiteral("###0.0000")) << ' '
                    << QString::number(static_cast<float>(tick.reading->display), 'g', 7)
                    << Qt::endl;
        else
            ctx.out << "-----" << Qt::endl;
    }
    return kExitOk;
}

} // namespace qm::cli
