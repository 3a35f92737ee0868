#pragma once
// A scripted device line for the serial layer and protocol tests: the test
// decides, per request line, which reply pieces arrive and when.
#include "core/clock.h"
#include "device/transport.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <deque>
#include <functional>
#include <memory>

struct Piece {
    qint64 atMs; // due time relative to the request
    QByteArray bytes;
};

using Responder = std::function<QList<Piece>(const QByteArray& line, int index)>;

// State shared by every transport made for one port.
struct FakeLine {
    Responder respond;          // null: a silent device
    QList<QByteArray> requests; // every non-empty request line, in order
    int pendingReads = 0;       // bytesWaiting calls
    QByteArray stale;           // bytes waiting when the port opens
    bool failOpenAfterHandle = false;
    bool lost = false;      // the line goes away: transport closes itself
    qint64 writeLimit = -1; // write at most this many bytes
    std::deque<std::pair<qint64, QByteArray>> queue;
    QByteArray partial;
};

class FakeTransport final : public qm::ByteTransport {
  public:
    FakeTransport(FakeLine& line, qm::Clock& clock) : m_line(line), m_clock(clock) {}
    qm::TransportError open() override {
        m_open = true;
        m_line.queue.clear();
        if (!m_line.stale.isEmpty()) m_line.queue.push_back({0, m_line.stale});
        if (m_line.failOpenAfterHandle) return {7, QStringLiteral("Unsupported line setting")};
        return {};
    }
    qm::TransportError close() override {
        m_open = false;
        return {};
    }
    bool isOpen() const override { return m_open && !m_line.lost; }
    qint64 bytesWaiting(qm::TransportError* err) override {
        ++m_line.pendingReads;
        qint64 n = 0;
        for (const auto& [at, bytes] : m_line.queue)
            if (at <= m_clock.tickMs()) n += bytes.size();
        if (!isOpen() && n == 0) {
            *err = {9, QStringLiteral("The device went away")};
            return -1;
        }
        return n;
    }
    QByteArray read(qint64 max, qm::TransportError*) override {
        QByteArray out;
        while (!m_line.queue.empty() && m_line.queue.front().first <= m_clock.tickMs() &&
               out.size() < max) {
            auto& [at, bytes] = m_line.queue.front();
            const qint64 take = qMin<qint64>(max - out.size(), bytes.size());
            out += bytes.left(take);
            bytes.remove(0, take);
            if (bytes.isEmpty()) m_line.queue.pop_front();
        }
        return out;
    }
    qint64 write(const QByteArray& data, qm::TransportError* err) override {
        if (!isOpen()) {
            *err = {13, QStringLiteral("Device is not open")};
            return -1;
        }
        const QByteArray sent = m_line.writeLimit >= 0 ? data.left(m_line.writeLimit) : data;
        for (char c : sent) {
            if (c != '\r') {
                m_line.partial.append(c);
                continue;
            }
            const QByteArray request = m_line.partial;
            m_line.partial.clear();
            if (request.isEmpty()) continue;
            m_line.requests.append(request);
            if (!m_line.respond) continue;
            for (const Piece& p : m_line.respond(request, static_cast<int>(m_line.requests.size())))
                m_line.queue.push_back({m_clock.tickMs() + p.atMs, p.bytes});
        }
        return sent.size();
    }

  private:
    FakeLine& m_line;
    qm::Clock& m_clock;
    bool m_open = false;
};

// Ports with a FakeLine open; the others are missing.
class FakeFactory final : public qm::TransportFactory {
  public:
    explicit FakeFactory(qm::Clock& clock) : m_clock(clock) {}
    FakeLine& line(int port) {
        auto& slot = m_lines[port];
        if (!slot) slot = std::make_shared<FakeLine>();
        return *slot;
    }
    std::unique_ptr<qm::ByteTransport> make(int port) override;
    QString describe(int port) const override { return QStringLiteral("fake%1").arg(port); }

  private:
    qm::Clock& m_clock;
    QMap<int, std::shared_ptr<FakeLine>> m_lines;
};

class AbsentTransport final : public qm::ByteTransport {
  public:
    qm::TransportError open() override { return {1, QStringLiteral("No such file or directory")}; }
    qm::TransportError close() override { return {}; }
    bool isOpen() const override { return false; }
    qint64 bytesWaiting(qm::TransportError*) override { return -1; }
    QByteArray read(qint64, qm::TransportError*) override { return {}; }
    qint64 write(const QByteArray&, qm::TransportError*) override { return -1; }
};

inline std::unique_ptr<qm::ByteTransport> FakeFactory::make(int port) {
    if (!m_lines.contains(port)) return std::make_unique<AbsentTransport>();
    return std::make_unique<FakeTransport>(*m_lines[port], m_clock);
}

// Replies in one piece after `latency` ms.
inline QList<Piece> at(qint64 latency, const QByteArray& bytes) {
    return {{latency, bytes}};
}
