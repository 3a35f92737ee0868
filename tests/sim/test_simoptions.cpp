#include "sim/simoptions.h"

#include <QtTest>

using namespace qm;

class TestSimOptions : public QObject {
    Q_OBJECT
  private slots:
    void signalTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << "1.5" << true << 1.5;
        QTest::newRow("comma") << "1,5" << true << 1.5;
        QTest::newRow("blanks") << " - 0.25 " << true << -0.25;
        QTest::newRow("exponent") << "2e-3" << true << 0.002;
        QTest::newRow("word") << "load" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("infinite") << "inf" << false << 0.0;
    }
    void signalTexts() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto v = ParseSignal(text);
        QCOMPARE(v.has_value(), valid);
        if (valid) QTEST(*v, "value");
    }

    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("all") << QStringList{"--link",
                                            "/tmp/x",
                                            "--state",
                                            "/tmp/s",
                                            "--no-itag",
                                            "--digits",
                                            "6",
                                            "--signal",
                                            "1,25",
                                            "--latency",
                                            "5",
                                            "--paced",
                                            "--split",
                                            "10",
                                            "--split-gap",
                                            "3",
                                            "--lower-case-id",
                                            "--wrong-echo",
                                            "7",
                                            "--corrupt-store",
                                            "8",
                                            "--silent-after",
                                            "4",
                                            "--hang-up-after",
                                            "9",
                                            "--garble",
                                            "0.5",
                                            "--seed",
                                            "42"}
                             << true;
        QTest::newRow("negative latency") << QStringList{"--latency", "-1"} << false;
        QTest::newRow("split of zero") << QStringList{"--split", "0"} << false;
        QTest::newRow("garble above 1") << QStringList{"--garble", "2"} << false;
        QTest::newRow("bad signal") << QStringList{"--signal", "x"} << false;
        QTest::newRow("unknown") << QStringList{"--fast"} << false;
        QTest::newRow("stray") << QStringList{"extra"} << false;
    }
    void arguments() {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        SimOptions o;
        QString error, help;
        QCOMPARE(ParseSimOptions(QStringList{"qm07r-sim"} + args, o, &error, &help), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (ok && args.size() > 2) {
            QCOMPARE(o.digits.value_or(0), 6);
            QCOMPARE(o.signal, 1.25);
            QVERIFY(o.noTag && o.faults.paced && o.faults.lowerCaseId);
            QCOMPARE(o.faults.wrongEchoAt, 7);
            QCOMPARE(o.faults.corruptStoreAt, 8);
            QCOMPARE(o.faults.hangUpAfter, 9);
            QCOMPARE(o.faults.seed, 42u);
        }
    }

    void helpDescribesTheSwitches() {
        SimOptions o;
        QString error, help;
        QVERIFY(ParseSimOptions({"qm07r-sim", "--help"}, o, &error, &help));
        for (const char* word : {"--link", "--state", "--no-itag", "--signal-file",
                                 "--hang-up-after", "--corrupt-store", "--garble", "standard input"})
            QVERIFY2(help.contains(QLatin1String(word)), word);
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_simoptions.moc"
