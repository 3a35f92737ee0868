#include "device/discovery.h"

#include "core/settings.h"
#include "device/portlist.h"
#include "device/protocol.h"

namespace qm {

namespace {
const QString kBaud = QStringLiteral("115200");
}

namespace {
// The identification as the scan and the connect step send it: twice, 100 ms
// apart, then what came back 100 ms later.
QString IdentifyTwice(SerialLayer& layer, Clock& clock, int port) {
    layer.WritePort(port, kRequestIdentify);
    clock.delay(100);
    layer.WritePort(port, kRequestIdentify);
    clock.delay(100);
    QString reply;
    layer.ReadPort(port, reply, 256);
    return reply;
}
} // namespace

int FindDevice(SerialLayer& layer, Clock& clock, int lastPort) {
    for (int p = 1; p <= lastPort; ++p) {
        layer.OpenPort(p, kBaud, true);
        // A port that was already open (the port in use) is used as it is.
        if (layer.PortIsOpen(p)) {
            FlushRead(layer, p);
            clock.delay(100);
            const QString reply = IdentifyTwice(layer, clock, p);
            if (layer.PortIsOpen(p)) layer.ClosePort(p);
            if (reply.contains(QLatin1String("QM"))) return p;
        }
        layer.ClosePort(p);
    }
    return 0;
}

ConnectResult ConnectDevice(SerialLayer& layer, Clock& clock, int port,
                            const ConnectOptions& options) {
    layer.CurrentPort = port;
    if (layer.PortIsOpen(port)) layer.ClosePort(port);
    if (options.stopLiveTimer) options.stopLiveTimer();
    if (layer.OpenPort(port, kBaud, true) != 0) return ConnectResult::OpenFailed;
    clock.delay(100);
    FlushRead(layer, port);
    const QString reply = IdentifyTwice(layer, clock, port);
    if (options.reply) *options.reply = reply;
    if (!reply.toUpper().contains(QLatin1String("QM"))) return ConnectResult::NoDevice;
    if (options.settings) {
        options.settings->setValue(QStringLiteral("Default"), QStringLiteral("ComPort"),
                                   QString::number(port));
        RememberStableName(*options.settings, layer.factory().describe(port));
    }
    return ConnectResult::Ok;
}

} // namespace qm
