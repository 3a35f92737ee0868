#pragma once
// The calibration curve drawn: the points (signal against reference value),
// the curve through them as the device interpolates it, and the live signal
// as a level line with a marker where it meets the curve.
#include "sensor/curveinterpolation.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

QT_FORWARD_DECLARE_CLASS(QChart)

namespace qm {

struct PlotAxes;

class CurvePlot : public QWidget {
    Q_OBJECT
  public:
    explicit CurvePlot(QWidget* parent = nullptr);
    ~CurvePlot() override;

    void setAxisTitles(const QString& value, const QString& signal);
    // The points in any order; an empty list clears the plot.
    void setPoints(const std::vector<CurvePoint>& points);
    // The latest live signal in mV/V; nullopt hides it (no valid reply yet).
    // A change smaller than a pixel is not drawn.
    void setLiveSignal(std::optional<double> mvPerV);

    // Series "points", "curve", "live" and "live level", for inspection.
    QChart* chart() const;

  private:
    void rescale();
    void drawLive();

    std::vector<CurvePoint> m_points; // sorted by signal
    std::optional<double> m_live;
    std::pair<double, double> m_valueRange{0, 1}, m_signalRange{0, 1};
    QChart* m_chart;
    std::unique_ptr<PlotAxes> m_axes;
};

} // namespace qm
