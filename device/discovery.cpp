#include "device/discovery.h"

#include "core/settings.h"
#include "device/portlist.h"
#include "device/protocol.h"

namespace qm {

namespace {

// Whether the device on an open connection answers the identification with "QM".
bool answersQM(DeviceConnection& link) {
    link.flush();
    link.clock().delay(100);
    const QByteArray reply = link.identifyTwice();
    if (link.isOpen()) link.close();
    return reply.contains("QM");
}

} // namespace

int FindDevice(DeviceConnection& link, int lastPort) {
    for (int p = 1; p <= lastPort; ++p) {
        // The port in use is used as it is; every other port is opened for the question.
        if (link.port() == p && link.isOpen()) {
            if (answersQM(link)) return p;
            continue;
        }
        DeviceConnection probe(link.factory(), link.clock());
        probe.open(p);
        if (probe.isOpen() && answersQM(probe)) return p;
        probe.close();
    }
    return 0;
}

ConnectResult ConnectDevice(DeviceConnection& link, int port, const ConnectOptions& options) {
    if (link.isOpen()) link.close();
    if (options.stopLiveTimer) options.stopLiveTimer();
    if (link.open(port) != 0) return ConnectResult::OpenFailed;
    link.clock().delay(100);
    link.flush();
    if (!link.identifyTwice().toUpper().contains("QM")) return ConnectResult::NoDevice;
    if (options.settings) {
        options.settings->setValue(QStringLiteral("Default"), QStringLiteral("ComPort"),
                                   QString::number(port));
        RememberStableName(*options.settings, link.factory().describe(port));
    }
    return ConnectResult::Ok;
}

} // namespace qm
