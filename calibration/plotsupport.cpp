#include "calibration/plotsupport.h"

#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace qm {

QChartView* NewPlotView(QWidget* layoutParent, PlotAxes& axes) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    axes = {new QValueAxis, new QValueAxis};
    for (QValueAxis* a : {axes.x, axes.y}) {
        QFont f = a->labelsFont();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        a->setLabelsFont(f);
        a->setTitleFont(f);
    }
    chart->addAxis(axes.x, Qt::AlignBottom);
    chart->addAxis(axes.y, Qt::AlignLeft);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(layoutParent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return view;
}

QXYSeries* SeriesNamed(const QChart* chart, const QString& name) {
    for (QAbstractSeries* s : chart->series())
        if (s->name() == name) return qobject_cast<QXYSeries*>(s);
    return nullptr;
}

std::pair<double, double> PaddedRange(double lo, double hi, double minSpan) {
    if (lo > hi) std::swap(lo, hi);
    const double pad = std::max((hi - lo) * 0.05, (minSpan - (hi - lo)) / 2);
    return {lo - pad, hi + pad};
}

void SetRange(QValueAxis* axis, std::pair<double, double> range, const QString& suffix) {
    axis->setRange(range.first, range.second);
    // At most four steps of 1, 2 or 5 times a power of ten, anchored at zero.
    const double rough = (range.second - range.first) / 4;
    if (!(rough > 0) || !std::isfinite(rough)) return;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double m = rough / power;
    const double step = (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * power;
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f") +
                         suffix);
}

} // namespace qm
