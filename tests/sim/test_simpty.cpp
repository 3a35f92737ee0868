// The simulator's pty and the in-process device keep one contract for the
// device connection; only the process shows the port lock.
#include "device/protocol.h"
#include "device/serialtransport.h"
#include "sim/simprocess.h"
#include "sim/simtransport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

constexpr int kPort = 7;

// The device behind COM7, opened: qm07r-sim on a pty, or the model in process.
struct Line {
    explicit Line(bool pty, const QStringList& simArgs = {}) {
        if (pty) {
            const QString path = dir.filePath(QStringLiteral("qm07r"));
            ok = sim.start(path, simArgs, &error);
            PortMap map;
            map.pin(kPort, path);
            factory = std::make_unique<SerialTransportFactory>(map);
        } else {
            auto inProcess = std::make_unique<SimTransportFactory>(clock);
            inProcess->attach(kPort, device);
            factory = std::move(inProcess);
        }
        link = std::make_unique<DeviceConnection>(*factory, clock);
        if (ok && link->open(kPort) != 0) {
            ok = false;
            error = QStringLiteral("COM7 did not open");
        }
    }

    QTemporaryDir dir;
    SimProcess sim;
    DeviceModel device;
    RealClock clock;
    std::unique_ptr<TransportFactory> factory;
    std::unique_ptr<DeviceConnection> link;
    bool ok = true;
    QString error;
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

  private slots:
    void contract_data() {
        QTest::addColumn<bool>("pty");
        QTest::newRow("in-process") << false;
        QTest::newRow("pty") << true;
    }
    void contract() {
        QFETCH(bool, pty);
        Line line(pty);
        QVERIFY2(line.ok, qPrintable(line.error));
        DeviceConnection& link = *line.link;
        QElapsedTimer timer;
        timer.start();
        QByteArray nothing;
        QCOMPARE(link.read(nothing, 256), 0);
        QVERIFY(timer.elapsed() < 100); // nothing waiting: no wait
        QVERIFY(link.identify().startsWith("QM-07R"));
        QByteArray image;
        QCOMPARE(link.readBlock(image, 0, 4, 0), 1);
        QCOMPARE(image, DefaultDeviceImage());
        QCOMPARE(link.eeRead(0, kAddrDisplayDigits, 100), 5);
        QCOMPARE(link.eeWriteSingle(0, kAddrZeroCount, 8388000.0, 100), 1);
        QCOMPARE(link.eeReadSingle(0, kAddrZeroCount, 100), 8388000.0);
        QCOMPARE(link.writeBlock("FSN", 0, 0, 0), 0);

        // The device goes away: the exchange fails, the port ends closed, nothing hangs.
        line.device.setFaults({.hangUpAfter = line.device.requestCount()});
        line.sim.stop();
        timer.restart();
        const int r = link.readBlock(image, 0, 4, 0);
        QVERIFY2(r == -1 || r == -2, qPrintable(QString::number(r)));
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(!link.isOpen());
        QCOMPARE(link.readBlock(image, 0, 4, 0), -2);
    }

    // The lock is taken on the real device, however the path names it.
    void secondOpenThroughAnotherPathIsRefused() {
        Line line(true);
        QVERIFY2(line.ok, qPrintable(line.error));
        SerialTransport direct(line.sim.slavePath());
        QVERIFY(direct.open().code != 0);
        QVERIFY(!direct.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_simpty.moc"
