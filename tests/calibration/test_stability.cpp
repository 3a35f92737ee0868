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
        QTest::newRow("step") << "step" << 64 << qint64(9450) << 0.0474394805 << 99.9751110949;
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
        const double got[] = {w.spreadDisplay, w.spreadCount, w.spreadSignal,
                              w.meanDisplay,   w.meanCount,   w.meanSignal};
        const double want[] = {spread, 100 * spread,      spread / 1000,
                               mean,   1000 + 100 * mean, mean / 1000};
        for (int i = 0; i < 6; ++i)
            QVERIFY2(std::abs(got[i] - want[i]) < 1e-6, qPrintable(QString::number(got[i])));
    }

    // A flat signal is stable after a whole window of watching, and again
    // after a gap longer than the window; late samples and broken numbers are
    // dropped; the trend keeps 30 s.
    void watching() {
        StabilityDetector d({2000, 5, 0.01, 30000});
        struct Run {
            qint64 from, to;
            bool stable;
        };
        for (const Run& r : {Run{0, 1950, false},
                             {2100, 2100, true},
                             {4400, 4400, false},
                             {4550, 6350, false},
                             {6500, 6500, true},
                             {6650, 39950, true}}) {
            for (qint64 t = r.from; t <= r.to; t += kPollMs)
                d.add({t, 1, 10, 100});
            d.add({r.to - 1, 1, 99, 100}); // older than the last
            d.add({r.to, qQNaN(), 99, 100});
            QCOMPARE(d.isStable(), r.stable);
        }
        QVERIFY(d.trend().back().tMs - d.trend().front().tMs <= 30000);
        QVERIFY(d.trend().front().tMs >= 39950 - 30000 - kPollMs);
        d.clear();
        QVERIFY(!d.isStable() && d.trend().empty() && d.window().samples == 0);
    }

    // A display digit, and whether a stable level is due for auto-capture
    // (full scale 500: 25 from every captured point).
    void digitAndAutoCapture() {
        QCOMPARE(DisplayDigit(QStringLiteral("###0.00")), 0.01);
        QCOMPARE(DisplayDigit(QStringLiteral("#######0")), 1.0);
        QCOMPARE(DisplayDigit(QStringLiteral("##0.0#  ")), 0.01);
        QCOMPARE(DisplayDigit(QStringLiteral("0\\.00")), 1.0);
        QCOMPARE(DisplayDigit(QStringLiteral("0.000 E-00"), 0.0015), 1e-6);
        const std::vector<double> two{0, 250};
        QVERIFY(AutoCaptureDue(true, 0, {}, 500));
        QVERIFY(AutoCaptureDue(true, 225, two, 500));
        QVERIFY(!AutoCaptureDue(false, 125, two, 500));
        QVERIFY(!AutoCaptureDue(true, 226, two, 500));
        QVERIFY(!AutoCaptureDue(true, -24, two, 500));
        QVERIFY(!AutoCaptureDue(true, 125, two, 0));
    }
};

QTEST_GUILESS_MAIN(TestStability)
#include "test_stability.moc"
