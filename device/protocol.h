#pragma once
// The QM-07R command protocol (Deklarace): request frames, reply parsing and
// the memory exchanges with their waits, polls, attempts and result codes.
#include "core/clock.h"
#include "device/deviceconnection.h"

#include <QByteArray>
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
// N and k of an amplifier that was never calibrated: 2^23 (mid-scale) and its multiplier.
inline constexpr double kDefaultZeroCount = 8388608.0;
inline constexpr double kDefaultMultiplier = 4.647601E-07;

// The fixed requests.
inline const QByteArray kRequestIdentify = QByteArrayLiteral("$00@\r");
inline const QByteArray kRequestMeasure = QByteArrayLiteral("$00MK\r");
inline const QByteArray kRequestTagQuery = QByteArrayLiteral("$00KQ\r");
inline const QByteArray kRequestReset = QByteArrayLiteral("$00X\r");

inline constexpr int kBlockBytes = 256;
inline constexpr int kBlockReplyLen = 2 * kBlockBytes + 1;
inline constexpr int kByteReplyLen = 3;
inline constexpr int kMeasureReplyLen = 33;

// Every reply ends with this terminator.
inline constexpr char kReplyEnd = '\r';

// ReadConfigBlock results.
enum : int { kBlockRead = 1, kBlockNoReply = -1, kBlockPortClosed = -2, kBlockGarbled = -3 };
// WriteConfigBlock: 0 done, -p no echo for byte p, -(10000 + p) wrong echo.
inline constexpr int kWriteWrongEcho = 10000;
inline constexpr int kWritePortClosed = -20000;

// "$" HH(address) letters HH(field)... "\r".
QByteArray DeviceCommand(int address, const char* letters, std::initializer_list<int> fields = {});

// Block number of a memory group and sub-block.
constexpr int BlockNumber(int group, int sub) {
    return group * 32 + sub;
}

// Replies are taken only when whole: the exact length, hex digits where
// numbers stand and the terminator last. Anything else is a garbled reply.
// A one-byte reply ("7F\r"): the byte.
std::optional<int> ParseByteReply(QByteArrayView reply);
// A block reply: 512 hex digits and the terminator; the 256 bytes.
std::optional<QByteArray> ParseBlockReply(QByteArrayView reply);

// One measurement reply ("MK"): raw count, signal in mV/V, display value.
struct Measurement {
    double div = 0;
    double signal = 0;
    double display = 0;
};
// Only a reply of exactly 33 characters parses: 22 hex digits, 10 characters
// of the device's own, the terminator; and its two singles must be finite.
// Nothing ties the signal to the count here: the device scales the count by
// the input range of the sensor, which the constants N and k know nothing of.
std::optional<Measurement> ParseMeasurement(QByteArrayView reply);

} // namespace qm
