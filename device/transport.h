#pragma once
// The byte transport seam: a real serial port, the in-process simulated device
// on virtual time, or the simulator process on a pseudo-terminal.
#include <QByteArray>
#include <QString>
#include <memory>

namespace qm {

struct TransportError {
    int code = 0; // the platform's error code; 0 for none
    QString text; // the platform's message for it
};

class ByteTransport {
  public:
    virtual ~ByteTransport() = default;
    virtual TransportError open() = 0; // 115200 8N1, no flow control
    virtual TransportError close() = 0;
    virtual bool isOpen() const = 0;
    // Bytes received and not yet read; -1 on a failure (err filled).
    virtual qint64 bytesWaiting(TransportError* err) = 0;
    // Every byte waiting, at least up to max; never waits when nothing is waiting.
    virtual QByteArray read(qint64 max, TransportError* err) = 0;
    // Number of bytes written, -1 on a failure.
    virtual qint64 write(const QByteArray& data, TransportError* err) = 0;
};

// Makes the transport behind a port number 1..20 (COMn).
class TransportFactory {
  public:
    virtual ~TransportFactory() = default;
    virtual std::unique_ptr<ByteTransport> make(int port) = 0;
    // What the port list shows beside COMn (the mapped device path).
    virtual QString describe(int port) const = 0;
};

} // namespace qm
