#pragma once
// The working calibration curve: up to 40 points (reference value, signal in
// mV/V) that the pages collect before they go into the sensor record. Rows are
// numbered 1..40; the points in use fill rows 1..pointCount, sorted by signal.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace qm {

class LangTable;
class MessageSink;
struct SensorRecord;

class WorkingCurve {
  public:
    static constexpr int kRows = 40;
    static constexpr uint8_t kUnused = 0;
    static constexpr uint8_t kInUse = 3;

    struct Row {
        double value = 0;   // reference value in the sensor's unit
        double signal = 0;  // mV/V
        double spread = -1; // of the captured window in display units; < 0: not captured so
        // The device's displayed value averaged over the same window, and the
        // standard deviation of that mean: before a write, the old curve's (as found).
        std::optional<double> indicated;
        double indicatedSd = 0;
    };

    // Row i (1..40); rows outside read as zero.
    Row pointAt(int i) const { return valid(i) ? m_rows[i] : Row{}; }
    uint8_t rowState(int i) const { return valid(i) ? m_status[i] : kUnused; }
    int pointCount() const { return m_count; }
    bool isFull() const { return m_count >= kRows; }

    // First row in use whose signal equals s exactly; 0 when none.
    int FindSignal(double s) const;

    // The message for the first duplicate value or signal; empty when all differ.
    QString DuplicateMessage(const LangTable& lang) const;
    // True when values and signals are all distinct; otherwise shows the
    // duplicate message (critical) and returns false.
    bool CheckDuplicates(MessageSink& sink, const LangTable& lang) const;

    // pointCount := number of rows whose state is not 0.
    void CountPoints();
    // 40 bubble passes by signal; equal signals keep their order.
    void sortBySignal();
    // Removes the point in row i (a row in use); rows above move down.
    void DeletePoint(int i);

    // Appends a point and sorts; false (and nothing changed) when 40 stand.
    bool Append(float signal, float value, double spread = -1, std::optional<double> indicated = {},
                double indicatedSd = 0);
    // Replaces the numbers of row i (in use) and sorts; a new signal drops
    // what was captured with the old one.
    void Edit(int i, float signal, float value);
    // Every state to 0, count 0; the numbers stay in the rows.
    void Clear();
    // Everything back to zero, as at start-up.
    void Reset();

    // Takes the record's points unchanged (cut to 40), no sort.
    void FillFromRecord(const SensorRecord& rec);
    // Rows 1..pointCount into Value/Signal as floats, and PointCount.
    void CopyToRecord(SensorRecord& rec) const;

  private:
    static bool valid(int i) { return i >= 1 && i <= kRows; }
    void swapRows(int a, int b);

    std::array<Row, kRows + 1> m_rows{};       // index 0 unused
    std::array<uint8_t, kRows + 1> m_status{}; // index 0 unused
    int m_count = 0;
};

} // namespace qm
