#include "calibration/deviationplot.h"

#include "calibration/linearity.h"
#include "calibration/plotsupport.h"

#include <QLineSeries>
#include <algorithm>

namespace qm {

DeviationPlot::DeviationPlot(QWidget* parent)
    : QWidget(parent), m_caption(QStringLiteral("Nelinearita")),
      m_axes(std::make_unique<PlotAxes>()) {
    setObjectName(QStringLiteral("deviationPlot"));
    m_chart = NewPlotView(this, *m_axes)->chart();
    QFont f = m_chart->titleFont();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    m_chart->setTitleFont(f);
    m_axes->y->setTitleText(QStringLiteral("% FS"));
    auto* zero = AddSeries<QLineSeries>(m_chart, *m_axes, QStringLiteral("zero"));
    zero->setPen(QPen(Qt::gray, 1));
    auto* deviation = AddSeries<QLineSeries>(m_chart, *m_axes, QStringLiteral("deviation"));
    deviation->setPointsVisible(true);
    deviation->setMarkerSize(6);
    deviation->setPen(QPen(QColor(0x90, 0x30, 0x90), 1.5));
    setPoints({});
}

DeviationPlot::~DeviationPlot() = default;

QChart* DeviationPlot::chart() const {
    return m_chart;
}

void DeviationPlot::setCaption(const QString& caption) {
    m_caption = caption;
    m_chart->setTitle(m_caption + m_figure);
}

void DeviationPlot::setPoints(const std::vector<CurvePoint>& points) {
    std::vector<CurvePoint> byValue = points;
    std::sort(byValue.begin(), byValue.end(),
              [](const CurvePoint& a, const CurvePoint& b) { return a.value < b.value; });
    const std::optional<Linearity> lin = AnalyseLinearity(byValue);
    QList<QPointF> xy;
    double vLo = 0, vHi = 1, worst = 0;
    if (lin) {
        for (size_t i = 0; i < byValue.size(); ++i)
            xy.append({byValue[i].value, lin->deviationPct[i]});
        vLo = std::min(0.0, byValue.front().value);
        vHi = std::max(0.0, byValue.back().value);
        worst = lin->nonLinearityPct;
    }
    SeriesNamed(m_chart, QStringLiteral("deviation"))->replace(xy);
    const auto xRange = PaddedRange(vLo, vHi, 1e-6);
    SeriesNamed(m_chart, QStringLiteral("zero"))->replace({{xRange.first, 0}, {xRange.second, 0}});
    SetRange(m_axes->x, xRange);
    // Symmetric about zero, so that above and below read alike.
    const double span = std::max(worst * 1.25, 0.05);
    SetRange(m_axes->y, {-span, span});
    m_figure = lin ? QStringLiteral(": %1 % FS").arg(worst, 0, 'f', 3) : QString();
    m_chart->setTitle(m_caption + m_figure);
}

} // namespace qm
