// The straight line through a curve, each point's deviation in % of full
// scale, and the curve as the device interpolates it. Numbers worked out by hand.
#include "calibration/linearity.h"

#include <QtTest>

using namespace qm;

using Points = std::vector<CurvePoint>;
using Numbers = std::vector<double>;
Q_DECLARE_METATYPE(Points)
Q_DECLARE_METATYPE(Numbers)

class TestLinearity : public QObject {
    Q_OBJECT
  private slots:
    // {slope, intercept, deviations..., worst point}; empty: no linearity.
    void deviations_data() {
        QTest::addColumn<Points>("points"); // {signal, value}
        QTest::addColumn<Numbers>("expected");
        // means 1.5 and 2.75, Sxx 5, Sxy 9.5: v = -0.1 + 1.9 s; residuals
        // 0.1, 0.2, -0.7, 0.4 of full scale 6; another order keeps them per point
        QTest::newRow("bent") << Points{{0, 0}, {1, 2}, {2, 3}, {3, 6}}
                              << Numbers{1.9, -0.1, 10. / 6, 20. / 6, -70. / 6, 40. / 6, 2};
        QTest::newRow("unsorted") << Points{{2, 3}, {0, 0}, {3, 6}, {1, 2}}
                                  << Numbers{1.9, -0.1, -70. / 6, 10. / 6, 40. / 6, 20. / 6, 0};
        // full scale is the largest absolute value, here of a negative point:
        // v = -250/3 + 375 s, residuals -125/3, 250/3, -125/3 of 500
        QTest::newRow("negative") << Points{{-1, -500}, {0, 0}, {1, 250}}
                                  << Numbers{375, -250. / 3, -25. / 3, 50. / 3, -25. / 3, 1};
        QTest::newRow("two points") << Points{{0.5, 10}, {1.5, 30}} << Numbers{20, 0, 0, 0, 0};
        QTest::newRow("one point") << Points{{1, 5}} << Numbers{};
        QTest::newRow("one signal") << Points{{1, 5}, {1, 7}} << Numbers{};
        QTest::newRow("all values 0") << Points{{0, 0}, {1, 0}} << Numbers{};
        QTest::newRow("not finite") << Points{{0, 0}, {qInf(), 1}} << Numbers{};
    }
    void deviations() {
        QFETCH(Points, points);
        QFETCH(Numbers, expected);
        const std::optional<Linearity> lin = AnalyseLinearity(points);
        QCOMPARE(lin.has_value(), !expected.empty());
        if (!lin) return;
        Numbers got{lin->line.slope, lin->line.intercept};
        got.insert(got.end(), lin->deviationPct.begin(), lin->deviationPct.end());
        got.push_back(lin->worstPoint);
        QCOMPARE(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) < 1e-9, qPrintable(QString::number(got[i])));
        const auto worst =
            std::max_element(lin->deviationPct.begin(), lin->deviationPct.end(),
                             [](double a, double b) { return std::abs(a) < std::abs(b); });
        QCOMPARE(lin->nonLinearityPct, std::abs(*worst));
    }

    // Straight between neighbours, the end segments carried on beyond the ends.
    void interpolation_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<double>("signal");
        QTest::addColumn<double>("value"); // NaN: none
        const Points curve{{0, 0}, {1, 250}, {2, 400}};
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
        if (v) QCOMPARE(*v, value);
    }
};

QTEST_GUILESS_MAIN(TestLinearity)
#include "test_linearity.moc"
