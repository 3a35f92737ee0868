#include "core/settings.h"
#include "device/discovery.h"
#include "fakeline.h"

#include <QtTest>

using namespace qm;

namespace {
Responder identifyAs(const QByteArray& ident) {
    return [ident](const QByteArray& line, int) {
        return line == "$00@" ? at(20, ident) : QList<Piece>{};
    };
}
} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
  private slots:
    void scan_data() {
        QTest::addColumn<int>("devicePort");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QList<int>>("silentPorts"); // ports that open but do not answer
        QTest::addColumn<int>("found");
        QTest::addColumn<qint64>("elapsed");
        QTest::newRow("COM4") << 4 << QByteArray("QM-07R\r") << QList<int>{} << 4 << qint64(300);
        QTest::newRow("after silent ports")
            << 4 << QByteArray("QM-07R\r") << QList<int>{1, 3} << 4 << qint64(900);
        QTest::newRow("lower case is not found")
            << 4 << QByteArray("qm-07r\r") << QList<int>{} << 0 << qint64(300);
        QTest::newRow("above COM19")
            << 20 << QByteArray("QM-07R\r") << QList<int>{} << 0 << qint64(0);
        QTest::newRow("all silent") << 19 << QByteArray() << QList<int>{} << 0 << qint64(300);
    }
    void scan() {
        QFETCH(int, devicePort);
        QFETCH(QByteArray, ident);
        QFETCH(QList<int>, silentPorts);
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(devicePort).respond = identifyAs(ident);
        for (int p : silentPorts)
            factory.line(p);
        SerialLayer layer(factory, clock);
        QTEST(FindDevice(layer, clock), "found");
        QTEST(clock.tickMs(), "elapsed");
        for (int p = 1; p <= kPortCount; ++p)
            QVERIFY(!layer.PortIsOpen(p));
        QCOMPARE(layer.CurrentPort, 0);
    }

    // The port in use, still open, is scanned as it is and closed afterwards.
    void scanUsesAnOpenPort() {
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(2).respond = identifyAs("QM-07R\r");
        SerialLayer layer(factory, clock);
        QCOMPARE(layer.OpenPort(2, QStringLiteral("115200"), true), 0);
        QCOMPARE(FindDevice(layer, clock), 2);
        QVERIFY(!layer.PortIsOpen(2));
    }

    // What was waiting on the line before the request does not count.
    void staleIdentificationIsFlushed() {
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(1).stale = "QM-07R\r";
        SerialLayer layer(factory, clock);
        QCOMPARE(FindDevice(layer, clock), 0);
        QCOMPARE(ConnectDevice(layer, clock, 1), ConnectResult::NoDevice);
    }

    void connect_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<ConnectResult>("result");
        QTest::addColumn<QString>("stored");
        QTest::newRow("QM") << true << QByteArray("QM-07R V1\r") << ConnectResult::Ok << "4";
        QTest::newRow("lower case qm")
            << true << QByteArray("qm-07r\r") << ConnectResult::Ok << "4";
        QTest::newRow("other device")
            << true << QByteArray("XY-1\r") << ConnectResult::NoDevice << "";
        QTest::newRow("silent") << true << QByteArray() << ConnectResult::NoDevice << "";
        QTest::newRow("missing") << false << QByteArray() << ConnectResult::OpenFailed << "";
    }
    void connect() {
        QFETCH(bool, present);
        QFETCH(QByteArray, ident);
        QFETCH(ConnectResult, result);
        VirtualClock clock;
        FakeFactory factory(clock);
        if (present) factory.line(4).respond = identifyAs(ident);
        SerialLayer layer(factory, clock);
        MemorySettingsStore settings;
        bool timerStopped = false;
        QString reply;
        ConnectOptions options;
        options.settings = &settings;
        options.stopLiveTimer = [&] {
            timerStopped = true;
            QVERIFY(!layer.PortIsOpen(4));
        };
        options.reply = &reply;
        QCOMPARE(ConnectDevice(layer, clock, 4, options), result);
        QVERIFY(timerStopped);
        QCOMPARE(layer.CurrentPort, 4);
        QTEST(settings.value(QStringLiteral("Default"), QStringLiteral("ComPort")), "stored");
        // Two requests were answered before the one read.
        if (!ident.isEmpty()) QCOMPARE(reply, QString::fromLatin1(ident + ident));
        QCOMPARE(layer.PortIsOpen(4), result != ConnectResult::OpenFailed);
        if (present) QCOMPARE(clock.tickMs(), 300);
    }

    // Next again after a failed identification reopens the port instead of
    // failing with "Port in use.".
    void reconnectAfterFailureReopens() {
        VirtualClock clock;
        FakeFactory factory(clock);
        FakeLine& line = factory.line(2);
        SerialLayer layer(factory, clock);
        QCOMPARE(ConnectDevice(layer, clock, 2), ConnectResult::NoDevice);
        QVERIFY(layer.PortIsOpen(2));
        line.respond = identifyAs("QM-07R\r");
        QCOMPARE(ConnectDevice(layer, clock, 2), ConnectResult::Ok);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
