#pragma once
// How far each point lies from the least-squares straight line, in % of full
// scale, against its reference value; the title carries the non-linearity.
#include "calibration/linearity.h"

#include <QWidget>
#include <memory>
#include <optional>
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
    // Each point's deviation as the linearity of these points (in this order)
    // gives it, drawn by value; without a linearity the plot is empty. The
    // caller computes it once, for the list's column too.
    void show(const std::vector<CurvePoint>& points, const std::optional<Linearity>& linearity);

    // Series "deviation" (x value, y %) and "zero", for inspection.
    QChart* chart() const;

  private:
    QString m_caption;
    QString m_figure;
    QChart* m_chart;
    std::unique_ptr<PlotAxes> m_axes;
};

} // namespace qm
