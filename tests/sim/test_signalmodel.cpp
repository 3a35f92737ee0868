// The simulated sensor signal: first-order settling after a change of load,
// drift, and seeded noise with the asked spread.
#include "sim/signalmodel.h"

#include <QtTest>
#include <cmath>

using namespace qm;

class TestSignalModel : public QObject {
    Q_OBJECT
  private slots:
    // From 0 to 1 mV/V at 1 s with tau 2 s, then on to 3 mV/V at 3 s from
    // where it stood (1 - e^-1).
    void settling_data() {
        QTest::addColumn<qint64>("t");
        QTest::addColumn<double>("level");
        const double at3 = 1 - std::exp(-1.0);
        QTest::newRow("before the change") << qint64(500) << 0.0;
        QTest::newRow("at the change") << qint64(1000) << 0.0;
        QTest::newRow("one time constant") << qint64(3000) << at3;
        QTest::newRow("second change, 0 s") << qint64(3000) << at3;
        QTest::newRow("second change, 2 s") << qint64(5000) << 3 + (at3 - 3) * std::exp(-1.0);
        QTest::newRow("ten time constants") << qint64(23000) << 3 + (at3 - 3) * std::exp(-10.0);
    }
    void settling() {
        QFETCH(qint64, t);
        QFETCH(double, level);
        SignalModel m({0, 2.0, 0, 1});
        m.setLoad(1.0, 1000);
        if (t > 3000 || QByteArray(QTest::currentDataTag()).startsWith("second")) {
            m.setLoad(3.0, 3000);
            m.setLoad(3.0, 4000); // the same load again does not start over
        }
        QVERIFY2(std::abs(m.level(t) - level) < 1e-12, qPrintable(QString::number(m.level(t))));
        QCOMPARE(m.sample(t), m.level(t)); // no noise asked
        m.setOptions({0, 2.0, 0.5, 1});    // a jump, then 0.5 mV/V a minute
        m.setLoad(-1.0, t, false);
        QCOMPARE(m.level(t + 120000), -1.0 + 0.5 * (t + 120000) / 60000.0);
    }

    // 4000 samples of sigma 0.01 about 1 mV/V: the mean within 4 standard
    // errors, the deviation within 5%; one seed gives one sequence.
    void noise() {
        SignalModel a({0.01, 0, 0, 7}), b({0.01, 0, 0, 7}), c({0.01, 0, 0, 8});
        for (SignalModel* m : {&a, &b, &c})
            m->setLoad(1.0, 0);
        const int n = 4000;
        double sum = 0, squares = 0;
        bool sameAsB = true, sameAsC = true;
        for (int i = 0; i < n; ++i) {
            const double x = a.sample(i * 150);
            sameAsB = sameAsB && x == b.sample(i * 150);
            sameAsC = sameAsC && x == c.sample(i * 150);
            sum += x;
            squares += x * x;
        }
        const double mean = sum / n;
        const double sd = std::sqrt(squares / n - mean * mean);
        QVERIFY2(std::abs(mean - 1.0) < 4 * 0.01 / std::sqrt(n), qPrintable(QString::number(mean)));
        QVERIFY2(std::abs(sd - 0.01) < 0.0005, qPrintable(QString::number(sd)));
        QVERIFY(sameAsB && !sameAsC);
    }
};

QTEST_GUILESS_MAIN(TestSignalModel)
#include "test_signalmodel.moc"
