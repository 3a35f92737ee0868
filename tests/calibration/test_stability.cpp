// The stability detector on samples of the 150 ms poll: a ramp, a step that
// settles, noise around a mean; the digit of a mask; the auto-capture rule.
#include "calibration/stability.h"

#include <QtTest>
#include <cmath>

using namespace qm;

namespace {
constexpr qint64 kPollMs = 150;

// Display value at sample k; the signal is a thousandth of it, the count 100 per unit.
double displayAt(const QString& kind, int k) {
    if (kind == u"ramp") return 0.01 * k;                        // one digit a sample
    if (kind == u"step") return 100 * (1 - std::exp(-k * 0.15)); // from 0 to 100, tau 1 s
    if (kind == u"noise 4") return 50 + (k % 2 ? 0.02 : -0.02);
    if (kind == u"noise 6") return 50 + (k % 2 ? 0.03 : -0.03);
    return 0;
}
LiveSample sampleAt(const QString& kind, int k) {
    const double d = displayAt(kind, k);
    return {k * kPollMs, d / 1000, d, 1000 + 100 * d};
}
} // namespace

class TestStability : public QObject {
    Q_OBJECT
  private slots:
    // Digit 0.01, 5 digits allowed, a 2 s window. The step's spread over the
    // window falls to 100 (e^-7.5 - e^-9.45) = 0.0474 at 9450 ms; at 9300 ms it
    // is still 0.0551.
    void samples_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("samples");
        QTest::addColumn<qint64>("firstStableMs"); // -1 never
        QTest::addColumn<double>("spread");        // display units, at the end
        QTest::addColumn<double>("mean");
        QTest::newRow("ramp") << "ramp" << 31 << qint64(-1) << 0.13 << 0.235;
        QTest::newRow("step") << "step" << 64 << qint64(9450) << 0.0474395 << 99.9751111;
        QTest::newRow("noise within") << "noise 4" << 15 << qint64(2100) << 0.04 << 50.0;
        QTest::newRow("noise beyond") << "noise 6" << 40 << qint64(-1) << 0.06 << 50.0;
    }
    void samples() {
        QFETCH(QString, kind);
        QFETCH(int, samples);
        QFETCH(qint64, firstStableMs);
        QFETCH(double, spread);
        QFETCH(double, mean);
        StabilityDetector d({2000, 5, 0.01, 30000});
        qint64 firstStable = -1;
        for (int k = 0; k < samples; ++k) {
            d.add(sampleAt(kind, k));
            if (d.isStable() && firstStable < 0) firstStable = k * kPollMs;
            QVERIFY2(!(firstStable >= 0 && !d.isStable()), "stable, then settling again");
        }
        QCOMPARE(firstStable, firstStableMs);
        const WindowSummary& w = d.window();
        QCOMPARE(w.samples, 14); // 2 s of 150 ms polls, both ends included
        QVERIFY2(std::abs(w.spreadDisplay - spread) < 1e-6,
                 qPrintable(QString::number(w.spreadDisplay)));
        QVERIFY(std::abs(w.spreadCount - 100 * spread) < 1e-4);
        QVERIFY(std::abs(w.spreadSignal - spread / 1000) < 1e-9);
        QVERIFY2(std::abs(w.meanDisplay - mean) < 1e-6, qPrintable(QString::number(w.meanDisplay)));
        QVERIFY(std::abs(w.meanSignal - mean / 1000) < 1e-9);
        QVERIFY(std::abs(w.meanCount - (1000 + 100 * mean)) < 1e-4);
    }

    // A flat signal is stable after a whole window of watching, again after a
    // gap longer than the window; late samples and broken numbers are dropped;
    // the trend keeps 30 s.
    void watching() {
        StabilityDetector d({2000, 5, 0.01, 30000});
        auto flat = [&](qint64 from, qint64 to) {
            for (qint64 t = from; t <= to; t += kPollMs)
                d.add({t, 1, 10, 100});
        };
        flat(0, 1950);
        QVERIFY(!d.isStable());
        flat(2100, 2100);
        QVERIFY(d.isStable());
        d.add({2000, 1, 99, 100}); // older than the last
        d.add({2250, qQNaN(), 99, 100});
        QVERIFY(d.isStable());
        QCOMPARE(d.window().spreadDisplay, 0.0);
        flat(4400, 4400); // 2.3 s without a reply
        QVERIFY(!d.isStable());
        flat(4550, 6400); // 6350: 1950 ms watched
        QVERIFY(!d.isStable());
        flat(6500, 6500);
        QVERIFY(d.isStable());
        flat(6550, 40000);
        QVERIFY(d.trend().back().tMs - d.trend().front().tMs <= 30000);
        QVERIFY(d.trend().front().tMs >= 40000 - 30000 - kPollMs);
        d.clear();
        QVERIFY(!d.isStable() && d.trend().empty() && d.window().samples == 0);
    }

    void displayDigit_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("digit");
        QTest::newRow("two decimals") << "###0.00" << 0.0 << 0.01;
        QTest::newRow("whole") << "#######0" << 0.0 << 1.0;
        QTest::newRow("blanks stored") << "##0.0   " << 0.0 << 0.1;
        QTest::newRow("hash decimals") << "0.0###" << 0.0 << 0.0001;
        QTest::newRow("escaped point") << "0\\.00" << 0.0 << 1.0;
        QTest::newRow("scientific") << "0.000 E-00" << 0.0015 << 0.000001;
    }
    void displayDigit() {
        QFETCH(QString, mask);
        QFETCH(double, level);
        QFETCH(double, digit);
        QVERIFY2(std::abs(DisplayDigit(mask, level) / digit - 1) < 1e-12,
                 qPrintable(QString::number(DisplayDigit(mask, level))));
    }

    // Full scale 500: a new point needs 25 from every captured one.
    void autoCapture_data() {
        QTest::addColumn<bool>("stable");
        QTest::addColumn<double>("level");
        QTest::addColumn<std::vector<double>>("captured");
        QTest::addColumn<double>("fullScale");
        QTest::addColumn<bool>("due");
        const std::vector<double> two{0, 250};
        QTest::newRow("first point") << true << 0.0 << std::vector<double>{} << 500.0 << true;
        QTest::newRow("far from both") << true << 125.0 << two << 500.0 << true;
        QTest::newRow("settling") << false << 125.0 << two << 500.0 << false;
        QTest::newRow("just far enough") << true << 225.0 << two << 500.0 << true;
        QTest::newRow("too near above") << true << 226.0 << two << 500.0 << false;
        QTest::newRow("too near below") << true << -24.0 << two << 500.0 << false;
        QTest::newRow("no full scale") << true << 125.0 << two << 0.0 << false;
    }
    void autoCapture() {
        QFETCH(bool, stable);
        QFETCH(double, level);
        QFETCH(std::vector<double>, captured);
        QFETCH(double, fullScale);
        QTEST(AutoCaptureDue(stable, level, captured, fullScale), "due");
    }
};

QTEST_GUILESS_MAIN(TestStability)
#include "test_stability.moc"
