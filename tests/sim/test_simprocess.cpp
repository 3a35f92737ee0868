// qm07r-sim as a process: its memories survive a restart, and the signal
// comes from standard input or a file.
#include "device/livepoll.h"
#include "device/protocol.h"
#include "device/serialtransport.h"
#include "sim/simprocess.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

// The simulator behind COM1 of a layer on real time.
struct Client {
    RealClock clock;
    PortMap map;
    SerialTransportFactory factory;
    SerialLayer layer;
    explicit Client(const QString& link)
        : map(nullptr, [](const QString&) { return QString(); }), factory(pinned(map, link)),
          layer(factory, clock) {
        layer.OpenPort(1, QStringLiteral("115200"), true);
    }
    static PortMap pinned(PortMap m, const QString& link) {
        m.pin(1, link);
        return m;
    }
    // Polls the measurement, one request outstanding at a time, until the
    // signal is as expected or a second passed.
    double signalSoon(double expected) {
        double last = qQNaN();
        for (int i = 0; i < 20; ++i) {
            clock.delay(50);
            const LiveTick tick = PollLive(layer, 1);
            if (tick.reading) last = tick.reading->signal;
            if (last == expected) break;
        }
        return last;
    }
};

} // namespace

class TestSimProcess : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString link() const { return m_dir.filePath(QStringLiteral("qm07r")); }

  private slots:
    void calibrationSurvivesRestart() {
        const QString state = m_dir.filePath(QStringLiteral("state"));
        const QByteArray image = QByteArray("FSN\x01 kept across restarts", 25);
        {
            SimProcess sim;
            QString error;
            QVERIFY2(sim.start(link(), {QStringLiteral("--state"), state}, &error),
                     qPrintable(error));
            Client c(link());
            QCOMPARE(WriteConfigBlock(c.layer, c.clock, 1, image, 0, 4, 0), 0);
            QCOMPARE(EEWriteSingle(c.layer, c.clock, 1, 0, kAddrZeroCount, 8388500.0, 100), 1);
        }
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start(link(), {QStringLiteral("--state"), state}, &error), qPrintable(error));
        Client c(link());
        QByteArray block;
        QCOMPARE(ReadConfigBlock(c.layer, c.clock, 1, block, 0, 4, 0), 1);
        QVERIFY(block.startsWith(image));
        QCOMPARE(EEReadSingle(c.layer, c.clock, 1, 0, kAddrZeroCount, 100), 8388500.0);
    }

    void signalFromStandardInput() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start(link(), {}, &error), qPrintable(error));
        Client c(link());
        sim.setSignal(1.5);
        QCOMPARE(c.signalSoon(1.5), 1.5);
        sim.setSignal(-0.25);
        QCOMPARE(c.signalSoon(-0.25), -0.25);
    }

    void signalFromFile() {
        const QString file = m_dir.filePath(QStringLiteral("signal.txt"));
        auto put = [&](const QByteArray& text) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        put("0,75\n");
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start(link(), {QStringLiteral("--signal-file"), file}, &error),
                 qPrintable(error));
        Client c(link());
        QCOMPARE(c.signalSoon(0.75), 0.75);
        put("2\n");
        QCOMPARE(c.signalSoon(2.0), 2.0);
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "test_simprocess.moc"
