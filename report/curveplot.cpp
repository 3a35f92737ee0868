#include "report/curveplot.h"

#include "core/axisrange.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace qm {

void DrawCurvePlot(QPainter& painter, const QRectF& area, const CertificateFigures& figures,
                   const QString& xLabel, const QString& yLabel) {
    std::vector<std::pair<double, double>> curve; // stored points (signal, value) by signal
    if (figures.storedDecoded)
        for (size_t i = 0; i < size_t(std::clamp(figures.stored.PointCount, 0, 40)); ++i)
            curve.emplace_back(figures.stored.Signal[i], figures.stored.Value[i]);
    std::sort(curve.begin(), curve.end());
    // As on the screen: value across, signal upwards.
    double vLo = HUGE_VAL, vHi = -HUGE_VAL, sLo = HUGE_VAL, sHi = -HUGE_VAL;
    const auto take = [&](double s, double v) {
        vLo = std::min(vLo, v);
        vHi = std::max(vHi, v);
        sLo = std::min(sLo, s);
        sHi = std::max(sHi, s);
    };
    for (const auto& [s, v] : curve)
        take(s, v);
    for (const CertificateRow& r : figures.rows)
        take(r.signal, r.reference);
    if (vLo > vHi) take(0, 0);
    const auto x = SnappedRange(PaddedRange(vLo, vHi, kCurveMinValueSpan));
    const auto y = SnappedRange(PaddedRange(sLo, sHi, kCurveMinSignalSpan));

    painter.save();
    const QFontMetricsF fm(painter.font());
    const double gap = fm.height() * 0.5;
    const QRectF plot = area.adjusted(fm.horizontalAdvance(QStringLiteral("-00000.00")) + gap,
                                      fm.height() * 0.5, -gap, -(fm.height() * 2 + gap));
    auto at = [&](double s, double v) {
        return QPointF(plot.left() + (v - x.first) / (x.second - x.first) * plot.width(),
                       plot.bottom() - (s - y.first) / (y.second - y.first) * plot.height());
    };

    QPen thin(Qt::gray, 0);
    painter.setPen(thin);
    const int xDecimals = StepDecimals(TickStep(x)), yDecimals = StepDecimals(TickStep(y));
    for (const double v : Ticks(x)) {
        const double px = at(y.first, v).x();
        painter.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(px - 200, plot.bottom() + gap * 0.5, 400, fm.height()),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(v, 'f', xDecimals));
        painter.setPen(thin);
    }
    for (const double s : Ticks(y)) {
        const double py = at(s, x.first).y();
        painter.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), py - fm.height() / 2,
                                plot.left() - area.left() - gap * 0.5, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(s, 'f', yDecimals));
        painter.setPen(thin);
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(plot);
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + fm.height() + gap, plot.width(), fm.height()),
        Qt::AlignHCenter, xLabel);
    painter.drawText(QRectF(plot.left() + gap, plot.top() + gap * 0.5, plot.width(), fm.height()),
                     Qt::AlignLeft, yLabel);

    painter.setClipRect(plot);
    if (curve.size() >= 2) {
        QPainterPath line(at(curve.front().first, curve.front().second));
        for (const auto& [s, v] : curve)
            line.lineTo(at(s, v));
        painter.setPen(QPen(QColor(0, 70, 160), fm.height() * 0.12));
        painter.drawPath(line);
    }
    painter.setPen(QPen(QColor(200, 40, 0), fm.height() * 0.1));
    const double r = fm.height() * 0.3;
    for (const CertificateRow& row : figures.rows)
        painter.drawEllipse(at(row.signal, row.reference), r, r);
    painter.restore();
}

} // namespace qm
