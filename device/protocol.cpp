#include "device/protocol.h"

#include "core/hex.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace qm {

namespace {

constexpr int kFlushLen = 256;
constexpr int kPollMs = 10;

bool isHexDigits(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

// Exactly `digits` hex digits, then the terminator.
bool isHexLine(QByteArrayView reply, qsizetype digits) {
    return reply.size() == digits + 1 && reply.back() == kReplyEnd &&
           isHexDigits(reply.first(digits));
}

// The bytes of hex digits already checked by isHexDigits.
QByteArray hexBytes(QByteArrayView digits) {
    return QByteArray::fromHex(digits.toByteArray());
}

} // namespace

// One poll: Delay(10), then a read appended to the reply.
void DeviceConnection::poll(QByteArray& reply, int maxLen) {
    m_clock.delay(kPollMs);
    QByteArray piece;
    read(piece, maxLen);
    reply += piece;
}

// Polls until the reply is exactly `length` long or `polls` polls were made.
void DeviceConnection::pollFor(QByteArray& reply, int maxLen, int length, int polls) {
    for (int i = 0; i < polls && reply.size() != length; ++i)
        poll(reply, maxLen);
}

std::optional<int> ParseByteReply(QByteArrayView reply) {
    if (!isHexLine(reply, 2)) return std::nullopt;
    return static_cast<uint8_t>(hexBytes(reply.first(2))[0]);
}

std::optional<QByteArray> ParseBlockReply(QByteArrayView reply) {
    if (!isHexLine(reply, 2 * kBlockBytes)) return std::nullopt;
    return hexBytes(reply.first(2 * kBlockBytes));
}

QByteArray DeviceCommand(int address, const char* letters, std::initializer_list<int> fields) {
    QByteArray frame = '$' + HexN(address, 2).toLatin1() + letters;
    for (int f : fields)
        frame += HexN(f, 2).toLatin1();
    return frame + '\r';
}

void DeviceConnection::flush() {
    QByteArray discarded;
    read(discarded, kFlushLen);
}

int DeviceConnection::readBlock(QByteArray& image, int address, int group, int sub) {
    if (!isOpen()) return kBlockPortClosed;
    write(QByteArrayLiteral("\r"));
    m_clock.delay(200);
    flush();
    write(DeviceCommand(address, "KB", {BlockNumber(group, sub)}));
    m_clock.delay(200);
    QByteArray reply;
    int polls = 0;
    while (polls < 101 && reply.size() != kBlockReplyLen) {
        poll(reply, kCommReadMax);
        ++polls;
    }
    if (reply.size() != kBlockReplyLen || polls > 100) return kBlockNoReply;
    std::optional<QByteArray> block = ParseBlockReply(reply);
    if (!block) return kBlockGarbled;
    image = *block;
    return kBlockRead;
}

int DeviceConnection::writeBlock(const QByteArray& image, int address, int group, int sub,
                                 const WriteProgress& progress) {
    QList<int> all(image.size());
    std::iota(all.begin(), all.end(), 0);
    return writeBytes(image, all, address, group, sub, progress);
}

int DeviceConnection::writeBytes(const QByteArray& image, const QList<int>& offsets, int address,
                                 int group, int sub, const WriteProgress& progress, int* sent) {
    if (sent) *sent = 0;
    if (!isOpen()) return kWritePortClosed;
    m_clock.delay(200);
    const int n = static_cast<int>(offsets.size());
    for (int k = 1; k <= n; ++k) {
        const int offset = offsets[k - 1];
        const int p = offset + 1;
        const int b = static_cast<uint8_t>(image[offset]);
        const QByteArray request =
            DeviceCommand(address, "KW", {BlockNumber(group, sub), offset, b});
        if (sent) *sent = k;
        for (int sending = 0;; ++sending) {
            QByteArray reply;
            for (int attempt = 0; attempt < 3 && reply.size() != kByteReplyLen; ++attempt) {
                flush();
                reply.clear();
                write(request);
                m_clock.delay(kPollMs);
                pollFor(reply, kFlushLen, kByteReplyLen, 21);
            }
            if (reply.size() != kByteReplyLen) return -p;
            if (ParseByteReply(reply) == b) break;
            if (sending == 1) return -(kWriteWrongEcho + p);
        }
        if (progress) progress(k, n);
    }
    return 0;
}

int DeviceConnection::eeRead(int address, int memAddress, int timeoutMs) {
    flush();
    const QByteArray request = DeviceCommand(address, "ER", {memAddress});
    for (int attempt = 0; attempt < 4; ++attempt) {
        QByteArray reply;
        write(request);
        m_clock.delay(kPollMs);
        pollFor(reply, 128, kByteReplyLen, timeoutMs / 10 + 1);
        if (const std::optional<int> b = ParseByteReply(reply)) return *b;
    }
    return -1;
}

int DeviceConnection::eeWrite(int address, int memAddress, int byte, int timeoutMs) {
    flush();
    write(DeviceCommand(address, "EW", {memAddress, byte}));
    // Sent once and never cleared: a late echo still counts in a later pass.
    QByteArray reply;
    for (int pass = 0; pass < 4; ++pass) {
        pollFor(reply, 128, kByteReplyLen, timeoutMs / 10 + 1);
        if (ParseByteReply(reply) == (byte & 0xFF)) return byte;
        m_clock.delay(kPollMs);
    }
    return -1;
}

double DeviceConnection::eeReadSingle(int address, int memAddress, int timeoutMs, bool* ok) {
    QByteArray bytes;
    if (ok) *ok = true;
    for (int i = 0; i < 4; ++i) {
        const int b = eeRead(address, memAddress + i, timeoutMs);
        if (b < 0 && ok) *ok = false;
        bytes += static_cast<char>(b & 0xFF); // a failed byte reads as FF
    }
    return SingleFromBytes(bytes, false);
}

int DeviceConnection::eeWriteSingle(int address, int memAddress, double value, int timeoutMs) {
    const QByteArray bytes = SingleBytes(static_cast<float>(value));
    int confirmed = 0;
    for (int i = 0; i < 4; ++i) {
        const int b = static_cast<uint8_t>(bytes[i]);
        if (eeWrite(address, memAddress + i, b, timeoutMs) >= 0) ++confirmed;
    }
    return confirmed == 4 ? 1 : 0;
}

QByteArray DeviceConnection::identifyReply() {
    write(kRequestIdentify);
    m_clock.delay(100);
    QByteArray reply;
    read(reply, kFlushLen);
    return reply;
}

QByteArray DeviceConnection::identify() {
    flush();
    return identifyReply();
}

QByteArray DeviceConnection::identifyTwice() {
    write(kRequestIdentify);
    m_clock.delay(100);
    return identifyReply();
}

QByteArray DeviceConnection::queryTag() {
    flush();
    m_clock.delay(50);
    write(kRequestTagQuery);
    m_clock.delay(100);
    QByteArray reply;
    read(reply, kFlushLen);
    return reply;
}

void DeviceConnection::reset() {
    m_clock.delay(200);
    write(kRequestReset);
    m_clock.delay(1000);
}

std::optional<Measurement> ParseMeasurement(QByteArrayView reply) {
    constexpr int kNumberDigits = 22;
    if (reply.size() != kMeasureReplyLen || reply.back() != kReplyEnd ||
        !isHexDigits(reply.first(kNumberDigits)))
        return std::nullopt;
    // The count (3 bytes) and two singles, most significant byte first.
    const QByteArray numbers = hexBytes(reply.first(kNumberDigits));
    const auto byte = [&](int i) { return static_cast<uint8_t>(numbers[i]); };
    Measurement m;
    m.div = (byte(0) << 16) | (byte(1) << 8) | byte(2);
    m.signal = SingleFromBytes(QByteArrayView(numbers).sliced(3, 4), true);
    m.display = SingleFromBytes(QByteArrayView(numbers).sliced(7, 4), true);
    if (!std::isfinite(m.signal) || !std::isfinite(m.display)) return std::nullopt;
    return m;
}

} // namespace qm
