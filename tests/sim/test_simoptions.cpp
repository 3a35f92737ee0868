#include "sim/simoptions.h"

#include <QtTest>

using namespace qm;

class TestSimOptions : public QObject {
    Q_OBJECT
  private slots:
    // Bad values are refused with a message. A signal, as on standard input,
    // takes "," or "." and blanks.
    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("signal");
        auto row = [](const char* name, const QStringList& args, bool ok, double signal = 0) {
            QTest::newRow(name) << args << ok << signal;
        };
        row("none", {}, true);
        row("all",
            QStringLiteral("--link /tmp/x --state /tmp/s --no-itag --digits 6 --signal 1,25 "
                           "--latency 5 --paced --split 10 --split-gap 3 --lower-case-id "
                           "--wrong-echo 7 --corrupt-store 8 --silent-after 4 --hang-up-after 9 "
                           "--garble 0.5 --seed 42 --noise 0,002 --settle 1.5 --drift -0.01")
                .split(u' '),
            true, 1.25);
        row("point", {"--signal", "1.5"}, true, 1.5);
        row("blanks", {"--signal", " - 0.25 "}, true, -0.25);
        row("exponent", {"--signal", "2e-3"}, true, 0.002);
        row("word signal", {"--signal", "load"}, false);
        row("empty signal", {"--signal", ""}, false);
        row("infinite signal", {"--signal", "inf"}, false);
        row("negative latency", {"--latency", "-1"}, false);
        row("split of zero", {"--split", "0"}, false);
        row("garble above 1", {"--garble", "2"}, false);
        row("negative noise", {"--noise", "-0.1"}, false);
        row("word settle", {"--settle", "slow"}, false);
        row("infinite drift", {"--drift", "inf"}, false);
        row("unknown", {"--fast"}, false);
        row("stray", {"extra"}, false);
    }
    void arguments() {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        SimOptions o;
        QString error, help;
        QCOMPARE(ParseSimOptions(QStringList{"qm07r-sim"} + args, o, &error, &help), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (ok) QTEST(o.signal, "signal");
        if (args.size() > 2) { // every switch lands in its own field
            const SimFaults& f = o.faults;
            QVERIFY(o.noTag && f.paced && f.lowerCaseId && o.digits == 6);
            QVERIFY(f.latencyMs == 5 && f.splitBytes == 10 && f.splitGapMs == 3);
            QVERIFY(f.wrongEchoAt == 7 && f.corruptStoreAt == 8 && f.silentAfter == 4);
            QVERIFY(f.hangUpAfter == 9 && f.garbleRate == 0.5 && f.seed == 42);
            const SignalOptions& sm = o.signalModel;
            QVERIFY(sm.noiseSigma == 0.002 && sm.settleSeconds == 1.5);
            QVERIFY(sm.driftPerMinute == -0.01 && sm.seed == 42);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_simoptions.moc"
