#pragma once
// A scripted device line on a virtual clock: per request line, the test says
// which reply pieces arrive and when. Ports without a line are missing.
#include "core/clock.h"
#include "device/deviceconnection.h"

#include <QList>
#include <functional>
#include <map>
#include <utility>

namespace qm {

struct ReplyPiece {
    qint64 atMs; // due time after the request
    QByteArray bytes;
};
using Responder = std::function<QList<ReplyPiece>(const QByteArray& line, int index)>;

inline QList<ReplyPiece> after(qint64 ms, const QByteArray& bytes) {
    return {{ms, bytes}};
}

struct ScriptedLine {
    Responder respond;          // null: a silent device
    QList<QByteArray> requests; // every non-empty request line
    int polls = 0;              // bytesWaiting calls
    QByteArray stale;           // waiting when the port opens
    bool failSetup = false;     // opens, but the line setup fails
    bool lost = false;          // the device went away
    QList<ReplyPiece> due;      // absolute due times
    QByteArray arrived, partial;
};

class ScriptedTransport final : public ByteTransport {
  public:
    ScriptedTransport(ScriptedLine* line, Clock& clock) : m_line(line), m_clock(clock) {}
    TransportError open() override {
        if (!m_line) return {1, QStringLiteral("No such file or directory")};
        m_open = true;
        m_line->arrived = m_line->stale;
        m_line->due.clear();
        if (m_line->failSetup) return {7, QStringLiteral("Unsupported line setting")};
        return {};
    }
    TransportError close() override {
        m_open = false;
        return {};
    }
    bool isOpen() const override { return m_open && !m_line->lost; }
    qint64 bytesWaiting(TransportError* err) override {
        ++m_line->polls;
        const qint64 n = arrived().size();
        if (n > 0 || isOpen()) return n;
        *err = {9, QStringLiteral("The device went away")};
        return -1;
    }
    QByteArray read(qint64 max, TransportError*) override {
        const QByteArray out = arrived().left(max);
        m_line->arrived.remove(0, out.size());
        return out;
    }
    qint64 write(const QByteArray& data, TransportError* err) override {
        if (!isOpen()) {
            *err = {13, QStringLiteral("Device is not open")};
            return -1;
        }
        for (char c : data) {
            if (c != '\r') {
                m_line->partial += c;
            } else if (!m_line->partial.isEmpty()) {
                m_line->requests += std::exchange(m_line->partial, {});
                if (!m_line->respond) continue;
                for (const ReplyPiece& p :
                     m_line->respond(m_line->requests.last(), int(m_line->requests.size())))
                    m_line->due += ReplyPiece{m_clock.tickMs() + p.atMs, p.bytes};
            }
        }
        return data.size();
    }

  private:
    QByteArray& arrived() {
        while (!m_line->due.isEmpty() && m_line->due.first().atMs <= m_clock.tickMs())
            m_line->arrived += m_line->due.takeFirst().bytes;
        return m_line->arrived;
    }

    ScriptedLine* m_line;
    Clock& m_clock;
    bool m_open = false;
};

class ScriptedPorts final : public TransportFactory {
  public:
    explicit ScriptedPorts(Clock& clock) : m_clock(clock) {}
    ScriptedLine& line(int port) { return m_lines[port]; }
    std::unique_ptr<ByteTransport> make(int port) override {
        const auto it = m_lines.find(port);
        return std::make_unique<ScriptedTransport>(it == m_lines.end() ? nullptr : &it->second,
                                                   m_clock);
    }
    QString describe(int port) const override { return QStringLiteral("scripted%1").arg(port); }

  private:
    Clock& m_clock;
    std::map<int, ScriptedLine> m_lines;
};

struct LineRig {
    VirtualClock clock;
    ScriptedPorts ports{clock};
    DeviceConnection link;
    explicit LineRig(MessageSink* sink = nullptr) : link(ports, clock, sink) {}
    // A device on port, opened with a measurement reply left over on the line.
    ScriptedLine& open(int port) {
        ScriptedLine& line = ports.line(port);
        line.stale = QByteArray(32, '0') + "\r";
        link.open(port);
        return line;
    }
};

} // namespace qm
