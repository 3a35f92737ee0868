#include "sim/simtransport.h"

namespace qm {

namespace {

constexpr int kDeviceNotFound = 1; // as QSerialPort reports a missing device
constexpr int kResourceError = 9;  // ... and one that went away
constexpr int kNotOpen = 13;

// A port with nothing behind it.
class MissingTransport final : public ByteTransport {
  public:
    TransportError open() override {
        return {kDeviceNotFound, QStringLiteral("No such file or directory")};
    }
    TransportError close() override { return {}; }
    bool isOpen() const override { return false; }
    qint64 bytesWaiting(TransportError* err) override { return fail(err); }
    QByteArray read(qint64, TransportError* err) override {
        fail(err);
        return {};
    }
    qint64 write(const QByteArray&, TransportError* err) override { return fail(err); }

  private:
    static qint64 fail(TransportError* err) {
        if (err) *err = {kNotOpen, QStringLiteral("Device is not open")};
        return -1;
    }
};

} // namespace

SimTransport::SimTransport(DeviceModel& device, Clock& clock, int* reads)
    : m_device(device), m_clock(clock), m_reads(reads) {}

TransportError SimTransport::open() {
    if (m_device.hungUp()) return {kDeviceNotFound, QStringLiteral("No such file or directory")};
    m_pending.clear();
    m_open = true;
    return {};
}

TransportError SimTransport::close() {
    m_open = false;
    m_pending.clear();
    return {};
}

// After a hang-up what was already sent stays readable, then the port is gone.
bool SimTransport::lost(TransportError* err) {
    if (m_open && m_device.hungUp()) {
        m_open = false;
        for (SimChunk& c : m_pending)
            c.dueMs = 0;
    }
    if (m_open) return false;
    if (m_pending.empty() && err) *err = {kResourceError, QStringLiteral("The device went away")};
    return true;
}

qint64 SimTransport::bytesWaiting(TransportError* err) {
    if (m_reads) ++*m_reads;
    const bool gone = lost(err);
    qint64 n = 0;
    const qint64 now = m_clock.tickMs();
    for (const SimChunk& c : m_pending) {
        if (c.dueMs > now) break;
        n += c.bytes.size();
    }
    return (gone && n == 0) ? -1 : n;
}

QByteArray SimTransport::read(qint64 max, TransportError* err) {
    lost(err);
    QByteArray out;
    const qint64 now = m_clock.tickMs();
    while (!m_pending.empty() && m_pending.front().dueMs <= now && out.size() < max) {
        SimChunk& c = m_pending.front();
        const qint64 take = qMin<qint64>(max - out.size(), c.bytes.size());
        out += c.bytes.left(take);
        c.bytes.remove(0, take);
        if (c.bytes.isEmpty()) m_pending.pop_front();
    }
    return out;
}

qint64 SimTransport::write(const QByteArray& data, TransportError* err) {
    if (lost(err)) {
        if (err) *err = {kResourceError, QStringLiteral("The device went away")};
        return -1;
    }
    // One line: a reply never overtakes the one before it.
    for (SimChunk& c : m_device.feed(data, m_clock.tickMs())) {
        if (!m_pending.empty()) c.dueMs = qMax(c.dueMs, m_pending.back().dueMs);
        m_pending.push_back(std::move(c));
    }
    return data.size();
}

std::unique_ptr<ByteTransport> SimTransportFactory::make(int port) {
    DeviceModel* device = m_devices.value(port, nullptr);
    if (!device) return std::make_unique<MissingTransport>();
    return std::make_unique<SimTransport>(*device, m_clock, &m_reads[port]);
}

QString SimTransportFactory::describe(int port) const {
    return m_devices.contains(port) ? QStringLiteral("simulated QM-07R") : QString();
}

int SimTransportFactory::reads(int port) const {
    const auto it = m_reads.find(port);
    return it == m_reads.end() ? 0 : it->second;
}

} // namespace qm
