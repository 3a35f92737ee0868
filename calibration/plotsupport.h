#pragma once
// What the calibration plots share: a compact chart in a view, value axes,
// and ranges with a margin around the data.
#include "core/axisrange.h"

#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <QXYSeries>
#include <utility>

namespace qm {

struct PlotAxes {
    QValueAxis* x;
    QValueAxis* y;
};

// A chart without legend or frame margins in a view filling layoutParent.
QChartView* NewPlotView(QWidget* layoutParent, PlotAxes& axes);

// Adds a series to the chart on both axes; it is found again by its name.
template <class Series>
Series* AddSeries(QChart* chart, const PlotAxes& axes, const QString& name) {
    auto* s = new Series;
    s->setName(name);
    chart->addSeries(s);
    s->attachAxis(axes.x);
    s->attachAxis(axes.y);
    return s;
}

// The series of that name (all plots hold XY series only); null when none.
QXYSeries* SeriesNamed(const QChart* chart, const QString& name);

// Sets the range as given (nothing when it stands already), ticks at round numbers labelled with as
// many decimals as their step needs, and the suffix after each.
void SetRange(QValueAxis* axis, std::pair<double, double> range, const QString& suffix = {});

} // namespace qm
