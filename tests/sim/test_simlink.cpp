// The exchanges against the simulated device on virtual time.
#include "device/protocol.h"
#include "sim/simtransport.h"

#include <QtTest>

using namespace qm;

namespace {
struct Rig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    SerialLayer layer{factory, clock};
    explicit Rig(const SimFaults& faults = {}) {
        device.setFaults(faults);
        factory.attach(2, device);
        layer.OpenPort(2, QStringLiteral("115200"), true);
    }
};
} // namespace

class TestSimLink : public QObject {
    Q_OBJECT
  private slots:
    // Whatever the line does to the reply's timing, the block arrives whole.
    void blockReadsUnderTiming_data() {
        QTest::addColumn<int>("latency");
        QTest::addColumn<bool>("paced");
        QTest::addColumn<int>("split");
        QTest::addColumn<int>("result");
        QTest::newRow("plain") << 1 << false << 0 << 1;
        QTest::newRow("paced") << 1 << true << 0 << 1;
        QTest::newRow("split in 7") << 1 << false << 80 << 1;
        QTest::newRow("just in time") << 200 + 990 << false << 0 << 1;
        QTest::newRow("too late") << 200 + 1010 << false << 0 << -1;
    }
    void blockReadsUnderTiming() {
        QFETCH(int, latency);
        QFETCH(bool, paced);
        QFETCH(int, split);
        SimFaults f;
        f.latencyMs = latency;
        f.paced = paced;
        f.splitBytes = split;
        Rig rig(f);
        QByteArray image;
        QTEST(ReadConfigBlock(rig.layer, rig.clock, 2, image, 0, 4, 0), "result");
        if (image.size()) QCOMPARE(image, rig.device.block(0x80));
    }

    void blockWriteRoundTrip() {
        Rig rig;
        const QByteArray image = QByteArray("FSN\x01 written by the test", 24);
        QList<int> progress;
        QCOMPARE(WriteConfigBlock(rig.layer, rig.clock, 2, image, 0, 0, 0,
                                  [&](int p, int) { progress.append(p); }),
                 0);
        QCOMPARE(progress.size(), image.size());
        QVERIFY(rig.device.block(0).startsWith(image));
        // One request per byte, 20 ms each at least.
        QVERIFY(rig.clock.tickMs() >= 200 + 20 * image.size());
    }

    void wrongEchoStopsTheWrite() {
        SimFaults f;
        f.wrongEchoAt = 5;
        Rig rig(f);
        const QByteArray before = rig.device.block(0x80);
        QCOMPARE(WriteConfigBlock(rig.layer, rig.clock, 2, QByteArray(10, 'z'), 0, 4, 0), -10005);
        const QByteArray after = rig.device.block(0x80);
        QCOMPARE(after.left(5), QByteArray(5, 'z')); // the bytes before it stay written
        QCOMPARE(after.mid(5), before.mid(5));
    }

    void constantsRoundTrip() {
        Rig rig;
        QCOMPARE(EEReadSingle(rig.layer, rig.clock, 2, 0, kAddrZeroCount, 100), 8388608.0);
        QCOMPARE(EEWriteSingle(rig.layer, rig.clock, 2, 0, kAddrMultiplier, 0.001544225, 100), 1);
        QCOMPARE(float(EEReadSingle(rig.layer, rig.clock, 2, 0, kAddrMultiplier, 100)),
                 0.001544225F);
    }

    // A device that goes away mid-exchange fails it cleanly; the port is then closed.
    void hangUpMidExchange() {
        SimFaults f;
        f.hangUpAfter = 3;
        Rig rig(f);
        QByteArray image;
        QCOMPARE(ReadConfigBlock(rig.layer, rig.clock, 2, image, 0, 4, 0), 1);
        QCOMPARE(EERead(rig.layer, rig.clock, 2, 0, 0x20, 100), 5);
        QCOMPARE(EERead(rig.layer, rig.clock, 2, 0, 0x20, 100), 5);
        QCOMPARE(WriteConfigBlock(rig.layer, rig.clock, 2, QByteArray(3, 'x'), 0, 4, 0), -1);
        QVERIFY(!rig.layer.PortIsOpen(2));
        QCOMPARE(ReadConfigBlock(rig.layer, rig.clock, 2, image, 0, 4, 0), -2);
        QVERIFY(rig.layer.OpenPort(2, QStringLiteral("115200"), true) != 0);
    }

    void silentDeviceTimesOut() {
        SimFaults f;
        f.silentAfter = 0;
        Rig rig(f);
        QByteArray image;
        QCOMPARE(ReadConfigBlock(rig.layer, rig.clock, 2, image, 0, 4, 0), -1);
        QCOMPARE(rig.clock.tickMs(), 200 + 200 + 1010);
        QCOMPARE(rig.factory.reads(2), 1 + 101);
    }
};

QTEST_GUILESS_MAIN(TestSimLink)
#include "test_simlink.moc"
