#include "device/serialtransport.h"

#include "device/portaccess.h"

#include <QFileInfo>
#include <QMetaObject>

namespace qm {

namespace {
TransportError errorOf(const QSerialPort& port) {
    return {static_cast<int>(port.error()), port.errorString()};
}
// A device the user may not use says so, with the fix.
TransportError openFailure(const QSerialPort& port, const QString& path) {
    TransportError e = errorOf(port);
    const DeviceFileFacts facts = InspectDeviceFile(path);
    if (ClassifyOpenFailure(e.code, facts) == OpenFailure::NoPermission)
        e.text = PermissionMessage({}, {}, facts, CurrentUserName());
    return e;
}
TransportError notOpen() {
    return {static_cast<int>(QSerialPort::NotOpenError), QStringLiteral("Device is not open")};
}
} // namespace

SerialTransport::SerialTransport(QString path) : m_path(std::move(path)) {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

SerialTransport::~SerialTransport() {
    if (m_port.isOpen()) m_port.close();
}

TransportError SerialTransport::open() {
    // The lock file is keyed on the path as given: always open the real device.
    const QString canonical = QFileInfo(m_path).canonicalFilePath();
    m_port.setPortName(canonical.isEmpty() ? m_path : canonical);
    m_failed = false;
    m_leftover.clear();
    if (!m_port.open(QIODevice::ReadWrite)) return openFailure(m_port, m_path);
    // No modem lines: setting DTR/RTS fails on a pty.
    if (!m_port.setBaudRate(QSerialPort::Baud115200) || !m_port.setDataBits(QSerialPort::Data8) ||
        !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop) ||
        !m_port.setFlowControl(QSerialPort::NoFlowControl) ||
        !m_port.clear(QSerialPort::AllDirections))
        return errorOf(m_port);
    return {};
}

TransportError SerialTransport::close() {
    if (m_port.isOpen()) m_port.close();
    m_leftover.clear();
    m_failed = false;
    return {};
}

bool SerialTransport::isOpen() const {
    return m_port.isOpen();
}

void SerialTransport::onError(QSerialPort::SerialPortError e) {
    if (e != QSerialPort::ReadError && e != QSerialPort::ResourceError) return;
    if (m_failed) return;
    // The port keeps reporting this in a tight loop until it is closed; closing
    // inside its own notification is not safe, so close on the next turn.
    m_failed = true;
    m_failure = {static_cast<int>(e), m_port.errorString()};
    QMetaObject::invokeMethod(
        &m_port, [this] { dropAfterFailure(); }, Qt::QueuedConnection);
}

void SerialTransport::dropAfterFailure() {
    if (!m_failed || !m_port.isOpen()) return;
    m_leftover += m_port.readAll();
    m_port.close();
}

qint64 SerialTransport::bytesWaiting(TransportError* err) {
    dropAfterFailure();
    if (!m_port.isOpen()) {
        if (!m_leftover.isEmpty()) return m_leftover.size();
        if (err) *err = m_failed ? m_failure : notOpen();
        return -1;
    }
    return m_leftover.size() + m_port.bytesAvailable();
}

QByteArray SerialTransport::read(qint64 max, TransportError* err) {
    dropAfterFailure();
    QByteArray out = m_leftover.left(max);
    m_leftover.remove(0, out.size());
    if (out.size() < max && m_port.isOpen())
        out += m_port.read(max - out.size());
    else if (out.isEmpty() && !m_port.isOpen() && err)
        *err = m_failed ? m_failure : notOpen();
    return out;
}

qint64 SerialTransport::write(const QByteArray& data, TransportError* err) {
    dropAfterFailure();
    if (!m_port.isOpen()) {
        if (err) *err = m_failed ? m_failure : notOpen();
        return -1;
    }
    const qint64 n = m_port.write(data);
    if (n < 0) {
        if (err) *err = errorOf(m_port);
        return -1;
    }
    // Blocking output: the bytes are on the line when the call returns.
    if (m_port.bytesToWrite() > 0) m_port.waitForBytesWritten(1000);
    return n - m_port.bytesToWrite();
}

SerialTransportFactory::SerialTransportFactory(PortMap map) : m_map(std::move(map)) {}

std::unique_ptr<ByteTransport> SerialTransportFactory::make(int port) {
    return std::make_unique<SerialTransport>(m_map.path(port));
}

QString SerialTransportFactory::describe(int port) const {
    return m_map.path(port);
}

} // namespace qm
