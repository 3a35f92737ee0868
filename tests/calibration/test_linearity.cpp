// The straight line through a curve, each point's deviation in % of full
// scale, and the curve as the device interpolates it. Numbers worked out by hand.
#include "calibration/linearity.h"
#include "calibration/workingcurve.h"

#include <QtTest>

using namespace qm;

using Points = std::vector<CurvePoint>;
using Numbers = std::vector<double>;
Q_DECLARE_METATYPE(Points)
Q_DECLARE_METATYPE(Numbers)

namespace {
bool near(double a, double b) {
    return std::abs(a - b) < 1e-9;
}
} // namespace

class TestLinearity : public QObject {
    Q_OBJECT
  private slots:
    void deviations_data() {
        QTest::addColumn<Points>("points"); // {signal, value}
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<Numbers>("deviationPct");
        QTest::addColumn<int>("worst");
        // means 1.5 and 2.75, Sxx 5, Sxy 9.5: v = -0.1 + 1.9 s; residuals
        // 0.1, 0.2, -0.7, 0.4 of full scale 6
        QTest::newRow("bent") << Points{{0, 0}, {1, 2}, {2, 3}, {3, 6}} << 1.9 << -0.1
                              << Numbers{10.0 / 6, 20.0 / 6, -70.0 / 6, 40.0 / 6} << 2;
        // the same points in another order keep their own deviations
        QTest::newRow("unsorted") << Points{{2, 3}, {0, 0}, {3, 6}, {1, 2}} << 1.9 << -0.1
                                  << Numbers{-70.0 / 6, 10.0 / 6, 40.0 / 6, 20.0 / 6} << 0;
        // full scale is the largest absolute value, here of a negative point:
        // v = -250/3 + 375 s, residuals -125/3, 250/3, -125/3 of 500
        QTest::newRow("negative") << Points{{-1, -500}, {0, 0}, {1, 250}} << 375.0 << -250.0 / 3
                                  << Numbers{-25.0 / 3, 50.0 / 3, -25.0 / 3} << 1;
        QTest::newRow("two points")
            << Points{{0.5, 10}, {1.5, 30}} << 20.0 << 0.0 << Numbers{0, 0} << 0;
    }
    void deviations() {
        QFETCH(Points, points);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        QFETCH(Numbers, deviationPct);
        const std::optional<Linearity> lin = AnalyseLinearity(points);
        QVERIFY(lin);
        QVERIFY(near(lin->line.slope, slope) && near(lin->line.intercept, intercept));
        QCOMPARE(lin->deviationPct.size(), deviationPct.size());
        double worst = 0;
        for (size_t i = 0; i < deviationPct.size(); ++i) {
            QVERIFY2(near(lin->deviationPct[i], deviationPct[i]),
                     qPrintable(QString::number(lin->deviationPct[i])));
            worst = std::max(worst, std::abs(deviationPct[i]));
        }
        QVERIFY(near(lin->nonLinearityPct, worst));
        QTEST(lin->worstPoint, "worst");
    }

    // No line without two distinct signals, no percentage without a full scale.
    void noLinearity_data() {
        QTest::addColumn<Points>("points");
        QTest::newRow("none") << Points{};
        QTest::newRow("one") << Points{{1, 5}};
        QTest::newRow("one signal") << Points{{1, 5}, {1, 7}};
        QTest::newRow("all values zero") << Points{{0, 0}, {1, 0}};
        QTest::newRow("not finite") << Points{{0, 0}, {qInf(), 1}};
    }
    void noLinearity() {
        QFETCH(Points, points);
        QVERIFY(!AnalyseLinearity(points));
    }

    // Straight between neighbours, the end segments carried on beyond the ends.
    void interpolation_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<double>("signal");
        QTest::addColumn<double>("value"); // NaN: none
        const Points curve{{0, 0}, {1, 250}, {2, 400}};
        QTest::newRow("on a point") << curve << 1.0 << 250.0;
        QTest::newRow("first segment") << curve << 0.5 << 125.0;
        QTest::newRow("second segment") << curve << 1.5 << 325.0;
        QTest::newRow("below") << curve << -1.0 << -250.0;
        QTest::newRow("above") << curve << 3.0 << 550.0;
        QTest::newRow("one signal twice") << Points{{1, 5}, {1, 7}} << 3.0 << 5.0;
        QTest::newRow("one point") << Points{{1, 5}} << 1.0 << qQNaN();
    }
    void interpolation() {
        QFETCH(Points, points);
        QFETCH(double, signal);
        QFETCH(double, value);
        const std::optional<double> v = InterpolateCurve(points, signal);
        QCOMPARE(v.has_value(), !std::isnan(value));
        if (v) QVERIFY2(near(*v, value), qPrintable(QString::number(*v)));
    }

    void workingCurvePointsInRowOrder() {
        WorkingCurve curve;
        curve.Append(2.0F, 500.0F);
        curve.Append(1.0F, 250.0F);
        const Points p = CurvePoints(curve);
        QCOMPARE(p.size(), size_t(2));
        QVERIFY(p[0].signal == 1.0 && p[0].value == 250.0 && p[1].signal == 2.0);
    }
};

QTEST_GUILESS_MAIN(TestLinearity)
#include "test_linearity.moc"
