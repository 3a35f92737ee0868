#include "device/deviceconnection.h"

#include "core/messages.h"

namespace qm {

namespace {

TransportError notOpenError() {
    return {kCommNotOpen, QStringLiteral("Device is not open")};
}

} // namespace

DeviceConnection::DeviceConnection(TransportFactory& factory, Clock& clock, MessageSink* messages)
    : m_factory(factory), m_clock(clock), m_messages(messages) {}

DeviceConnection::~DeviceConnection() = default;

qint32 DeviceConnection::record(const QString& source, const TransportError& e) {
    m_lastError = {e.code, source, e.text.trimmed()};
    return e.code;
}

qint32 DeviceConnection::recordWithFlags(const QString& source, const TransportError& e) {
    record(source, e);
    // The port keeps no error flags of its own beyond the error itself.
    m_lastError.text += QStringLiteral("  COMM Error Flags = 0");
    return e.code;
}

// A transport that closed itself after a device error is forgotten once its
// rescued bytes have been read, so later exchanges see the port as not open.
void DeviceConnection::forgetIfLost() {
    if (!m_transport || m_transport->isOpen()) return;
    TransportError ignored;
    if (m_transport->bytesWaiting(&ignored) > 0) return;
    m_transport.reset();
}

qint32 DeviceConnection::open(int port, bool quiet) {
    const qint32 code = [&] {
        m_port = port;
        if (port < 1 || port > kPortCount)
            return record(QStringLiteral("CommOpen"),
                          {kCommBadPortNumber, QStringLiteral("Subscript out of range")});
        if (m_transport)
            return record(QStringLiteral("CommOpen"),
                          {kCommPortInUse, QStringLiteral("Port in use.")});
        std::unique_ptr<ByteTransport> t = m_factory.make(port);
        if (!t)
            return record(QStringLiteral("CommOpen (CreateFile)"),
                          {kCommBadPortNumber, QStringLiteral("No device for this port")});
        const TransportError e = t->open();
        if (e.code != 0 && !t->isOpen()) return record(QStringLiteral("CommOpen (CreateFile)"), e);
        // From here the handle is held: a later failure leaves the port open.
        m_transport = std::move(t);
        if (e.code != 0) return record(QStringLiteral("CommOpen (SetCommState)"), e);
        return qint32{0};
    }();
    if (code == 0) return 0;
    if (!quiet && m_messages) {
        QString text;
        errorText(text);
        m_messages->show({QStringLiteral("COM Error: ") + text, MsgIcon::None, MsgOk, MsgOk});
    }
    return code;
}

qint32 DeviceConnection::close() {
    if (!m_transport) return 0;
    const TransportError e = m_transport->close();
    if (e.code != 0) return record(QStringLiteral("CommClose (CloseHandle)"), e);
    m_transport.reset();
    return 0;
}

bool DeviceConnection::isOpen() {
    forgetIfLost();
    return m_transport != nullptr;
}

qint32 DeviceConnection::read(QByteArray& bytes, qint32 maxLen) {
    bytes.clear();
    m_clock.processEvents();
    if (!m_transport) {
        record(QStringLiteral("CommRead (ClearCommError)"), notOpenError());
        return -1;
    }
    TransportError e;
    const qint64 waiting = m_transport->bytesWaiting(&e);
    if (waiting < 0) {
        record(QStringLiteral("CommRead (ClearCommError)"), e);
        forgetIfLost();
        return -1;
    }
    if (waiting == 0) return 0;
    // Every waiting byte is taken, even beyond maxLen, up to the read buffer.
    const qint64 n = qMin<qint64>(qMax<qint64>(waiting, maxLen), kCommReadMax);
    bytes = m_transport->read(n, &e);
    if (bytes.isEmpty() && e.code != 0) {
        recordWithFlags(QStringLiteral("CommRead (ReadFile)"), e);
        forgetIfLost();
        return -1;
    }
    forgetIfLost();
    return static_cast<qint32>(bytes.size());
}

int DeviceConnection::write(const QByteArray& bytes) {
    TransportError e = notOpenError();
    const qint64 n = m_transport ? m_transport->write(bytes, &e) : -1;
    m_clock.processEvents();
    if (n < 0) {
        recordWithFlags(QStringLiteral("CommWrite (WriteFile)"), e);
        forgetIfLost();
        return 1;
    }
    for (int i = 0; i < 10; ++i)
        m_clock.processEvents();
    return n != bytes.size() ? 1 : 0;
}

qint32 DeviceConnection::errorText(QString& text) const {
    text = QStringLiteral("Error (%1): %2 - %3")
               .arg(m_lastError.code)
               .arg(m_lastError.source, m_lastError.text);
    return m_lastError.code;
}

} // namespace qm
