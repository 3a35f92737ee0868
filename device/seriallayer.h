#pragma once
// The serial port layer (modCOMM): a table of 20 ports addressed by number,
// result codes and the last error record, and the program's thin routines on top.
#include "core/clock.h"
#include "device/portmap.h"
#include "device/transport.h"

#include <QString>
#include <array>
#include <memory>

namespace qm {

class MessageSink;

struct PortRecord {
    std::unique_ptr<ByteTransport> handle; // held from a successful device open until close
    bool open = false;
    QString settings; // the line settings applied
};

struct CommError {
    qint32 code = 0;
    QString source;
    QString text;
};

// Error codes recorded for failures that have no platform code of their own.
enum CommCode : qint32 {
    kCommPortInUse = -1,
    kCommBadPortNumber = 9, // "Subscript out of range"
    kCommNotOpen = 13,      // QSerialPort::NotOpenError
    kCommBadSettings = 87,
};

inline constexpr qint32 kCommReadMax = 1024; // the read buffer

class SerialLayer {
  public:
    SerialLayer(TransportFactory& factory, Clock& clock, MessageSink* messages = nullptr);
    ~SerialLayer();
    SerialLayer(const SerialLayer&) = delete;
    SerialLayer& operator=(const SerialLayer&) = delete;

    // Layer operations; port 1..20.
    qint32 CommOpen(int port, const QString& name, const QString& settings);
    qint32 CommClose(int port);
    qint32 CommRead(int port, QString& text, qint32 maxLen);
    qint32 CommWrite(int port, const QString& text);
    qint32 CommErrorText(QString& text) const;
    const CommError& CommLastError() const { return m_lastError; }

    // The program's routines.
    qint32 OpenPort(int port, const QString& baud, bool quiet);
    qint32 ClosePort(int port) { return CommClose(port); }
    qint32 ReadPort(int port, QString& text, qint32 maxLen) { return CommRead(port, text, maxLen); }
    int WritePort(int port, const QString& text); // 1 when not written whole, else 0
    bool PortIsOpen(int port);

    // The port table, 1..20 (entry 0 unused).
    const PortRecord& Ports(int port) const;

    // The port in use with the device; 0 before the first connect.
    int CurrentPort = 0;

    Clock& clock() { return m_clock; }
    TransportFactory& factory() { return m_factory; }
    void setMessageSink(MessageSink* messages) { m_messages = messages; }

  private:
    qint32 record(const QString& source, const TransportError& e);
    qint32 recordWithFlags(const QString& source, const TransportError& e);
    PortRecord* entry(int port);
    void forgetIfLost(PortRecord& rec);

    TransportFactory& m_factory;
    Clock& m_clock;
    MessageSink* m_messages;
    std::array<PortRecord, kPortCount + 1> m_ports;
    CommError m_lastError;
};

} // namespace qm
