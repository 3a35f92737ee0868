#include "calibration/deviationplot.h"

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
    show({}, std::nullopt);
}

DeviationPlot::~DeviationPlot() = default;

QChart* DeviationPlot::chart() const {
    return m_chart;
}

void DeviationPlot::setCaption(const QString& caption) {
    m_caption = caption;
    m_chart->setTitle(m_caption + m_figure);
}

void DeviationPlot::show(const std::vector<CurvePoint>& points,
                         const std::optional<Linearity>& linearity) {
    QList<QPointF> xy;
    double vLo = 0, vHi = 1, worst = 0;
    if (linearity && linearity->deviationPct.size() == points.size()) {
        vLo = vHi = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            xy.append({points[i].value, linearity->deviationPct[i]});
            vLo = std::min(vLo, points[i].value);
            vHi = std::max(vHi, points[i].value);
        }
        std::stable_sort(xy.begin(), xy.end(),
                         [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        worst = linearity->nonLinearityPct;
    }
    SeriesNamed(m_chart, QStringLiteral("deviation"))->replace(xy);
    const auto xRange = PaddedRange(vLo, vHi, 1e-6);
    SeriesNamed(m_chart, QStringLiteral("zero"))->replace({{xRange.first, 0}, {xRange.second, 0}});
    SetRange(m_axes->x, xRange);
    // Symmetric about zero, so that above and below read alike.
    const double span = std::max(worst * 1.25, 0.05);
    SetRange(m_axes->y, {-span, span});
    m_figure = xy.isEmpty() ? QString() : QStringLiteral(": ") + NonLinearityFigure(worst);
    m_chart->setTitle(m_caption + m_figure);
}

} // namespace qm
