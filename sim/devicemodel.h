#pragma once
// The simulated QM-07R: request bytes in, reply bytes out with the moment each
// piece is due. No I/O and no clock of its own, so the in-process test device
// and the qm07r-sim process share it.
#include "sensor/curveinterpolation.h"
#include "sim/signalmodel.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <random>
#include <vector>

namespace qm {

struct SimFaults {
    int latencyMs = 1;   // from the end of a request to the first reply byte
    bool paced = false;  // replies leave at 115200 baud (10 bits a byte)
    int splitBytes = 0;  // >0: replies come in pieces of this many bytes...
    int splitGapMs = 15; // ...this far apart
    bool lowerCaseId = false;
    int wrongEchoAt = 0;        // block write: byte p (offset p-1) is echoed wrong; 0 never
    int corruptStoreAt = 0;     // block write: byte p is stored altered but echoed as sent; 0 never
    int silentAfter = -1;       // answers nothing after this many requests; -1 never
    int hangUpAfter = -1;       // hangs up after this many requests; -1 never
    double garbleRate = 0;      // chance of each reply byte being replaced
    double displayErrorPct = 0; // the displayed value reads off by this % of itself
    double hysteresis = 0;      // after a fall of load the displayed value stays this much high
    quint32 seed = 1;
};

struct SimChunk {
    qint64 dueMs = 0;
    QByteArray bytes;
};

class DeviceModel {
  public:
    static constexpr int kMemorySize = 256;
    static constexpr int kBlockSize = 256;
    static constexpr int kTagBlock = 0x00;
    static constexpr int kDeviceBlock = 0x80;

    // A fresh device: default images in both blocks, default memory, signal 0.
    DeviceModel();

    // Feeds request bytes received at nowMs; returns the reply pieces they cause.
    std::vector<SimChunk> feed(const QByteArray& bytes, qint64 nowMs);

    bool hungUp() const { return m_hungUp; }
    int requestCount() const { return m_requests; }

    // Stored state.
    bool tagPresent() const { return m_tagPresent; }
    void setTagPresent(bool present);
    QByteArray block(int number) const; // 256 bytes; empty for unknown blocks
    void setBlock(int number, const QByteArray& bytes);
    QByteArray memory() const { return m_memory; }
    void setMemory(const QByteArray& bytes);
    void setDisplayDigits(int digits);
    // Counts writes to blocks and memory, so a host knows when to persist.
    int stateVersion() const { return m_stateVersion; }

    // The load on the sensor in mV/V: at once, or at nowMs with the settling,
    // drift and noise of the signal options ("MK" measures it then).
    void setSignal(double mvPerV);
    void setSignal(double mvPerV, qint64 nowMs);
    double signal() const { return m_signal; } // as last measured
    void setSignalOptions(const SignalOptions& options) { m_load.setOptions(options); }

    void setFaults(const SimFaults& f);
    const SimFaults& faults() const { return m_faults; }

    // What "MK" reports now. The constants N and k belong to the 128x input
    // range: at a gain of x the count is N + signal * x / (128 k), clipped to
    // the 24-bit converter, and the signal reported follows the clipped count.
    double rawCount() const;
    double reportedSignal() const;
    double displayValue() const;
    // The gain of the active stored record (1..128).
    int gain() const { return m_gain; }
    QByteArray measurementReply() const;

    // Loads the active curve (the iTag's when present, else the store's), as at
    // start and after "X".
    void reload();

  private:
    QByteArray answer(const QByteArray& line);
    void schedule(QByteArray reply, qint64 nowMs, std::vector<SimChunk>& out);
    float memorySingle(int address) const;
    // The count before clipping, or nothing when N and k give none.
    std::optional<double> exactCount() const;

    QByteArray m_tagBlock, m_deviceBlock, m_memory;
    bool m_tagPresent = true;
    double m_signal = 0;
    bool m_falling = false; // the latest change of load went down
    SignalModel m_load;
    qint64 m_nowMs = 0;              // time of the latest request
    std::vector<CurvePoint> m_curve; // sorted by signal
    int m_gain = 1;
    QByteArray m_line;
    int m_requests = 0;
    bool m_hungUp = false;
    int m_stateVersion = 0;
    SimFaults m_faults;
    std::mt19937 m_random;
};

// The default images the simulator starts with.
QByteArray DefaultDeviceImage();
QByteArray DefaultTagImage();

} // namespace qm
