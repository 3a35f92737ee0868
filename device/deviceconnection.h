#pragma once
// The connection to one QM-07R: it owns the open transport and the clock every
// wait goes through, records the result code and error text of the last
// failure, and offers the device's exchanges as members.
#include "core/clock.h"
#include "device/portmap.h"
#include "device/transport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace qm {

class MessageSink;

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
};

inline constexpr qint32 kCommReadMax = 1024; // the read buffer

// Called after the k-th (1-based) of the n bytes being sent has been stored and confirmed.
using WriteProgress = std::function<void(int k, int n)>;

class DeviceConnection {
  public:
    DeviceConnection(TransportFactory& factory, Clock& clock, MessageSink* messages = nullptr);
    ~DeviceConnection();
    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    // Opens the transport behind port 1..20 at 115200 8N1; 0 or the error code.
    // Unless quiet, a failure is shown as "COM Error: " and the error text.
    qint32 open(int port, bool quiet = true);
    qint32 close();
    bool isOpen();
    // The port last opened (or tried); 0 before the first.
    int port() const { return m_port; }

    // Every waiting byte, at least up to maxLen; the count, or -1 on a failure.
    qint32 read(QByteArray& bytes, qint32 maxLen);
    // 1 when not written whole, else 0.
    int write(const QByteArray& bytes);

    qint32 errorText(QString& text) const;
    const CommError& lastError() const { return m_lastError; }

    Clock& clock() { return m_clock; }
    TransportFactory& factory() { return m_factory; }

    // The exchanges (device/protocol.cpp) with their waits, polls and attempts.
    // A flush read: one read of up to 256 characters, thrown away.
    void flush();
    // The replies come as the bytes read; the caller reads the text.
    // flush, "$00@", Delay(100), read up to 256.
    QByteArray identify();
    // "$00@" twice 100 ms apart, then what came back 100 ms later.
    QByteArray identifyTwice();
    // flush, Delay(50), "$00KQ", Delay(100), read.
    QByteArray queryTag();
    // kBlockRead; kBlockNoReply; kBlockPortClosed; kBlockGarbled (a whole reply
    // that is not 512 hex digits and the terminator). image changes only on kBlockRead.
    int readBlock(QByteArray& image, int address, int group, int sub);
    // 0 done, -p no echo for byte p, -(10000 + p) wrong echo (sent once more
    // before giving up), kWritePortClosed.
    int writeBlock(const QByteArray& image, int address, int group, int sub,
                   const WriteProgress& progress = {});
    // The same for the bytes of image at the given offsets only, in that
    // order (p in a result is still the byte's 1-based place in the block).
    // sent, when given, counts the bytes whose "KW" went out.
    int writeBytes(const QByteArray& image, const QList<int>& offsets, int address, int group,
                   int sub, const WriteProgress& progress = {}, int* sent = nullptr);
    int eeRead(int address, int memAddress, int timeoutMs);
    int eeWrite(int address, int memAddress, int byte, int timeoutMs);
    // ok, when given, is false when any of the four bytes failed.
    double eeReadSingle(int address, int memAddress, int timeoutMs, bool* ok = nullptr);
    int eeWriteSingle(int address, int memAddress, double value, int timeoutMs);
    // Delay(200), "$00X", Delay(1000); no reply is read.
    void reset();

  private:
    qint32 record(const QString& source, const TransportError& e);
    qint32 recordWithFlags(const QString& source, const TransportError& e);
    void forgetIfLost();
    void poll(QByteArray& reply, int maxLen);
    void pollFor(QByteArray& reply, int maxLen, int length, int polls);
    QByteArray identifyReply(); // the tail shared by both identifications

    TransportFactory& m_factory;
    Clock& m_clock;
    MessageSink* m_messages;
    std::unique_ptr<ByteTransport> m_transport; // held from a successful open until close
    int m_port = 0;
    CommError m_lastError;
};

} // namespace qm
