// The curve, deviation and trend plots show what they were given, after every
// change.
#include "calibration/curveplot.h"
#include "calibration/deviationplot.h"
#include "calibration/plotsupport.h"
#include "calibration/stability.h"
#include "calibration/trendplot.h"

#include <QLabel>
#include <QtTest>
#include <cmath>
#include <random>

using namespace qm;

using Points = std::vector<CurvePoint>;

namespace {
QList<QPointF> seriesPoints(const QChart* chart, const char* name) {
    const QXYSeries* s = SeriesNamed(chart, QString::fromLatin1(name));
    return s ? s->points() : QList<QPointF>{{qQNaN(), qQNaN()}};
}

// A 500 kg load cell captured 5 times in 30 s, settling after each step.
StabilityDetector settledTrend() {
    StabilityDetector d({2000, 5, 0.1, 30000});
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 0.00006);
    double from = 0, to = 0;
    for (qint64 t = 0; t <= 30000; t += 150) {
        if (t % 6000 == 0) {
            from = to;
            to = t == 24000 ? 1.2345 : t / 6000 * 0.45;
        }
        const double s = to + (from - to) * std::exp(-(t % 6000) / 700.0) + noise(random);
        d.add({t, s, s * 250, 8388608 + s / 4.647601e-7});
    }
    return d;
}
} // namespace

class TestPlots : public QObject {
    Q_OBJECT
  private slots:
    // The list as the page changes it: captures out of order, an edit, a
    // delete, a clear. The points are drawn sorted, the curve runs through them
    // to the edges and the live marker sits on it.
    void curvePlotFollowsTheList() {
        CurvePlot plot;
        plot.setLiveSignal(1.5);
        const std::vector<Points> steps = {
            {{1, 250}}, {{1, 250}, {0, 0}, {2, 400}}, {{1, 250}, {0, 0}, {2, 500}}, {{2, 500}}, {}};
        for (const Points& step : steps) {
            plot.setPoints(step);
            Points sorted = step;
            SortBySignal(sorted);
            QList<QPointF> expected;
            for (const CurvePoint& p : sorted)
                expected.append({p.value, p.signal});
            QCOMPARE(seriesPoints(plot.chart(), "points"), expected);
            const QList<QPointF> curve = seriesPoints(plot.chart(), "curve");
            QCOMPARE(curve.size(), sorted.size() < 2 ? 0 : expected.size() + 2);
            if (!curve.isEmpty()) QCOMPARE(curve.mid(1, expected.size()), expected);
            const QList<QPointF> live = seriesPoints(plot.chart(), "live");
            const auto v = InterpolateCurve(sorted, 1.5);
            QCOMPARE(live, v ? QList<QPointF>({{*v, 1.5}}) : QList<QPointF>());
            QCOMPARE(seriesPoints(plot.chart(), "live level").size(), 2);
        }
        plot.setPoints({{0, 0}, {1, 250}});
        plot.setLiveSignal(4.0); // beyond the axes: they grow, the marker follows
        QCOMPARE(seriesPoints(plot.chart(), "live"), (QList<QPointF>{{1000, 4}}));
        QVERIFY(seriesPoints(plot.chart(), "curve").last().y() >= 4);
        plot.setLiveSignal(std::nullopt);
        QVERIFY(seriesPoints(plot.chart(), "live level").isEmpty());
    }

    // Deviations of the hand-worked curve v = -0.1 + 1.9 s (in % of 6), drawn
    // by value; a single point draws nothing.
    void deviationPlot() {
        DeviationPlot plot;
        plot.setCaption(QStringLiteral("NL"));
        const Points points{{2, 3}, {0, 0}, {3, 6}, {1, 2}};
        plot.show(points, AnalyseLinearity(points));
        const QList<QPointF> expected{{0, 10. / 6}, {2, 20. / 6}, {3, -70. / 6}, {6, 40. / 6}};
        const QList<QPointF> got = seriesPoints(plot.chart(), "deviation");
        QCOMPARE(got.size(), expected.size());
        for (int i = 0; i < got.size(); ++i)
            QVERIFY((got[i] - expected[i]).manhattanLength() < 1e-9);
        QCOMPARE(plot.chart()->title(), QStringLiteral("NL: 11.667 % FS"));
        plot.show({{1, 5}}, AnalyseLinearity({{1, 5}}));
        QVERIFY(seriesPoints(plot.chart(), "deviation").isEmpty());
        QCOMPARE(plot.chart()->title(), QStringLiteral("NL"));
    }

    // Two points on one signal (two added with signal 0, or a zero captured a
    // hair off 0): the curve extrapolates steeply; the value axis still spans
    // the points and the live marker, and the curve is cut at its edges.
    void valueAxisFollowsThePoints_data() {
        QTest::addColumn<double>("secondZero");
        QTest::newRow("one signal") << 0.0;
        QTest::newRow("a hair apart") << 1e-6;
    }
    void valueAxisFollowsThePoints() {
        QFETCH(double, secondZero);
        CurvePlot plot;
        plot.setPoints({{0, 0}, {secondZero, 60}, {1, 41}, {2, 80}});
        plot.setLiveSignal(1.5);
        const auto* x = qobject_cast<QValueAxis*>(plot.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(x->min() >= -10 && x->min() < 0 && x->max() > 80 && x->max() <= 90);
        for (const QPointF& p : seriesPoints(plot.chart(), "curve"))
            QVERIFY2(p.x() >= x->min() - 1e-9 && p.x() <= x->max() + 1e-9,
                     qPrintable(QString::number(p.x())));
    }

    // The trend and its state as given.
    void trend() {
        TrendPlot trend;
        const StabilityDetector d = settledTrend();
        QVERIFY(d.isStable());
        trend.setStateWords(QStringLiteral("settling"), QStringLiteral("stable"));
        trend.setDisplayFormat(QStringLiteral("###0.0"), QStringLiteral("kg    "));
        trend.showTrend(d.trend(), d.window(), false);
        const QColor settlingColour = trend.stateLabel()->palette().color(QPalette::Window);
        trend.showTrend(d.trend(), d.window(), true);
        const QList<QPointF> xy = seriesPoints(trend.chart(), "signal");
        QCOMPARE(xy.size(), qsizetype(d.trend().size()));
        QCOMPARE(xy.last(), QPointF(0, d.trend().back().signal));
        QCOMPARE(xy.first().x(), -30.0);
        const QString text = trend.stateLabel()->text();
        QVERIFY2(text.startsWith("<b>stable</b>") && text.contains(" kg&"), qPrintable(text));
        QVERIFY(trend.stateLabel()->palette().color(QPalette::Window) != settlingColour);
    }
};

QTEST_MAIN(TestPlots)
#include "test_plots.moc"
