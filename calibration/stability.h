#pragma once
// Whether the live signal has settled, from the samples of the 150 ms poll:
// the spread of the last seconds against a few display digits, the mean that
// an averaged capture takes, and a short trend for drawing.
#include <QString>
#include <QtGlobal>
#include <deque>
#include <vector>

namespace qm {

struct LiveSample {
    qint64 tMs = 0;     // clock tick when the reply came
    double signal = 0;  // mV/V
    double display = 0; // display units
    double count = 0;   // converter counts
};

struct StabilitySettings {
    int windowMs = 2000; // the spread is taken over this much of the latest signal
    double digits = 5;   // stable while the spread stays within this many display digits
    double digit = 1;    // one display digit in display units (DisplayDigit)
    int trendMs = 30000; // kept for the trend
};

// The samples of the window: their number, means and spreads (peak to peak).
struct WindowSummary {
    int samples = 0;
    double meanSignal = 0, meanDisplay = 0, meanCount = 0;
    double spreadSignal = 0, spreadDisplay = 0, spreadCount = 0;
    // Standard deviation of the mean displayed value: the capture's own share
    // of a verification point's uncertainty.
    double sdMeanDisplay = 0;
};

// What the live signal is doing: no reading for a while (the line is dead or
// garbled), moving, or settled.
enum class LiveState { NoReading, Settling, Stable };

// Readings older than this are no longer the signal: the poll asks every
// 150 ms, so one late reply stays within it and a dead line shows within a second.
inline constexpr int kLiveStaleMs = 600;

// One digit of a display mask, the place of its last shown decimal:
// "###0.00" -> 0.01, "#######0" -> 1. For a mask in scientific notation the
// digit depends on the exponent, taken from level.
double DisplayDigit(const QString& mask, double level = 0);

class StabilityDetector {
  public:
    explicit StabilityDetector(const StabilitySettings& settings = {});

    // Bad numbers are made harmless: a window of at least 1 ms, a trend at
    // least as long as the window, a digit of 0 or less counts as 1.
    void setSettings(const StabilitySettings& settings);
    const StabilitySettings& settings() const { return m_settings; }

    // A new sample; older than the last one or with a number that is not finite,
    // it is dropped. A gap longer than the window starts the watching again.
    void add(const LiveSample& sample);
    // Forgets all samples (the poll stopped, the sensor changed).
    void clear();
    // The clock moved on, with or without a new sample: the window ends at
    // nowMs, so samples that stopped coming leave it.
    void setNow(qint64 nowMs);

    // The spread of the last window stayed within the allowed digits, the
    // signal has been watched for a whole window and its latest sample is
    // recent.
    bool isStable() const { return m_stable; }
    // The latest sample is at most kLiveStaleMs old.
    bool isCurrent() const { return m_current; }
    LiveState state() const;
    const WindowSummary& window() const { return m_window; }
    // The samples of the last trendMs, oldest first.
    const std::deque<LiveSample>& trend() const { return m_trend; }

  private:
    void evaluate();

    StabilitySettings m_settings;
    std::deque<LiveSample> m_trend;
    qint64 m_watchedSinceMs = 0;
    qint64 m_nowMs = 0;
    bool m_stable = false;
    bool m_current = false;
    WindowSummary m_window;
};

// What a capture takes from the stability window while it watches the signal.
struct CaptureWindow {
    bool stable = false;
    double meanSignal = 0; // mV/V
    double spread = 0;     // peak to peak in display units
    double allowed = 0;    // the spread that counts as stable
    int windowMs = 0;
    double meanDisplay = 0;   // the device's own indication, averaged alike
    double sdMeanDisplay = 0; // and its standard deviation of the mean
};

// The auto-capture rule: stable, and the level at least fraction of full scale
// away from every captured level (all in one unit). Never with full scale 0.
bool AutoCaptureDue(bool stable, double level, const std::vector<double>& capturedLevels,
                    double fullScale, double fraction = 0.05);

} // namespace qm
