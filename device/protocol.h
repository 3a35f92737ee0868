#pragma once
// The QM-07R command protocol (Deklarace): request frames, reply parsing and
// the memory exchanges with their waits, polls, attempts and result codes.
#include "core/clock.h"
#include "device/seriallayer.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>

namespace qm {

inline constexpr int kDeviceAddress = 0;

// Device memory addresses.
inline constexpr int kAddrDisplayDigits = 0x20;
inline constexpr int kAddrZeroCount = 0x90;  // N, IEEE single
inline constexpr int kAddrMultiplier = 0x94; // k, IEEE single
inline constexpr int kEETimeoutMs = 100;

// The fixed requests.
inline const QString kRequestIdentify = QStringLiteral("$00@\r");
inline const QString kRequestMeasure = QStringLiteral("$00MK\r");
inline const QString kRequestTagQuery = QStringLiteral("$00KQ\r");
inline const QString kRequestReset = QStringLiteral("$00X\r");

inline constexpr int kBlockBytes = 256;
inline constexpr int kBlockReplyLen = 2 * kBlockBytes + 1;
inline constexpr int kByteReplyLen = 3;
inline constexpr int kMeasureReplyLen = 33;

// Every reply ends with this terminator.
inline constexpr char16_t kReplyEnd = u'\r';

// ReadConfigBlock results.
enum : int { kBlockRead = 1, kBlockNoReply = -1, kBlockPortClosed = -2, kBlockGarbled = -3 };
// WriteConfigBlock: 0 done, -p no echo for byte p, -(10000 + p) wrong echo.
inline constexpr int kWriteWrongEcho = 10000;
inline constexpr int kWritePortClosed = -20000;

// "$" HH(address) letters HH(field)... "\r".
QString DeviceCommand(int address, const char* letters, std::initializer_list<int> fields = {});

// Block number of a memory group and sub-block.
constexpr int BlockNumber(int group, int sub) {
    return group * 32 + sub;
}

// Replies are taken only when whole: the exact length, hex digits where
// numbers stand and the terminator last. Anything else is a garbled reply.
// A one-byte reply ("7F\r"): the byte.
std::optional<int> ParseByteReply(QStringView reply);
// A block reply: 512 hex digits and the terminator; the 256 bytes.
std::optional<QByteArray> ParseBlockReply(QStringView reply);

// kBlockRead; kBlockNoReply; kBlockPortClosed; kBlockGarbled (a whole reply
// that is not 512 hex digits and the terminator). image changes only on kBlockRead.
int ReadConfigBlock(SerialLayer& layer, Clock& clock, int port, QByteArray& image, int address,
                    int group, int sub);

// A wrong echo is sent once more before the write gives up with -(10000 + p).
// Called after each byte p (1-based) of n has been stored and confirmed.
using WriteProgress = std::function<void(int p, int n)>;

int WriteConfigBlock(SerialLayer& layer, Clock& clock, int port, const QByteArray& image,
                     int address, int group, int sub, const WriteProgress& progress = {});

int EERead(SerialLayer& layer, Clock& clock, int port, int address, int memAddress, int timeoutMs);
int EEWrite(SerialLayer& layer, Clock& clock, int port, int address, int memAddress, int byte,
            int timeoutMs);
// ok, when given, is false when any of the four bytes failed.
double EEReadSingle(SerialLayer& layer, Clock& clock, int port, int address, int memAddress,
                    int timeoutMs, bool* ok = nullptr);
int EEWriteSingle(SerialLayer& layer, Clock& clock, int port, int address, int memAddress,
                  double value, int timeoutMs);

// A flush read: one read of up to 256 characters, thrown away.
void FlushRead(SerialLayer& layer, int port);

// Identification as ReadQM07 sends it: flush, "$00@", Delay(100), read up to 256.
QString Identify(SerialLayer& layer, Clock& clock, int port);

// The iTag query as ReadSensor sends it: flush, Delay(50), "$00KQ", Delay(100), read.
QString QueryTag(SerialLayer& layer, Clock& clock, int port);
// TagPresent from the query's reply: bit 0 of its byte; 0 for a garbled reply.
int TagPresentFromReply(QStringView reply);

// The reset command: Delay(200), "$00X", Delay(1000); no reply is read.
void ResetDevice(SerialLayer& layer, Clock& clock, int port);

// One measurement reply ("MK"): raw count, signal in mV/V, display value.
struct Measurement {
    double div = 0;
    double signal = 0;
    double display = 0;
};
// Only a reply of exactly 33 characters parses: 22 hex digits, 10 characters
// of the device's own, the terminator.
std::optional<Measurement> ParseMeasurement(QStringView reply);

} // namespace qm
