#pragma once
// The byte transport over a real serial device (a tty, a pty or a symlink to one).
#include "device/portmap.h"
#include "device/transport.h"

#include <QSerialPort>

namespace qm {

class SerialTransport final : public ByteTransport {
  public:
    explicit SerialTransport(QString path);
    ~SerialTransport() override;
    TransportError open() override;
    TransportError close() override;
    bool isOpen() const override;
    qint64 bytesWaiting(TransportError* err) override;
    QByteArray read(qint64 max, TransportError* err) override;
    qint64 write(const QByteArray& data, TransportError* err) override;

    // The path actually opened (symlinks resolved, so the lock file is keyed once).
    QString openedPath() const { return m_port.portName(); }

  private:
    void onError(QSerialPort::SerialPortError e);
    void dropAfterFailure();

    QString m_path;
    QSerialPort m_port;
    QByteArray m_leftover; // bytes rescued when the port failed
    bool m_failed = false;
    TransportError m_failure;
};

class SerialTransportFactory final : public TransportFactory {
  public:
    explicit SerialTransportFactory(PortMap map);
    std::unique_ptr<ByteTransport> make(int port) override;
    QString describe(int port) const override;

  private:
    PortMap m_map;
};

} // namespace qm
