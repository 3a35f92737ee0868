#include "device/livepoll.h"

namespace qm {

LiveTick PollLive(SerialLayer& layer, int port) {
    LiveTick tick;
    if (!layer.PortIsOpen(port)) return tick;
    tick.portOpen = true;
    QString reply;
    layer.ReadPort(port, reply, 256);
    tick.replied = !reply.isEmpty();
    tick.reading = ParseMeasurement(reply);
    // Sent whether or not the reply was complete.
    layer.WritePort(port, kRequestMeasure);
    return tick;
}

} // namespace qm
