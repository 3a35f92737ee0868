#pragma once
// One tick of the live measurement: read the reply to the request of the
// previous tick, then send the next request.
#include "device/protocol.h"

#include <optional>

namespace qm {

struct LiveTick {
    bool portOpen = false;              // false: nothing was read or sent
    bool replied = false;               // something arrived, whole or not
    std::optional<Measurement> reading; // empty (missing, cut or garbled): show "-----"
};

LiveTick PollLive(DeviceConnection& link);

} // namespace qm
