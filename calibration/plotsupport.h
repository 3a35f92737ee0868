#pragma once
// What the calibration plots share: a compact chart in a view, value axes,
// and ranges with a margin around the data.
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

// [lo, hi] widened by 5% on each side, at least minSpan wide.
std::pair<double, double> PaddedRange(double lo, double hi, double minSpan);

// The tick step for a range: 1, 2 or 5 times a power of ten, at most four
// steps across; 0 for an empty or infinite range.
double TickStep(std::pair<double, double> range);

// The range widened to the next half tick step at each end, so that a range
// that wobbles a little stays the same.
std::pair<double, double> SnappedRange(std::pair<double, double> range);

// Sets the range as given (nothing when it stands already), ticks at round numbers labelled with as
// many decimals as their step needs, and the suffix after each.
void SetRange(QValueAxis* axis, std::pair<double, double> range, const QString& suffix = {});

} // namespace qm
