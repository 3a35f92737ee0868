#pragma once
// Passes everything through to another transport factory and keeps the request
// lines written to any port: which commands reached the device, in what order;
// afterRequest sees each line once the device has it (and has answered it).
#include "device/transport.h"

#include <QByteArrayList>
#include <functional>
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
    QByteArrayList requests() const {
        QByteArrayList lines = m_sent.split('\r');
        lines.removeLast(); // the unfinished rest
        return lines;
    }
    void clear() { m_sent.clear(); }
    std::function<void(const QByteArray& line)> afterRequest;

  private:
    struct Recording final : ByteTransport {
        Recording(std::unique_ptr<ByteTransport> inner, RecordingTransportFactory& owner)
            : m_inner(std::move(inner)), m_owner(owner) {}
        TransportError open() override { return m_inner->open(); }
        TransportError close() override { return m_inner->close(); }
        bool isOpen() const override { return m_inner->isOpen(); }
        qint64 bytesWaiting(TransportError* err) override { return m_inner->bytesWaiting(err); }
        QByteArray read(qint64 max, TransportError* err) override {
            return m_inner->read(max, err);
        }
        qint64 write(const QByteArray& data, TransportError* err) override {
            const qint64 n = m_inner->write(data, err);
            if (n <= 0) return n;
            m_owner.m_sent.append(data.left(n));
            if (m_owner.afterRequest && data.left(n).contains('\r'))
                m_owner.afterRequest(m_owner.requests().last());
            return n;
        }
        std::unique_ptr<ByteTransport> m_inner;
        RecordingTransportFactory& m_owner;
    };

    TransportFactory& m_inner;
    QByteArray m_sent;
};

} // namespace qm
