#pragma once
// How far each point lies from the least-squares straight line, in % of full
// scale, against its reference value; the title carries the non-linearity.
#include "sensor/curveinterpolation.h"

#include <QWidget>
#include <memory>
#include <vector>

QT_FORWARD_DECLARE_CLASS(QChart)

namespace qm {

struct PlotAxes;

class DeviationPlot : public QWidget {
    Q_OBJECT
  public:
    explicit DeviationPlot(QWidget* parent = nullptr);
    ~DeviationPlot() override;

    // Shown before the non-linearity in the title.
    void setCaption(const QString& caption);
    // The points in any order; without a straight line (fewer than two
    // signals) the plot is empty.
    void setPoints(const std::vector<CurvePoint>& points);

    // Series "deviation" (x value, y %) and "zero", for inspection.
    QChart* chart() const;

  private:
    QString m_caption;
    QString m_figure;
    QChart* m_chart;
    std::unique_ptr<PlotAxes> m_axes;
};

} // namespace qm
