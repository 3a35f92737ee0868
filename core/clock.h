#pragma once
// The one seam for time. Every wait of the program is Clock::delay; the real
// clock sleeps in a nested event loop, the virtual one only moves time on.
#include <QDateTime>
#include <QtGlobal>

namespace qm {

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds, like the system tick count.
    virtual qint64 tickMs() const = 0;
    // Wall-clock time for dates of writing and serial numbers.
    virtual QDateTime now() const = 0;
    // Delay(ms): pending UI events run while the time passes; the CPU sleeps.
    virtual void delay(int ms) = 0;
    // "Let the user interface process its pending events" once.
    virtual void processEvents() = 0;
};

// Real time: QElapsedTimer ticks, a nested QEventLoop ended by a precise timer.
class RealClock final : public Clock {
  public:
    RealClock();
    qint64 tickMs() const override;
    QDateTime now() const override;
    void delay(int ms) override;
    void processEvents() override;

  private:
    qint64 m_origin;
};

// Virtual time for tests: delay() advances the tick count at once. Anything
// that depends on time (the simulated device) asks tickMs() when it is read.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 12, 4), QTime(22, 30, 15)));
    qint64 tickMs() const override { return m_ticks; }
    QDateTime now() const override { return m_start.addMSecs(m_ticks); }
    void delay(int ms) override;
    void processEvents() override;
    void advance(qint64 ms) { m_ticks += ms; }
    void setNow(const QDateTime& t) { m_start = t.addMSecs(-m_ticks); }
    // Sum of all delays asked for, and how many there were.
    qint64 delayedMs() const { return m_delayed; }
    int delayCount() const { return m_delays; }
    // When set, delay() and processEvents() also run the Qt event queue once.
    void setRunsEvents(bool on) { m_runsEvents = on; }

  private:
    QDateTime m_start;
    qint64 m_ticks = 0;
    qint64 m_delayed = 0;
    int m_delays = 0;
    bool m_runsEvents = false;
};

} // namespace qm
