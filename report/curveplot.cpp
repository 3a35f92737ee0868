#include "report/curveplot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace qm {

namespace {

constexpr int kTicks = 5;

struct Range {
    double low = 0, high = 0;
    void take(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    // Never empty, so that a flat curve still has an axis; a little room
    // around the outermost points so that their rings are whole.
    void widen() {
        if (high - low < 1e-12) {
            low -= 0.5;
            high += 0.5;
        }
        const double room = (high - low) * 0.04;
        low -= room;
        high += room;
    }
};

} // namespace

void DrawCurvePlot(QPainter& painter, const QRectF& area, const CertificateFigures& figures,
                   const QString& xLabel, const QString& yLabel) {
    std::vector<std::pair<double, double>> curve; // stored points by signal
    if (figures.storedDecoded)
        for (size_t i = 0; i < size_t(std::clamp(figures.stored.PointCount, 0, 40)); ++i)
            curve.emplace_back(figures.stored.Signal[i], figures.stored.Value[i]);
    std::sort(curve.begin(), curve.end());
    Range x, y;
    for (const auto& [s, v] : curve) {
        x.take(s);
        y.take(v);
    }
    for (const CertificateRow& r : figures.rows) {
        x.take(r.signal);
        y.take(r.reference);
    }
    x.widen();
    y.widen();

    painter.save();
    const QFontMetricsF fm(painter.font());
    const double gap = fm.height() * 0.5;
    const QRectF plot = area.adjusted(fm.horizontalAdvance(QStringLiteral("-00000.00")) + gap,
                                      fm.height() * 0.5, -gap, -(fm.height() * 2 + gap));
    auto at = [&](double s, double v) {
        return QPointF(plot.left() + (s - x.low) / (x.high - x.low) * plot.width(),
                       plot.bottom() - (v - y.low) / (y.high - y.low) * plot.height());
    };

    QPen thin(Qt::gray, 0);
    painter.setPen(thin);
    for (int i = 0; i <= kTicks; ++i) {
        const double fx = x.low + (x.high - x.low) * i / kTicks;
        const double fy = y.low + (y.high - y.low) * i / kTicks;
        const QPointF px = at(fx, y.low), py = at(x.low, fy);
        painter.drawLine(QPointF(px.x(), plot.top()), QPointF(px.x(), plot.bottom()));
        painter.drawLine(QPointF(plot.left(), py.y()), QPointF(plot.right(), py.y()));
        painter.setPen(Qt::black);
        const QString tx = QString::number(fx, 'g', 4), ty = QString::number(fy, 'g', 5);
        painter.drawText(QRectF(px.x() - 200, plot.bottom() + gap * 0.5, 400, fm.height()),
                         Qt::AlignHCenter | Qt::AlignTop, tx);
        painter.drawText(QRectF(area.left(), py.y() - fm.height() / 2,
                                plot.left() - area.left() - gap * 0.5, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, ty);
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
