#include "calibration/plotsupport.h"

#include "core/axisrange.h"

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
        // A short plot leaves a label less room than its text: a number cut
        // to "…" says nothing.
        a->setTruncateLabels(false);
    }
    chart->addAxis(axes.x, Qt::AlignBottom);
    chart->addAxis(axes.y, Qt::AlignLeft);
    auto* view = new QChartView(chart);
    // Plain lines: antialiased ones cost the live redraw several times the CPU.
    view->setRenderHint(QPainter::Antialiasing, false);
    chart->setAnimationOptions(QChart::NoAnimation);
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

void SetRange(QValueAxis* axis, std::pair<double, double> range, const QString& suffix) {
    // Every change lays out and re-renders the axis labels: skip repeats.
    if (axis->min() == range.first && axis->max() == range.second) return;
    const double step = TickStep(range);
    if (!(step > 0)) {
        axis->setRange(range.first, range.second);
        return;
    }
    const int decimals = StepDecimals(step);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f") +
                         suffix);
    // The old step over the new range (or the reverse) can mean thousands of
    // ticks for a moment; take the order with fewer.
    const double oldSpan = axis->max() - axis->min();
    const bool stepFirst = (range.second - range.first) / axis->tickInterval() > oldSpan / step;
    if (stepFirst) axis->setTickInterval(step);
    axis->setRange(range.first, range.second);
    if (!stepFirst) axis->setTickInterval(step);
}

} // namespace qm
