#pragma once
// The simulated device as a byte transport on a clock: a reply becomes readable
// when the clock reaches its due time (at once on a virtual clock's delay).
#include "core/clock.h"
#include "device/transport.h"
#include "sim/devicemodel.h"

#include <QMap>
#include <deque>
#include <map>

namespace qm {

class SimTransport final : public ByteTransport {
  public:
    // reads, when given, counts the polls that reach the device.
    SimTransport(DeviceModel& device, Clock& clock, int* reads = nullptr);
    TransportError open() override;
    TransportError close() override;
    bool isOpen() const override { return m_open; }
    qint64 bytesWaiting(TransportError* err) override;
    QByteArray read(qint64 max, TransportError* err) override;
    qint64 write(const QByteArray& data, TransportError* err) override;

  private:
    bool lost(TransportError* err);

    DeviceModel& m_device;
    Clock& m_clock;
    std::deque<SimChunk> m_pending;
    bool m_open = false;
    int* m_reads;
};

// Ports with a simulated device attached open; the others fail as missing.
class SimTransportFactory final : public TransportFactory {
  public:
    explicit SimTransportFactory(Clock& clock) : m_clock(clock) {}
    void attach(int port, DeviceModel& device) { m_devices.insert(port, &device); }
    std::unique_ptr<ByteTransport> make(int port) override;
    QString describe(int port) const override;
    // How many times the port's transports were asked for waiting bytes.
    int reads(int port) const;
    void resetReads() { m_reads.clear(); }

  private:
    Clock& m_clock;
    QMap<int, DeviceModel*> m_devices;
    std::map<int, int> m_reads;
};

} // namespace qm
