#include "cli/portcommands.h"

#include "core/settings.h"
#include "device/portlist.h"
#include "device/portmap.h"

namespace qm::cli {

int RunPorts(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the serial devices present (device file, description, manufacturer, serial "
        "number, the stable /dev/serial/by-id name and the COM number that leads to it), then "
        "what COM1..COM20 stand for. --port names a device path for COM1, as elsewhere."));
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    QtSettingsStore settings;
    PortMap map(&settings);
    if (!ctx.port.isEmpty() && PortNumberFromName(ctx.port) == 0) map.pin(1, ctx.port);

    const QList<SerialDevice> present = ListSerialDevices();
    ctx.out << "Serial devices present:" << Qt::endl;
    if (present.isEmpty()) ctx.out << "  none" << Qt::endl;
    for (const SerialDevice& d : present) {
        QStringList ports;
        for (int p = 1; p <= kPortCount; ++p)
            if (FindPresent(map.path(p), {d})) ports << QStringLiteral("COM%1").arg(p);
        ctx.out << "  " << DeviceSummary(d.device, present) << Qt::endl;
        if (!d.stableName.isEmpty()) ctx.out << "    " << d.stableName << Qt::endl;
        ctx.out << "    "
                << (ports.isEmpty() ? QStringLiteral("no COM number leads here; use --port "
                                                     "with the path")
                                    : ports.join(u' '))
                << Qt::endl;
    }
    ctx.out << "COM numbers:" << Qt::endl;
    for (int p = 1; p <= kPortCount; ++p)
        ctx.out << "  " << QStringLiteral("COM%1").arg(p).leftJustified(6) << map.path(p)
                << Qt::endl;
    return kExitOk;
}

} // namespace qm::cli
