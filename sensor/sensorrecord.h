#pragma once
// One stored sensor configuration, and the session state that holds the
// three records the program works with.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace qm {

struct SensorRecord {
    static constexpr int kMaxPoints = 40;
    static constexpr int kDescriptionLen = 32, kUnitLen = 6, kFormatLen = 8, kDateLen = 6,
                         kSerialLen = 8;

    QString SerialNo; // 8 characters
    float SpareSingle = 0;
    std::array<float, kMaxPoints + 1> Signal{}; // mV/V, points 0..PointCount-1
    std::array<float, kMaxPoints + 1> Value{};  // reference values in the user's unit
    int32_t PointCount = 0;
    int32_t Averaging = 0;
    int32_t AveragingSpeed = 0;
    uint8_t Flags = 0;
    float FullScale = 0;
    int32_t GainIndex = 0;
    QString Description;  // 32 characters, space padded
    QString Unit;         // 6
    QString Format;       // 8, a display mask
    QString DateSaved;    // YYMMDD
    QString DateCreated;  // YYMMDD
    int32_t MemGroup = 0; // 4 device store, 0 the iTag
    int32_t MemSub = 0;

    bool operator==(const SensorRecord&) const = default;
};

// Flags bits.
enum : uint8_t {
    kFlagValid = 0x80,
    kFlag4Byte = 0x40,
    kFlag3Numbers = 0x20,
    kFlagOwn = 0x10,
    kFlag24Bit = 0x08,
};

inline constexpr uint8_t kOwnFlags = 0xD0;

// Memory groups of the configuration blocks.
inline constexpr int kGroupTag = 0;
inline constexpr int kGroupDevice = 4;

// The session state that the main window owns: what was read from the device
// and the sensor, and the image the next save is compared with.
struct SensorSession {
    SensorRecord CurrentRecord;
    SensorRecord DeviceRecord;
    SensorRecord TagRecord;
    uint8_t TagPresent = 0;
    QByteArray MemoryImage;
    int DisplayDigits = 5;
    double N = 0; // zero count held for the system calibration
    double k = 0; // multiplier held for the system calibration

    // The reader keeps the image of the group it read last: the iTag's when
    // one is present, else the device's.
    int LastReadGroup() const { return TagPresent == 1 ? kGroupTag : kGroupDevice; }
    // MemoryImage when it is that group's, else empty.
    QByteArray LastReadImage(int group) const {
        return LastReadGroup() == group ? MemoryImage : QByteArray();
    }
};

} // namespace qm
