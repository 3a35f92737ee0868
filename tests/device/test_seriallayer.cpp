#include "device/seriallayer.h"
#include "fakeline.h"
#include "support/scriptedmessages.h"

#include <QtTest>

using namespace qm;

class TestSerialLayer : public QObject {
    Q_OBJECT
  private slots:
    void openTwiceIsPortInUse() {
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(3);
        ScriptedMessages sink;
        SerialLayer layer(factory, clock, &sink);
        QCOMPARE(layer.OpenPort(3, QStringLiteral(" 115200 "), false), 0);
        QCOMPARE(layer.Ports(3).settings, QStringLiteral("baud=115200 parity=N data=8 stop=1"));
        QCOMPARE(layer.OpenPort(3, QStringLiteral("115200"), false), -1);
        QString text;
        QCOMPARE(layer.CommErrorText(text), -1);
        QCOMPARE(text, QStringLiteral("Error (-1): CommOpen - Port in use."));
        QCOMPARE(sink.count(), 1);
        QCOMPARE(sink.shown()[0].text,
                 QStringLiteral("COM Error: Error (-1): CommOpen - Port in use."));
        QCOMPARE(sink.shown()[0].icon, MsgIcon::None);
        QVERIFY(layer.PortIsOpen(3));
    }

    void quietOpenOfMissingDeviceShowsNothing() {
        VirtualClock clock;
        FakeFactory factory(clock);
        ScriptedMessages sink;
        SerialLayer layer(factory, clock, &sink);
        QCOMPARE(layer.OpenPort(2, QStringLiteral("115200"), true), 1);
        QCOMPARE(layer.CommLastError().source, QStringLiteral("CommOpen (CreateFile)"));
        QVERIFY(!layer.PortIsOpen(2));
        QVERIFY(sink.isEmpty());
    }

    // A failure after the device was opened keeps it open until it is closed.
    void failureAfterOpenKeepsPortHeld() {
        QFETCH(bool, failSetup);
        QFETCH(QString, settings);
        QFETCH(QString, source);
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(1).failOpenAfterHandle = failSetup;
        SerialLayer layer(factory, clock);
        QVERIFY(layer.CommOpen(1, QStringLiteral("COM1"), settings) != 0);
        QCOMPARE(layer.CommLastError().source, source);
        QVERIFY(layer.PortIsOpen(1));
        QCOMPARE(layer.CommOpen(1, QStringLiteral("COM1"), settings), -1);
        QCOMPARE(layer.ClosePort(1), 0);
        QVERIFY(!layer.PortIsOpen(1));
    }
    void failureAfterOpenKeepsPortHeld_data() {
        QTest::addColumn<bool>("failSetup");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("source");
        const QString good = QStringLiteral("baud=115200 parity=N data=8 stop=1");
        QTest::newRow("line setup") << true << good << QStringLiteral("CommOpen (SetCommState)");
        QTest::newRow("bad mode text")
            << false << QStringLiteral("baud=fast") << QStringLiteral("CommOpen (BuildCommDCB)");
        QTest::newRow("other baud") << false << QStringLiteral("baud=9600 parity=N data=8 stop=1")
                                    << QStringLiteral("CommOpen (BuildCommDCB)");
    }

    void portNumbersOutsideTheTable() {
        QFETCH(int, port);
        VirtualClock clock;
        FakeFactory factory(clock);
        SerialLayer layer(factory, clock);
        QCOMPARE(layer.OpenPort(port, QStringLiteral("115200"), true), int(kCommBadPortNumber));
        QCOMPARE(layer.CommLastError().source, QStringLiteral("CommOpen"));
        QString text;
        QCOMPARE(layer.ReadPort(port, text, 256), 0);
        QCOMPARE(layer.CommLastError().source, QStringLiteral("CommRead"));
        QCOMPARE(layer.CommWrite(port, QStringLiteral("x")), 0);
        QCOMPARE(layer.CommClose(port), int(kCommBadPortNumber));
        QVERIFY(!layer.PortIsOpen(port));
    }
    void portNumbersOutsideTheTable_data() {
        QTest::addColumn<int>("port");
        QTest::newRow("0") << 0;
        QTest::newRow("21") << 21;
        QTest::newRow("-1") << -1;
    }

    void closingAClosedPortIsFine() {
        VirtualClock clock;
        FakeFactory factory(clock);
        SerialLayer layer(factory, clock);
        QCOMPARE(layer.ClosePort(5), 0);
    }

    // A read takes every waiting byte, whatever maxLen, up to the 1024-byte buffer.
    void readTakesWhatIsWaiting() {
        QFETCH(int, waiting);
        QFETCH(int, maxLen);
        QFETCH(int, expected);
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(1).stale = QByteArray(waiting, 'A');
        SerialLayer layer(factory, clock);
        QCOMPARE(layer.OpenPort(1, QStringLiteral("115200"), true), 0);
        QString text = QStringLiteral("old");
        QCOMPARE(layer.ReadPort(1, text, maxLen), expected);
        QCOMPARE(text.size(), expected);
        QCOMPARE(clock.tickMs(), 0); // never waits
    }
    void readTakesWhatIsWaiting_data() {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("maxLen");
        QTest::addColumn<int>("expected");
        QTest::newRow("nothing") << 0 << 256 << 0;
        QTest::newRow("20 of 256") << 20 << 256 << 20;
        QTest::newRow("20 of 3") << 20 << 3 << 20;
        QTest::newRow("over the buffer") << 1500 << 256 << 1024;
    }

    void readOfClosedPortFails() {
        VirtualClock clock;
        FakeFactory factory(clock);
        SerialLayer layer(factory, clock);
        QString text;
        QCOMPARE(layer.ReadPort(4, text, 256), -1);
        QCOMPARE(layer.CommLastError().source, QStringLiteral("CommRead (ClearCommError)"));
    }

    void writePortFlagsShortWrites() {
        QFETCH(qint64, limit);
        QFETCH(bool, open);
        QFETCH(int, flag);
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(1).writeLimit = limit;
        SerialLayer layer(factory, clock);
        if (open) layer.OpenPort(1, QStringLiteral("115200"), true);
        QCOMPARE(layer.WritePort(1, QStringLiteral("$00@\r\n")), flag);
    }
    void writePortFlagsShortWrites_data() {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("flag");
        QTest::newRow("whole") << qint64(-1) << true << 0;
        QTest::newRow("short") << qint64(3) << true << 1;
        QTest::newRow("closed") << qint64(-1) << false << 1;
    }

    void failedWriteRecordsErrorFlags() {
        VirtualClock clock;
        FakeFactory factory(clock);
        SerialLayer layer(factory, clock);
        QCOMPARE(layer.CommWrite(1, QStringLiteral("x")), -1);
        QCOMPARE(layer.CommLastError().source, QStringLiteral("CommWrite (WriteFile)"));
        QVERIFY(layer.CommLastError().text.endsWith(QStringLiteral("  COMM Error Flags = 0")));
    }

    // A line that goes away: what had arrived is still read, then the port is closed.
    void lostLineClosesPortAfterItsLastBytes() {
        VirtualClock clock;
        FakeFactory factory(clock);
        FakeLine& line = factory.line(1);
        line.stale = "QM\r";
        SerialLayer layer(factory, clock);
        layer.OpenPort(1, QStringLiteral("115200"), true);
        line.lost = true;
        QVERIFY(layer.PortIsOpen(1));
        QString text;
        QCOMPARE(layer.ReadPort(1, text, 256), 3);
        QVERIFY(!layer.PortIsOpen(1));
        QCOMPARE(layer.ReadPort(1, text, 256), -1);
        line.lost = false;
        QCOMPARE(layer.OpenPort(1, QStringLiteral("115200"), true), 0);
    }
};

QTEST_GUILESS_MAIN(TestSerialLayer)
#include "test_seriallayer.moc"
