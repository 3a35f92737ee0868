#pragma once
// The QM-07R on the port a qm07ctl command names: the port map, the serial
// layer and the real clock, the connect step and the full read.
#include "cli/clicommand.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/deviceconnection.h"
#include "device/portmap.h"
#include "device/serialtransport.h"
#include "sensor/reader.h"

#include <memory>

namespace qm::cli {

class DeviceLink {
  public:
    DeviceLink();

    // Resolves --port (or the stored port); false with a message on a bad name.
    bool choosePort(Context& ctx, int& exitCode);
    // The connect step; false with a one-line message when it fails.
    bool connect(Context& ctx, int& exitCode);
    // ReadAll without questions; false with a one-line message when the
    // device does not identify itself or the line is lost.
    bool readAll(Context& ctx, SensorSession& s, int& exitCode, QString* ident = nullptr,
                 SensorReadReport* report = nullptr);
    // A ReadContext for this link: no window, no questions.
    ReadContext readContext();

    // "COM3 (/dev/ttyS2)" or the path given.
    QString where() const;

    DeviceConnection& connection() { return *m_connection; }
    Clock& clock() { return m_clock; }
    int port() const { return m_port; }
    // The connection over the port map (choosePort does this).
    void build();

  private:
    QtSettingsStore m_settings;
    PortMap m_map;
    RealClock m_clock;
    std::unique_ptr<SerialTransportFactory> m_factory;
    std::unique_ptr<DeviceConnection> m_connection;
    int m_port = 0;
    QString m_name;
};

// The block named on the command line, "0x00"/"00" or "0x80"/"80": its memory
// group, 0 (the iTag) or 4 (the store).
bool ParseBlockOption(const QString& text, int& group);

} // namespace qm::cli
