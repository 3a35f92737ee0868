#pragma once
// A transport factory that passes everything through to another one and keeps
// the request lines written to any port, so that a test sees which commands
// reached the device and in what order.
#include "device/transport.h"

#include <QByteArrayList>
#include <memory>
#include <utility>

namespace qm {

class RecordingTransportFactory final : public TransportFactory {
  public:
    explicit RecordingTransportFactory(TransportFactory& inner) : m_inner(inner) {}

    std::unique_ptr<ByteTransport> make(int port) override {
        return std::make_unique<Recording>(m_inner.make(port), *this);
    }
    QString describe(int port) const override { return m_inner.describe(port); }

    // Complete request lines, carriage return removed, oldest first.
    const QByteArrayList& requests() const { return m_requests; }
    void clear() { m_requests.clear(); }

  private:
    class Recording final : public ByteTransport {
      public:
        Recording(std::unique_ptr<ByteTransport> inner, RecordingTransportFactory& log)
            : m_inner(std::move(inner)), m_log(log) {}
        TransportError open() override { return m_inner->open(); }
        TransportError close() override { return m_inner->close(); }
        bool isOpen() const override { return m_inner->isOpen(); }
        qint64 bytesWaiting(TransportError* err) override { return m_inner->bytesWaiting(err); }
        QByteArray read(qint64 max, TransportError* err) override {
            return m_inner->read(max, err);
        }
        qint64 write(const QByteArray& data, TransportError* err) override {
            const qint64 n = m_inner->write(data, err);
            if (n > 0) m_log.note(data.left(n));
            return n;
        }

      private:
        std::unique_ptr<ByteTransport> m_inner;
        RecordingTransportFactory& m_log;
    };

    void note(const QByteArray& bytes) {
        for (char c : bytes)
            if (c == '\r')
                m_requests.append(std::exchange(m_line, {}));
            else
                m_line.append(c);
    }

    TransportFactory& m_inner;
    QByteArrayList m_requests;
    QByteArray m_line;
};

} // namespace qm
