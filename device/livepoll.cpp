#include "device/livepoll.h"

namespace qm {

LiveTick PollLive(DeviceConnection& link) {
    LiveTick tick;
    if (!link.isOpen()) return tick;
    tick.portOpen = true;
    QByteArray reply;
    link.read(reply, 256);
    tick.replied = !reply.isEmpty();
    tick.reading = ParseMeasurement(reply);
    // Sent whether or not the reply was complete.
    link.write(kRequestMeasure);
    return tick;
}

} // namespace qm
