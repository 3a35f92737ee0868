// QSerialPort on the simulator's pty and the in-process device keep one
// contract for the serial layer. What only the process shows: the port lock
// and memories kept across a restart.
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
            const QString link = dir.filePath(QStringLiteral("qm07r"));
            ok = sim.start(link, simArgs, &error);
            PortMap map;
            map.pin(kPort, link);
            factory = std::make_unique<SerialTransportFactory>(map);
        } else {
            auto inProcess = std::make_unique<SimTransportFactory>(clock);
            inProcess->attach(kPort, device);
            factory = std::move(inProcess);
        }
        layer = std::make_unique<SerialLayer>(*factory, clock);
        if (ok && layer->OpenPort(kPort, QStringLiteral("115200"), true) != 0) {
            ok = false;
            error = QStringLiteral("COM7 did not open");
        }
    }

    QTemporaryDir dir;
    SimProcess sim;
    DeviceModel device;
    RealClock clock;
    std::unique_ptr<TransportFactory> factory;
    std::unique_ptr<SerialLayer> layer;
    bool ok = true;
    QString error;
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

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
        SerialLayer& layer = *line.layer;
        QElapsedTimer timer;
        timer.start();
        QString nothing;
        QCOMPARE(layer.ReadPort(kPort, nothing, 256), 0);
        QVERIFY(timer.elapsed() < 100); // nothing waiting: no wait
        QVERIFY(Identify(layer, line.clock, kPort).startsWith(QLatin1String("QM-07R")));
        QByteArray image;
        QCOMPARE(ReadConfigBlock(layer, line.clock, kPort, image, 0, 4, 0), 1);
        QCOMPARE(image, DefaultDeviceImage());
        QCOMPARE(EERead(layer, line.clock, kPort, 0, kAddrDisplayDigits, 100), 5);
        QCOMPARE(EEWriteSingle(layer, line.clock, kPort, 0, kAddrZeroCount, 8388000.0, 100), 1);
        QCOMPARE(EEReadSingle(layer, line.clock, kPort, 0, kAddrZeroCount, 100), 8388000.0);
        QCOMPARE(WriteConfigBlock(layer, line.clock, kPort, "FSN", 0, 0, 0), 0);

        // The device goes away: the exchange fails, the port ends closed, nothing hangs.
        SimFaults hangUp;
        hangUp.hangUpAfter = line.device.requestCount();
        line.device.setFaults(hangUp);
        line.sim.stop();
        timer.restart();
        const int r = ReadConfigBlock(layer, line.clock, kPort, image, 0, 4, 0);
        QVERIFY2(r == -1 || r == -2, qPrintable(QString::number(r)));
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(!layer.PortIsOpen(kPort));
        QCOMPARE(ReadConfigBlock(layer, line.clock, kPort, image, 0, 4, 0), -2);
    }

    // The lock is taken on the real device, however the path names it.
    void secondOpenThroughAnotherPathIsRefused() {
        Line line(true);
        QVERIFY2(line.ok, qPrintable(line.error));
        SerialTransport direct(line.sim.slavePath());
        QVERIFY(direct.open().code != 0);
        QVERIFY(!direct.isOpen());
    }

    void memoriesSurviveRestart() {
        const QStringList args{QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state"))};
        const QByteArray image("FSN\x01 kept across restarts", 25);
        {
            Line line(true, args);
            QVERIFY2(line.ok, qPrintable(line.error));
            QCOMPARE(WriteConfigBlock(*line.layer, line.clock, kPort, image, 0, 4, 0), 0);
            QCOMPARE(
                EEWriteSingle(*line.layer, line.clock, kPort, 0, kAddrZeroCount, 8388500.0, 100),
                1);
        }
        Line line(true, args);
        QVERIFY2(line.ok, qPrintable(line.error));
        QByteArray block;
        QCOMPARE(ReadConfigBlock(*line.layer, line.clock, kPort, block, 0, 4, 0), 1);
        QVERIFY(block.startsWith(image));
        QCOMPARE(EEReadSingle(*line.layer, line.clock, kPort, 0, kAddrZeroCount, 100), 8388500.0);
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_simpty.moc"
