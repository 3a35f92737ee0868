#pragma once
// Reading the device and the sensor. The reader says which stage it is in
// and what it found; the caller words it and answers the one question (what
// to do with a block that does not decode).
#include "sensor/sensorrecord.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

namespace qm {

class DeviceConnection;

// The stages of reading and saving, in the order they come.
enum class SensorStage {
    Connecting,         // the device is about to be addressed
    LineClosed,         // the port is not open: the read stops
    Identifying,        // the identification request goes out
    Identified,         // its reply is in (checked next)
    Unidentified,       // no QM-07R answered: the read stops
    Unclear,            // an answer was missing or did not agree: the read stops
    DigitsRead,         // DisplayDigits is in the session; N and k follow
    DeviceRead,         // DisplayDigits, N and k are in the session
    ReadingSensor,      // the iTag query, then the blocks
    ReadingDeviceBlock, // block 0x80
    ReadingTag,         // block 0x00
    SensorRead,         // the records are in the session
    Done,               // the whole read is over
    Writing,            // a save's bytes go out
    Written,            // the write has ended, well or not
    Resetting,          // the device is reset and read back
};

// What to do with a block that did not arrive or does not decode.
enum class BadImageChoice {
    Keep,         // keep what was decoded (the sensor's data is not replaced)
    LoadDefaults, // replace it with the default record
    ReadAgain,
};

struct ReadContext {
    DeviceConnection& link;
    QDate today = QDate::currentDate();
    std::function<void(SensorStage)> onStage;            // null: nobody watches
    std::function<BadImageChoice(int group)> onBadImage; // null: Keep
};

// The display format patterns for 5 or 6 digits; the index is the number of decimals.
QStringList FormatListFor(int digits);

// ReadSensor's results for blocks that failed to arrive; a decoder result otherwise.
inline constexpr int kReadBlockFailed = -1;

// The first exchange that got no whole reply; values behind it are not the device's.
enum class ReadGap {
    None,
    DisplayDigits, // ER 20
    ZeroCount,     // ER 90
    Multiplier,    // ER 94
    TagQuery,      // KQ
    LineLost,      // the line was gone before the iTag query
    Block,         // KB; see SensorReadReport::gapBlock
};

// What a read found.
struct SensorReadReport {
    QString ident;        // the identification reply
    int deviceResult = 0; // DecodeImage result of block 0x80, or kReadBlockFailed
    int tagResult = 0;    // the same for block 0x00 (0 when no iTag)
    bool deviceDefaulted = false;
    bool tagDefaulted = false;
    ReadGap gap = ReadGap::None;
    int gapBlock = 0; // the block number with ReadGap::Block
};

// The request a read stopped at as the device's own command names it, the
// same in every language: "ER 20", "ER 90", "ER 94", "KQ" or "KB".
QString GapRequest(ReadGap gap);

// A read stopped at an exchange whose answer was missing or never agreed
// (SensorReadReport::gap names it); the session holds nothing to write from.
inline constexpr int kReadUnclear = -4;

// Everything: the identification, DisplayDigits, N and k, the iTag query and
// the records, each deciding answer agreed by two reads. 1 read; -1 the port
// is not open; -2 not a QM-07R; -3 identification reply too short;
// kReadUnclear.
int ReadAll(ReadContext& ctx, SensorSession& s, SensorReadReport* report = nullptr);

} // namespace qm
