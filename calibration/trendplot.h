#pragma once
// The live signal of the last seconds with the stability state: a word on a
// colour, and the spread of the window in display units and counts.
#include "calibration/stability.h"

#include <QWidget>
#include <memory>

QT_FORWARD_DECLARE_CLASS(QChart)
QT_FORWARD_DECLARE_CLASS(QLabel)

namespace qm {

struct PlotAxes;

class TrendPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TrendPlot(QWidget* parent = nullptr);
    ~TrendPlot() override;

    void setStateWords(const QString& settling, const QString& stable, const QString& noReading);
    // The spread in display units is shown with this mask and unit.
    void setDisplayFormat(const QString& mask, const QString& unit);
    void setSpanSeconds(int seconds);

    // The samples oldest first (the detector's trend), its window and state.
    // The state shows at once; the trend is redrawn at most every 600 ms of
    // samples unless the state changed.
    void showTrend(const std::deque<LiveSample>& trend, const WindowSummary& window,
                   LiveState state);

    // Series "signal" (x seconds before the newest sample, y mV/V).
    QChart* chart() const;
    QLabel* stateLabel() const { return m_state; }

  private:
    void showState(const WindowSummary& window, LiveState state);

    QString m_settlingWord, m_stableWord, m_noReadingWord, m_mask, m_unit;
    int m_spanSeconds = 30;
    qint64 m_drawnMs = 0; // newest sample of the drawn trend
    bool m_drawnStable = false;
    QLabel* m_state;
    QChart* m_chart;
    std::unique_ptr<PlotAxes> m_axes;
};

} // namespace qm
