#include "calibration/curveplot.h"

#include "calibration/plotsupport.h"

#include <QLineSeries>
#include <QScatterSeries>
#include <algorithm>
#include <cmath>

namespace qm {

CurvePlot::CurvePlot(QWidget* parent) : QWidget(parent), m_axes(std::make_unique<PlotAxes>()) {
    setObjectName(QStringLiteral("curvePlot"));
    m_chart = NewPlotView(this, *m_axes)->chart();
    auto* curve = AddSeries<QLineSeries>(m_chart, *m_axes, QStringLiteral("curve"));
    curve->setPen(QPen(QColor(0x30, 0x60, 0xc0), 1.5));
    auto* level = AddSeries<QLineSeries>(m_chart, *m_axes, QStringLiteral("live level"));
    level->setPen(QPen(QColor(0xd0, 0x40, 0x30), 1, Qt::DashLine));
    auto* points = AddSeries<QScatterSeries>(m_chart, *m_axes, QStringLiteral("points"));
    points->setMarkerSize(9);
    points->setColor(QColor(0x20, 0x40, 0x90));
    auto* live = AddSeries<QScatterSeries>(m_chart, *m_axes, QStringLiteral("live"));
    live->setMarkerSize(11);
    live->setColor(QColor(0xd0, 0x40, 0x30));
    setAxisTitles(QStringLiteral("Etalon []"), QStringLiteral("Signal [mV/V]"));
    rescale();
}

CurvePlot::~CurvePlot() = default;

QChart* CurvePlot::chart() const {
    return m_chart;
}

void CurvePlot::setAxisTitles(const QString& value, const QString& signal) {
    m_axes->x->setTitleText(value);
    m_axes->y->setTitleText(signal);
}

void CurvePlot::setPoints(const std::vector<CurvePoint>& points) {
    m_points = points;
    SortBySignal(m_points);
    QList<QPointF> xy;
    for (const CurvePoint& p : m_points)
        xy.append({p.value, p.signal});
    SeriesNamed(m_chart, QStringLiteral("points"))->replace(xy);
    rescale();
}

void CurvePlot::setLiveSignal(std::optional<double> mvPerV) {
    // Noise below a pixel of the tallest plot is not redrawn.
    const double pixel = (m_signalRange.second - m_signalRange.first) / 2000;
    if (m_live && mvPerV && std::abs(*mvPerV - *m_live) < pixel) return;
    m_live = mvPerV;
    if (m_live && (*m_live < m_signalRange.first || *m_live > m_signalRange.second))
        rescale(); // the axes only grow with the live signal; the points set them anew
    else
        drawLive();
}

namespace {
// The end of the segment from inner towards outer that stays within the
// value range (x): two points with nearly one signal extrapolate far.
QPointF clippedEnd(QPointF inner, QPointF outer, std::pair<double, double> values) {
    const double bound = outer.x() < values.first ? values.first : values.second;
    if (outer.x() >= values.first && outer.x() <= values.second) return outer;
    return inner + (outer - inner) * ((bound - inner.x()) / (outer.x() - inner.x()));
}
} // namespace

// Axes from the points, zero and the live signal; the curve runs to the edges
// or to where it leaves the value range.
void CurvePlot::rescale() {
    double sLo = 0, sHi = 0, vLo = 0, vHi = 0;
    for (const CurvePoint& p : m_points) {
        sLo = std::min(sLo, p.signal);
        sHi = std::max(sHi, p.signal);
        vLo = std::min(vLo, p.value);
        vHi = std::max(vHi, p.value);
    }
    if (m_live) {
        sLo = std::min(sLo, *m_live);
        sHi = std::max(sHi, *m_live);
        if (const auto v = InterpolateCurve(m_points, *m_live)) {
            vLo = std::min(vLo, *v);
            vHi = std::max(vHi, *v);
        }
    }
    m_signalRange = PaddedRange(sLo, sHi, kCurveMinSignalSpan);
    SetRange(m_axes->y, m_signalRange);
    m_valueRange =
        m_points.empty() ? std::pair{0.0, 1.0} : PaddedRange(vLo, vHi, kCurveMinValueSpan);
    SetRange(m_axes->x, m_valueRange);

    QList<QPointF> curve;
    const auto lo = InterpolateCurve(m_points, m_signalRange.first);
    const auto hi = InterpolateCurve(m_points, m_signalRange.second);
    if (lo && hi) {
        for (const CurvePoint& p : m_points)
            curve.append({p.value, p.signal});
        curve.prepend(clippedEnd(curve.first(), {*lo, m_signalRange.first}, m_valueRange));
        curve.append(clippedEnd(curve.last(), {*hi, m_signalRange.second}, m_valueRange));
    }
    SeriesNamed(m_chart, QStringLiteral("curve"))->replace(curve);
    drawLive();
}

void CurvePlot::drawLive() {
    QList<QPointF> level, marker;
    if (m_live) {
        level = {{m_valueRange.first, *m_live}, {m_valueRange.second, *m_live}};
        if (const auto v = InterpolateCurve(m_points, *m_live)) marker.append({*v, *m_live});
    }
    SeriesNamed(m_chart, QStringLiteral("live level"))->replace(level);
    SeriesNamed(m_chart, QStringLiteral("live"))->replace(marker);
}

} // namespace qm
