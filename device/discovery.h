#pragma once
// Finding the QM-07R on COM1..COM19 and the connect step, without the window.
#include "device/deviceconnection.h"

#include <functional>

namespace qm {

class SettingsStore;

inline constexpr int kScanLastPort = 19;

// The first port 1..lastPort whose reply holds "QM" (exact case), or 0.
// The port in use is asked on its open connection and closed after.
int FindDevice(DeviceConnection& link, int lastPort = kScanLastPort);

enum class ConnectResult {
    Ok,         // identified; "ComPort" (and the adapter's stable name) stored
    OpenFailed, // the caller shows language text 54
    NoDevice,   // the caller shows language text 53; the port stays open
};

struct ConnectOptions {
    SettingsStore* settings = nullptr;   // where "ComPort" goes on success
    std::function<void()> stopLiveTimer; // run before the port is opened
};

// The connect step for port (1..20): reopens the connection afresh on port,
// identifies the device (any letter case) and stores the port.
ConnectResult ConnectDevice(DeviceConnection& link, int port, const ConnectOptions& options = {});

} // namespace qm
