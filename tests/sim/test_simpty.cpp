// One contract for every byte transport: QSerialPort on the simulator's pty
// and the in-process simulated device behave alike for the serial layer.
#include "device/protocol.h"
#include "device/serialtransport.h"
#include "sim/simprocess.h"
#include "sim/simtransport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace qm;

namespace {

constexpr int kPort = 7;

// The device behind COM7, one way or the other.
class Line {
  public:
    Line(const QString& kind, const QStringList& simArgs, const SimFaults& faults) {
        if (kind == QLatin1String("pty")) {
            m_link = m_dir.filePath(QStringLiteral("qm07r"));
            QString error;
            m_ok = m_sim.start(m_link, simArgs, &error);
            m_error = error;
            const QString link = m_link;
            m_factory =
                std::make_unique<SerialTransportFactory>(PortMap(nullptr, [link](const QString& n) {
                    return n == QLatin1String("QM07_PORT_COM7") ? link : QString();
                }));
        } else {
            m_device.setFaults(faults);
            auto sim = std::make_unique<SimTransportFactory>(m_clock);
            sim->attach(kPort, m_device);
            m_factory = std::move(sim);
            m_ok = true;
        }
    }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    TransportFactory& factory() { return *m_factory; }
    RealClock& clock() { return m_clock; }
    QString slavePath() const { return m_sim.slavePath(); }

  private:
    QTemporaryDir m_dir;
    QString m_link;
    SimProcess m_sim;
    DeviceModel m_device;
    RealClock m_clock;
    std::unique_ptr<TransportFactory> m_factory;
    bool m_ok = false;
    QString m_error;
};

// Reads until `length` bytes came or a second passed.
QByteArray collect(ByteTransport& t, Clock& clock, int length) {
    QByteArray got;
    for (int i = 0; i < 100 && got.size() < length; ++i) {
        clock.delay(10);
        clock.processEvents();
        TransportError e;
        const qint64 n = t.bytesWaiting(&e);
        if (n > 0) got += t.read(n, &e);
    }
    return got;
}

} // namespace

void kinds() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("in-process") << QStringLiteral("in-process");
    QTest::newRow("pty") << QStringLiteral("pty");
}

class TestTransportContract : public QObject {
    Q_OBJECT
  private slots:
    void rawTransport_data() { kinds(); }
    void rawTransport() {
        QFETCH(QString, kind);
        Line line(kind, {}, {});
        QVERIFY2(line.ok(), qPrintable(line.error()));
        std::unique_ptr<ByteTransport> t = line.factory().make(kPort);
        QCOMPARE(t->open().code, 0);
        QVERIFY(t->isOpen());
        TransportError e;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(t->bytesWaiting(&e), 0);
        QVERIFY(t->read(256, &e).isEmpty());
        QVERIFY(timer.elapsed() < 100); // nothing waiting: no wait
        QCOMPARE(t->write("$00@\r", &e), 5);
        QVERIFY(collect(*t, line.clock(), 15).contains("QM"));
        QCOMPARE(t->write("$00KB80\r", &e), 8);
        QCOMPARE(collect(*t, line.clock(), 513), DefaultDeviceImage().toHex().toUpper() + "\r");
        QCOMPARE(t->close().code, 0);
        QVERIFY(!t->isOpen());
        QCOMPARE(t->bytesWaiting(&e), -1);
        QVERIFY(e.code != 0);
        QCOMPARE(t->write("$00@\r", &e), -1);
        QCOMPARE(t->open().code, 0);
        QVERIFY(t->isOpen());
    }

    void exchanges_data() { kinds(); }
    void exchanges() {
        QFETCH(QString, kind);
        Line line(kind, {}, {});
        QVERIFY2(line.ok(), qPrintable(line.error()));
        SerialLayer layer(line.factory(), line.clock());
        QCOMPARE(layer.OpenPort(kPort, QStringLiteral("115200"), true), 0);
        QVERIFY(Identify(layer, line.clock(), kPort).startsWith(QLatin1String("QM-07R")));
        QByteArray image;
        QCOMPARE(ReadConfigBlock(layer, line.clock(), kPort, image, 0, 4, 0), 1);
        QCOMPARE(image, DefaultDeviceImage());
        QCOMPARE(EERead(layer, line.clock(), kPort, 0, kAddrDisplayDigits, 100), 5);
        QCOMPARE(EEWriteSingle(layer, line.clock(), kPort, 0, kAddrZeroCount, 8388000.0, 100), 1);
        QCOMPARE(EEReadSingle(layer, line.clock(), kPort, 0, kAddrZeroCount, 100), 8388000.0);
        QCOMPARE(WriteConfigBlock(layer, line.clock(), kPort, QByteArray("FSN", 3), 0, 0, 0), 0);
        QCOMPARE(layer.ClosePort(kPort), 0);
    }

    // The device goes away in the middle: the exchange fails, the port ends
    // closed, and nothing hangs.
    void hangUp_data() { kinds(); }
    void hangUp() {
        QFETCH(QString, kind);
        SimFaults faults;
        faults.hangUpAfter = 1;
        Line line(kind, {QStringLiteral("--hang-up-after"), QStringLiteral("1")}, faults);
        QVERIFY2(line.ok(), qPrintable(line.error()));
        SerialLayer layer(line.factory(), line.clock());
        QCOMPARE(layer.OpenPort(kPort, QStringLiteral("115200"), true), 0);
        QVERIFY(Identify(layer, line.clock(), kPort).contains(QLatin1String("QM")));
        QElapsedTimer timer;
        timer.start();
        QByteArray image;
        const int r = ReadConfigBlock(layer, line.clock(), kPort, image, 0, 4, 0);
        QVERIFY2(r == -1 || r == -2, qPrintable(QString::number(r)));
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(!layer.PortIsOpen(kPort));
        QCOMPARE(ReadConfigBlock(layer, line.clock(), kPort, image, 0, 4, 0), -2);
    }

    // The lock is taken on the real device, however the path names it.
    void secondOpenThroughAnotherPathIsRefused() {
        Line line(QStringLiteral("pty"), {}, {});
        QVERIFY2(line.ok(), qPrintable(line.error()));
        SerialLayer layer(line.factory(), line.clock());
        QCOMPARE(layer.OpenPort(kPort, QStringLiteral("115200"), true), 0);
        SerialTransport direct(line.slavePath());
        QVERIFY(direct.open().code != 0);
        QVERIFY(!direct.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestTransportContract)
#include "test_transportcontract.moc"
