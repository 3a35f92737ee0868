#include "core/settings.h"
#include "device/discovery.h"
#include "support/scriptedline.h"

#include <QtTest>

using namespace qm;

namespace {
Responder identifyAs(const QByteArray& ident) {
    return [ident](const QByteArray& line, int) {
        return line == "$00@" ? after(20, ident) : QList<ReplyPiece>{};
    };
}
} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
  private slots:
    void scan_data() {
        QTest::addColumn<int>("devicePort");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QList<int>>("stalePorts"); // silent, with an old identification waiting
        QTest::addColumn<bool>("inUse");            // the port is open before the scan
        QTest::addColumn<int>("found");
        QTest::addColumn<qint64>("elapsed");
        const QByteArray qm("QM-07R\r");
        QTest::newRow("COM4") << 4 << qm << QList<int>{} << false << 4 << qint64(300);
        QTest::newRow("stale replies are flushed")
            << 4 << qm << QList<int>{1, 3} << false << 4 << qint64(900);
        QTest::newRow("lower case is not found")
            << 4 << QByteArray("qm-07r\r") << QList<int>{} << false << 0 << qint64(300);
        QTest::newRow("COM20 is not scanned")
            << 20 << qm << QList<int>{} << false << 0 << qint64(0);
        QTest::newRow("port in use") << 2 << qm << QList<int>{} << true << 2 << qint64(300);
    }
    void scan() {
        QFETCH(int, devicePort);
        QFETCH(QByteArray, ident);
        QFETCH(QList<int>, stalePorts);
        QFETCH(bool, inUse);
        LineRig rig;
        rig.ports.line(devicePort).respond = identifyAs(ident);
        for (int p : stalePorts)
            rig.ports.line(p).stale = "QM-07R\r";
        if (inUse) rig.link.open(devicePort);
        QTEST(FindDevice(rig.link), "found");
        QTEST(rig.clock.tickMs(), "elapsed");
        QVERIFY(!rig.link.isOpen());
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
    // Each connect follows a failed one with the device silent, which left
    // the port open: connecting again reopens it instead of "Port in use.".
    void connect() {
        QFETCH(bool, present);
        QFETCH(QByteArray, ident);
        QFETCH(ConnectResult, result);
        LineRig rig;
        if (present) {
            ScriptedLine& line = rig.ports.line(4);
            QCOMPARE(ConnectDevice(rig.link, 4), ConnectResult::NoDevice);
            QVERIFY(rig.link.isOpen());
            line.respond = identifyAs(ident);
        }
        MemorySettingsStore settings;
        bool timerStopped = false;
        ConnectOptions options;
        options.settings = &settings;
        options.stopLiveTimer = [&] {
            timerStopped = true;
            QVERIFY(!rig.link.isOpen());
        };
        const qint64 start = rig.clock.tickMs();
        QCOMPARE(ConnectDevice(rig.link, 4, options), result);
        QVERIFY(timerStopped);
        QCOMPARE(rig.link.port(), 4);
        QTEST(settings.value(QStringLiteral("Default"), QStringLiteral("ComPort")), "stored");
        QCOMPARE(rig.link.isOpen(), present);
        if (present) QCOMPARE(rig.clock.tickMs() - start, 300);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
