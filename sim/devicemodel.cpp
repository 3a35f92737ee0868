#include "sim/devicemodel.h"

#include "core/hex.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/sensorrecord.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm {

namespace {

constexpr double kMaxCount = 16777215.0;             // 24 bits
constexpr double kByteMs = 10.0 * 1000.0 / 115200.0; // one byte on the line at 115200 8N1
const QByteArray kTerminator("\r");

QByteArray padBlock(QByteArray image) {
    if (image.size() < DeviceModel::kBlockSize)
        image.append(QByteArray(DeviceModel::kBlockSize - image.size(), '\xFF'));
    return image.left(DeviceModel::kBlockSize);
}

QByteArray defaultImage(const char* description, const char* unit, float fullSignal,
                        float fullValue, const char* serial) {
    SensorRecord rec;
    rec.SerialNo = QString::fromLatin1(serial);
    rec.Description = QString::fromLatin1(description);
    rec.Unit = QString::fromLatin1(unit);
    rec.Format = QStringLiteral("###0.00");
    rec.Averaging = 10;
    rec.AveragingSpeed = 10;
    rec.Flags = kOwnFlags;
    rec.FullScale = fullValue;
    rec.GainIndex = 7; // 128x, +/-3.91 mV/V: a 2 mV/V bridge
    rec.PointCount = 2;
    rec.Signal[1] = fullSignal;
    rec.Value[1] = fullValue;
    rec.DateCreated = QStringLiteral("260101");
    rec.MemGroup = kGroupDevice;
    return padBlock(EncodeImage(rec, QDate(2026, 1, 1)).image);
}

// The four bytes of a single as hex, most significant first.
QByteArray singleMsbFirst(float x) {
    quint32 bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return HexN(static_cast<qint64>(bits), 8).toLatin1();
}

bool isHexField(const QByteArray& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

int field(const QByteArray& args, int i) {
    return static_cast<int>(HexVal(QString::fromLatin1(args.mid(2 * i, 2))));
}

} // namespace

QByteArray DefaultDeviceImage() {
    return defaultImage("QM-07R input", "mVV", 2.0F, 2.0F, "00000001"); // units hold 1-3 chars
}

QByteArray DefaultTagImage() {
    return defaultImage("Simulated load cell", "kg", 2.0F, 500.0F, "26010101");
}

DeviceModel::DeviceModel()
    : m_tagBlock(DefaultTagImage()), m_deviceBlock(DefaultDeviceImage()),
      m_memory(kMemorySize, '\xFF') {
    setDisplayDigits(5);
    const QByteArray n = SingleBytes(static_cast<float>(kDefaultZeroCount));
    const QByteArray k = SingleBytes(static_cast<float>(kDefaultMultiplier));
    m_memory.replace(kAddrZeroCount, 4, n);
    m_memory.replace(kAddrMultiplier, 4, k);
    m_random.seed(m_faults.seed);
    reload();
}

void DeviceModel::setTagPresent(bool present) {
    m_tagPresent = present;
    reload();
}

QByteArray DeviceModel::block(int number) const {
    if (number == kDeviceBlock) return m_deviceBlock;
    if (number == kTagBlock && m_tagPresent) return m_tagBlock;
    return {};
}

void DeviceModel::setBlock(int number, const QByteArray& bytes) {
    if (number == kDeviceBlock)
        m_deviceBlock = padBlock(bytes);
    else if (number == kTagBlock)
        m_tagBlock = padBlock(bytes);
}

void DeviceModel::setMemory(const QByteArray& bytes) {
    m_memory = bytes.left(kMemorySize);
    if (m_memory.size() < kMemorySize)
        m_memory.append(QByteArray(kMemorySize - m_memory.size(), '\xFF'));
}

void DeviceModel::setDisplayDigits(int digits) {
    m_memory[kAddrDisplayDigits] = static_cast<char>(digits);
}

void DeviceModel::setSignal(double mvPerV) {
    if (mvPerV != m_load.load()) m_falling = mvPerV < m_load.load();
    m_load.setLoad(mvPerV, m_nowMs, false);
    m_signal = m_load.level(m_nowMs);
}

void DeviceModel::setSignal(double mvPerV, qint64 nowMs) {
    if (mvPerV != m_load.load()) m_falling = mvPerV < m_load.load();
    m_load.setLoad(mvPerV, nowMs);
    m_signal = m_load.level(nowMs);
}

void DeviceModel::setFaults(const SimFaults& f) {
    m_faults = f;
    m_random.seed(f.seed);
}

float DeviceModel::memorySingle(int address) const {
    float x = 0;
    std::memcpy(&x, m_memory.constData() + address, sizeof x);
    return x;
}

std::optional<double> DeviceModel::exactCount() const {
    const double k = memorySingle(kAddrMultiplier);
    const double n = memorySingle(kAddrZeroCount);
    if (k == 0 || !std::isfinite(k) || !std::isfinite(n)) return std::nullopt;
    const double count = n + m_signal * m_gain / (128.0 * k);
    return std::isfinite(count) ? std::optional<double>(count) : std::nullopt;
}

double DeviceModel::rawCount() const {
    const std::optional<double> count = exactCount();
    const double n = memorySingle(kAddrZeroCount);
    const double c = count ? *count : (std::isfinite(n) ? n : 0.0);
    return std::clamp(std::round(c), 0.0, kMaxCount);
}

double DeviceModel::reportedSignal() const {
    const std::optional<double> count = exactCount();
    if (!count || (*count >= 0 && *count <= kMaxCount)) return m_signal;
    // The converter is at its end: the signal is what the clipped count stands for.
    return (rawCount() - memorySingle(kAddrZeroCount)) * 128.0 * memorySingle(kAddrMultiplier) /
           m_gain;
}

double DeviceModel::displayValue() const {
    const double signal = reportedSignal();
    const double shown = InterpolateCurve(m_curve, signal).value_or(signal);
    return shown * (1 + m_faults.displayErrorPct / 100) + (m_falling ? m_faults.hysteresis : 0);
}

QByteArray DeviceModel::measurementReply() const {
    // 6 count digits, signal and display value as singles, an 11-character
    // status field of the device's own (always zeros here) ending the line.
    return HexN(static_cast<qint64>(rawCount()), 6).toLatin1() +
           singleMsbFirst(static_cast<float>(reportedSignal())) +
           singleMsbFirst(static_cast<float>(displayValue())) + QByteArray(10, '0') + kTerminator;
}

void DeviceModel::reload() {
    m_curve.clear();
    SensorRecord rec;
    const QByteArray active = m_tagPresent ? m_tagBlock : m_deviceBlock;
    const int n = DecodeImage(active, rec, m_tagPresent ? kGroupTag : kGroupDevice, 0);
    m_gain = 1 << (rec.GainIndex & 7);
    for (int i = 0; i < n && i < SensorRecord::kMaxPoints; ++i)
        m_curve.push_back({rec.Signal[static_cast<size_t>(i)], rec.Value[static_cast<size_t>(i)]});
    SortBySignal(m_curve);
}

std::vector<SimChunk> DeviceModel::feed(const QByteArray& bytes, qint64 nowMs) {
    std::vector<SimChunk> out;
    m_nowMs = nowMs;
    for (char c : bytes) {
        if (c == '\n') continue;
        if (c != '\r') {
            if (m_line.size() < 64) m_line.append(c);
            continue;
        }
        const QByteArray line = m_line;
        m_line.clear();
        if (line.isEmpty() || m_hungUp) continue;
        ++m_requests;
        if (m_faults.hangUpAfter >= 0 && m_requests > m_faults.hangUpAfter) {
            m_hungUp = true;
            continue;
        }
        if (m_faults.silentAfter >= 0 && m_requests > m_faults.silentAfter) continue;
        const QByteArray reply = answer(line);
        if (!reply.isEmpty()) schedule(reply, nowMs, out);
    }
    return out;
}

QByteArray DeviceModel::answer(const QByteArray& line) {
    // "$" address command fields; only address 00 is this device.
    if (line.size() < 4 || line[0] != '$' || line.mid(1, 2) != "00") return {};
    const QByteArray cmd = line.mid(3);
    auto hexByte = [](int v) { return HexN(v, 2).toLatin1() + kTerminator; };
    if (cmd == "@")
        return (m_faults.lowerCaseId ? QByteArray("qm-07r sim 1.0")
                                     : QByteArray("QM-07R SIM 1.0")) +
               kTerminator;
    if (cmd == "MK") {
        m_signal = m_load.sample(m_nowMs);
        return measurementReply();
    }
    if (cmd == "KQ") return hexByte(m_tagPresent ? 1 : 0);
    if (cmd == "X") {
        reload();
        return {};
    }
    const QByteArray op = cmd.left(2);
    const QByteArray args = cmd.mid(2);
    if (!isHexField(args) && !args.isEmpty()) return {};
    if (op == "KB" && args.size() == 2) {
        const QByteArray b = block(field(args, 0));
        return b.isEmpty() ? QByteArray() : b.toHex().toUpper() + kTerminator;
    }
    if (op == "KW" && args.size() == 6) {
        const int number = field(args, 0), offset = field(args, 1), value = field(args, 2);
        if (block(number).isEmpty()) return {};
        QByteArray& target = number == kTagBlock ? m_tagBlock : m_deviceBlock;
        // A failing cell: the byte kept is not the one confirmed.
        const bool corrupt = m_faults.corruptStoreAt == offset + 1;
        target[offset] = static_cast<char>(corrupt ? value ^ 0x01 : value);
        ++m_stateVersion;
        const bool wrong = m_faults.wrongEchoAt == offset + 1;
        return hexByte(wrong ? (value + 1) & 0xFF : value);
    }
    if (op == "ER" && args.size() == 2)
        return hexByte(static_cast<uint8_t>(m_memory[field(args, 0)]));
    if (op == "EW" && args.size() == 4) {
        m_memory[field(args, 0)] = static_cast<char>(field(args, 1));
        ++m_stateVersion;
        return hexByte(field(args, 1));
    }
    return {};
}

void DeviceModel::schedule(QByteArray reply, qint64 nowMs, std::vector<SimChunk>& out) {
    if (m_faults.garbleRate > 0) {
        static const char kNoise[] = "0123456789ABCDEFGHQMXZ$?\r";
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kNoise) - 2);
        for (char& c : reply)
            if (chance(m_random) < m_faults.garbleRate) c = kNoise[pick(m_random)];
    }
    const qint64 base = nowMs + std::max(0, m_faults.latencyMs);
    for (int i = 0; i < reply.size(); ++i) {
        qint64 due = base;
        if (m_faults.paced) due += static_cast<qint64>(std::ceil((i + 1) * kByteMs));
        if (m_faults.splitBytes > 0)
            due += static_cast<qint64>(i / m_faults.splitBytes) * m_faults.splitGapMs;
        if (!out.empty() && out.back().dueMs == due)
            out.back().bytes.append(reply[i]);
        else
            out.push_back({due, QByteArray(1, reply[i])});
    }
}

} // namespace qm
