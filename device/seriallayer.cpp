#include "device/seriallayer.h"

#include "core/messages.h"

#include <QStringList>

namespace qm {

namespace {

const QString kBadPortText = QStringLiteral("Subscript out of range");

// Only the line the device speaks can be set up: 115200 baud, 8N1.
bool settingsSupported(const QString& settings) {
    const QStringList parts = settings.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty()) return false;
    for (const QString& part : parts) {
        const QString key = part.section(QLatin1Char('='), 0, 0).toLower();
        const QString value = part.section(QLatin1Char('='), 1).toUpper();
        const bool ok = (key == u"baud" && value == u"115200") ||
                        (key == u"parity" && value == u"N") || (key == u"data" && value == u"8") ||
                        (key == u"stop" && value == u"1");
        if (!ok) return false;
    }
    return true;
}

TransportError notOpenError() {
    return {kCommNotOpen, QStringLiteral("Device is not open")};
}

} // namespace

SerialLayer::SerialLayer(TransportFactory& factory, Clock& clock, MessageSink* messages)
    : m_factory(factory), m_clock(clock), m_messages(messages) {}

SerialLayer::~SerialLayer() = default;

PortRecord* SerialLayer::entry(int port) {
    return (port >= 1 && port <= kPortCount) ? &m_ports[static_cast<size_t>(port)] : nullptr;
}

const PortRecord& SerialLayer::Ports(int port) const {
    return m_ports[(port >= 1 && port <= kPortCount) ? static_cast<size_t>(port) : 0];
}

qint32 SerialLayer::record(const QString& source, const TransportError& e) {
    m_lastError = {e.code, source, e.text.trimmed()};
    return e.code;
}

qint32 SerialLayer::recordWithFlags(const QString& source, const TransportError& e) {
    record(source, e);
    // The port keeps no error flags of its own beyond the error itself.
    m_lastError.text += QStringLiteral("  COMM Error Flags = 0");
    return e.code;
}

// A transport that closed itself after a device error is forgotten once its
// rescued bytes have been read, so later exchanges see the port as not open.
void SerialLayer::forgetIfLost(PortRecord& rec) {
    if (!rec.open || !rec.handle || rec.handle->isOpen()) return;
    TransportError ignored;
    if (rec.handle->bytesWaiting(&ignored) > 0) return;
    rec.handle.reset();
    rec.open = false;
}

qint32 SerialLayer::CommOpen(int port, const QString& name, const QString& settings) {
    Q_UNUSED(name); // the port map names the device behind the number
    PortRecord* rec = entry(port);
    if (!rec) return record(QStringLiteral("CommOpen"), {kCommBadPortNumber, kBadPortText});
    if (rec->open)
        return record(QStringLiteral("CommOpen"), {kCommPortInUse, QStringLiteral("Port in use.")});
    std::unique_ptr<ByteTransport> t = m_factory.make(port);
    if (!t)
        return record(QStringLiteral("CommOpen (CreateFile)"),
                      {kCommBadPortNumber, QStringLiteral("No device for this port")});
    const TransportError e = t->open();
    if (e.code != 0 && !t->isOpen()) return record(QStringLiteral("CommOpen (CreateFile)"), e);
    // From here the handle is held: a later failure leaves the port open.
    rec->handle = std::move(t);
    rec->open = true;
    if (e.code != 0) return record(QStringLiteral("CommOpen (SetCommState)"), e);
    if (!settingsSupported(settings))
        return record(QStringLiteral("CommOpen (BuildCommDCB)"),
                      {kCommBadSettings, QStringLiteral("The parameter is incorrect.")});
    rec->settings = settings.simplified();
    return 0;
}

qint32 SerialLayer::CommClose(int port) {
    PortRecord* rec = entry(port);
    if (!rec) return record(QStringLiteral("CommClose"), {kCommBadPortNumber, kBadPortText});
    if (!rec->open) return 0;
    if (rec->handle) {
        const TransportError e = rec->handle->close();
        if (e.code != 0) return record(QStringLiteral("CommClose (CloseHandle)"), e);
    }
    rec->handle.reset();
    rec->open = false;
    return 0;
}

qint32 SerialLayer::CommRead(int port, QString& text, qint32 maxLen) {
    text.clear();
    m_clock.processEvents();
    PortRecord* rec = entry(port);
    if (!rec) {
        record(QStringLiteral("CommRead"), {kCommBadPortNumber, kBadPortText});
        return 0;
    }
    if (!rec->open || !rec->handle) {
        record(QStringLiteral("CommRead (ClearCommError)"), notOpenError());
        return -1;
    }
    TransportError e;
    const qint64 waiting = rec->handle->bytesWaiting(&e);
    if (waiting < 0) {
        record(QStringLiteral("CommRead (ClearCommError)"), e);
        forgetIfLost(*rec);
        return -1;
    }
    if (waiting == 0) return 0;
    // Every waiting byte is taken, even beyond maxLen, up to the read buffer.
    const qint64 n = qMin<qint64>(qMax<qint64>(waiting, maxLen), kCommReadMax);
    const QByteArray bytes = rec->handle->read(n, &e);
    if (bytes.isEmpty() && e.code != 0) {
        recordWithFlags(QStringLiteral("CommRead (ReadFile)"), e);
        forgetIfLost(*rec);
        return -1;
    }
    text = QString::fromLatin1(bytes);
    forgetIfLost(*rec);
    return static_cast<qint32>(bytes.size());
}

qint32 SerialLayer::CommWrite(int port, const QString& text) {
    PortRecord* rec = entry(port);
    if (!rec) {
        record(QStringLiteral("CommWrite"), {kCommBadPortNumber, kBadPortText});
        return 0;
    }
    TransportError e = notOpenError();
    const qint64 n = (rec->open && rec->handle) ? rec->handle->write(text.toLatin1(), &e) : -1;
    m_clock.processEvents();
    if (n < 0) {
        recordWithFlags(QStringLiteral("CommWrite (WriteFile)"), e);
        forgetIfLost(*rec);
        return -1;
    }
    for (int i = 0; i < 10; ++i)
        m_clock.processEvents();
    return static_cast<qint32>(n);
}

qint32 SerialLayer::CommErrorText(QString& text) const {
    text = QStringLiteral("Error (%1): %2 - %3")
               .arg(m_lastError.code)
               .arg(m_lastError.source, m_lastError.text);
    return m_lastError.code;
}

qint32 SerialLayer::OpenPort(int port, const QString& baud, bool quiet) {
    const QString settings =
        QStringLiteral("baud=") + baud.trimmed() + QStringLiteral(" parity=N data=8 stop=1");
    if (CommOpen(port, QStringLiteral("COM") + QString::number(port), settings) == 0) return 0;
    QString text;
    CommErrorText(text);
    if (!quiet && m_messages)
        m_messages->show({QStringLiteral("COM Error: ") + text, MsgIcon::None, MsgOk, MsgOk});
    return m_lastError.code;
}

int SerialLayer::WritePort(int port, const QString& text) {
    return CommWrite(port, text) != text.size() ? 1 : 0;
}

bool SerialLayer::PortIsOpen(int port) {
    PortRecord* rec = entry(port);
    if (!rec) return false;
    forgetIfLost(*rec);
    return rec->open;
}

} // namespace qm
