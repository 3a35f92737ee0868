// The simulated device: replies, signal, curve, fault switches, command line;
// its pty and the in-process model keep one contract for the device connection.
#include "core/hex.h"
#include "device/protocol.h"
#include "device/serialtransport.h"
#include "sim/devicemodel.h"
#include "sim/signalmodel.h"
#include "sim/simoptions.h"
#include "sim/simprocess.h"
#include "sim/simtransport.h"

#include <QElapsedTimer>
#include <QtTest>
#include <cmath>

using namespace qm;

namespace {
// Everything the model answers to one request, joined.
QByteArray ask(DeviceModel& m, const QByteArray& request, qint64 nowMs = 0) {
    QByteArray out;
    for (const SimChunk& c : m.feed(request, nowMs))
        out += c.bytes;
    return out;
}
std::optional<Measurement> measure(DeviceModel& m, qint64 nowMs = 0) {
    return ParseMeasurement(ask(m, "$00MK\r", nowMs));
}

constexpr int kPort = 7;

// The device behind COM7, opened: qm07r-sim on a pty, or the model in process.
struct Line {
    explicit Line(bool pty) {
        if (pty) {
            const QString path = dir.filePath(QStringLiteral("qm07r"));
            ok = sim.start(path, {}, &error);
            PortMap map;
            map.pin(kPort, path);
            factory = std::make_unique<SerialTransportFactory>(map);
        } else {
            auto inProcess = std::make_unique<SimTransportFactory>(clock);
            inProcess->attach(kPort, device);
            factory = std::move(inProcess);
        }
        link = std::make_unique<DeviceConnection>(*factory, clock);
        ok = ok && link->open(kPort) == 0;
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

class TestDeviceModel : public QObject {
    Q_OBJECT
  private slots:
    // Each reply's length (-1: any above 8) and start, for a model set up as named.
    void replies() {
        const std::tuple<const char*, QByteArray, int, QByteArray> cases[] = {
            {"", "$00@\r", -1, "QM"},
            {"lower-case id", "$00@\r", -1, "qm"},
            {"", "$00MK\r", 33, "800000"},
            {"no tag", "$00KQ\r", 3, "00"},
            {"no tag", "$00KB80\r", 513, "46534E01"},
            {"no tag", "$00KB00\r", 0, ""}, // the absent tag's block
            {"", "$00KB20\r", 0, ""},       // an unknown block
            {"", "$00EW9600\r", 3, "00"},
            {"", "$01@\r", 0, ""}, // another address
            {"", "$00ERZZ\r", 0, ""},
            {"", "$00KW8000\r", 0, ""}, // a field short
            {"silent", "$00@\r", 0, ""}};
        for (const auto& [setup, request, length, starts] : cases) {
            DeviceModel m;
            m.setFaults({.lowerCaseId = setup == QLatin1String("lower-case id"),
                         .silentAfter = setup == QLatin1String("silent") ? 0 : -1});
            m.setTagPresent(setup != QLatin1String("no tag"));
            const QByteArray reply = ask(m, request);
            QVERIFY2(length < 0 ? reply.size() > 8 : reply.size() == length, request + reply);
            QVERIFY2(reply.startsWith(starts), request + reply);
            QVERIFY(reply.isEmpty() || reply.endsWith('\r'));
        }
        DeviceModel m; // requests may arrive in pieces
        QVERIFY(ask(m, "$00").isEmpty());
        QCOMPARE(ask(m, "KQ\r$00ER20\r"), QByteArray("01\r05\r"));
    }

    // The count is N + signal*x/(128 k) at the stored gain x, clipped to 24
    // bits, the signal then following the clipped count; the display value
    // follows the active curve, extended beyond its ends.
    void measurement() {
        const double k = double(4.647601E-07F), n = 8388608.0;
        const double top = (16777215 - n) * k, bottom = -n * k; // at 128x
        for (const auto& [tag, gainIndex, signal, count, shown] :
             {std::tuple{true, 7, 1.0, n + 1 / k, 1.0},
              {true, 6, 3.0, n + 1.5 / k, 3.0},
              {true, 7, -0.5, n - 0.5 / k, -0.5},
              {false, 7, 1.5, n + 1.5 / k, 1.5},
              {true, 7, 5.0, 16777215.0, top},
              {true, 6, 9.0, 16777215.0, 2 * top},
              {true, 7, -4.0, 0.0, bottom}}) {
            DeviceModel m;
            QByteArray image = m.block(0x00);
            image[4] = char(gainIndex);
            m.setBlock(0x00, image);
            m.setTagPresent(tag);
            m.setSignal(signal);
            const auto parsed = measure(m);
            QVERIFY(parsed);
            QCOMPARE(parsed->div, std::round(count));
            QCOMPARE(parsed->signal, double(float(shown)));
            QCOMPARE(parsed->display, double(float(shown * (tag ? 250 : 1))));
        }
    }

    // A device reading 1 % high shows it on every load; after a fall the
    // display lags high by the hysteresis until the load rises again.
    void displayErrorAndHysteresis() {
        DeviceModel m;
        SimFaults f;
        f.displayErrorPct = 1;
        f.hysteresis = 0.5;
        m.setFaults(f);
        for (const auto& [signal, shown] :
             {std::pair{2.0, 505.0}, {1.0, 253.0}, {1.0, 253.0}, {1.5, 378.75}}) {
            m.setSignal(signal);
            QCOMPARE(measure(m)->display, double(float(shown)));
        }
    }

    // "MK" measures at the request's moment: a load set at 1 s with a 2 s time
    // constant is at 63% at 3 s; a second change starts from where it stood;
    // drift adds on; a load set without a moment stands at once.
    void signalSettlesAndDrifts() {
        DeviceModel m;
        m.setSignalOptions({0, 2.0, 0, 1});
        m.setSignal(1.0, 1000);
        const double at3 = 1 - std::exp(-1.0);
        for (const auto& [t, expected] : {std::pair{1000, 0.0}, {3000, at3}}) {
            const auto parsed = measure(m, t);
            QVERIFY(parsed && std::abs(parsed->signal - expected) < 1e-6);
            QCOMPARE(parsed->display, double(float(250 * expected)));
        }
        SignalModel s({0, 2.0, 0, 1});
        s.setLoad(1.0, 1000);
        s.setLoad(3.0, 3000);
        s.setLoad(3.0, 4000); // the same load again does not start over
        QVERIFY(std::abs(s.level(5000) - (3 + (at3 - 3) * std::exp(-1.0))) < 1e-12);
        s.setOptions({0, 2.0, 0.5, 1}); // a jump, then 0.5 mV/V a minute
        s.setLoad(-1.0, 5000, false);
        QCOMPARE(s.level(125000), -1.0 + 0.5 * 125000 / 60000.0);
        m.setSignal(2.0);
        QCOMPARE(measure(m, 3000)->signal, 2.0);
    }

    // 4000 samples of sigma 0.01 deviate within 5%; one seed gives one sequence.
    void noise() {
        SignalModel a({0.01, 0, 0, 7}), b({0.01, 0, 0, 7}), c({0.01, 0, 0, 8});
        double squares = 0;
        int sameAsB = 0, sameAsC = 0;
        for (int i = 0; i < 4000; ++i) {
            const double x = a.sample(i * 150);
            sameAsB += x == b.sample(i * 150);
            sameAsC += x == c.sample(i * 150);
            squares += x * x;
        }
        QVERIFY(std::abs(std::sqrt(squares / 4000) - 0.01) < 0.0005);
        QVERIFY(sameAsB == 4000 && sameAsC == 0);
    }

    // A curve written byte by byte takes effect at "X", as on the device, and
    // every stored byte is saved with the state.
    void blockWrites() {
        DeviceModel m;
        m.setSignal(1.0);
        const QByteArray image = DefaultDeviceImage(); // 2 mV/V shows 2
        for (int i = 0; i < image.size(); ++i)
            QCOMPARE(ask(m, DeviceCommand(0, "KW", {0, i, uint8_t(image[i])})),
                     HexN(uint8_t(image[i]), 2).toLatin1() + "\r");
        QCOMPARE(m.displayValue(), 250.0); // the tag's curve until then
        ask(m, "$00X\r");
        QCOMPARE(m.displayValue(), 1.0);
        QCOMPARE(m.block(0), image);
        ask(m, "$00EW9600\r"); // each stored byte counts for the state file
        QCOMPARE(m.stateVersion(), image.size() + 1);
    }

    // Bad values are refused with a message; every switch lands in its field;
    // a signal takes "," or "." and blanks, as typed on standard input.
    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("signal"); // NaN: refused
        QTest::newRow("all") << QString("--no-itag --digits 6 --signal 1,25 --latency 5 --paced "
                                        "--split 10 --split-gap 3 --lower-case-id --wrong-echo 7 "
                                        "--corrupt-store 8 --silent-after 4 --hang-up-after 9 "
                                        "--garble 0.5 --seed 42 --noise 0,002 --settle 1.5 "
                                        "--drift -0.01 --display-error -0,3 --hysteresis 0.02")
                                    .split(u' ')
                             << 1.25;
        for (auto [typed, signal] : {std::pair{"1.5", 1.5}, {" - 0.25 ", -0.25}, {"2e-3", 0.002}})
            QTest::newRow(typed) << QStringList{"--signal", typed} << signal;
        for (const char* bad : {"--signal load", "--signal inf", "--latency -1", "--split 0",
                                "--garble 2", "--noise -0.1", "--settle slow", "--drift inf",
                                "--display-error 101", "--hysteresis x", "--fast", "extra"})
            QTest::newRow(bad) << QString(bad).split(u' ') << qQNaN();
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(double, signal);
        SimOptions o;
        QString error, help;
        QCOMPARE(ParseSimOptions(QStringList{"qm07r-sim"} + args, o, &error, &help),
                 !std::isnan(signal));
        QCOMPARE(error.isEmpty(), !std::isnan(signal));
        if (std::isnan(signal)) return;
        QCOMPARE(o.signal, signal);
        if (args.size() < 3) return;
        const SimFaults& f = o.faults;
        QVERIFY(o.noTag && f.paced && f.lowerCaseId && o.digits == 6);
        QVERIFY(f.latencyMs == 5 && f.splitBytes == 10 && f.splitGapMs == 3);
        QVERIFY(f.wrongEchoAt == 7 && f.corruptStoreAt == 8 && f.silentAfter == 4);
        QVERIFY(f.hangUpAfter == 9 && f.garbleRate == 0.5 && f.seed == 42);
        QVERIFY(f.displayErrorPct == -0.3 && f.hysteresis == 0.02);
        const SignalOptions& sm = o.signalModel;
        QVERIFY(sm.noiseSigma == 0.002 && sm.settleSeconds == 1.5);
        QVERIFY(sm.driftPerMinute == -0.01 && sm.seed == 42);
    }

    // The pty and the model in process answer alike; when the device goes away
    // the exchange fails, the port ends closed, nothing hangs.
    void contract() {
        for (const bool pty : {false, true}) {
            Line line(pty);
            QVERIFY2(line.ok, qPrintable(line.error));
            DeviceConnection& link = *line.link;
            QElapsedTimer timer;
            timer.start();
            QByteArray image;
            QCOMPARE(link.read(image, 256), 0);
            QVERIFY(timer.elapsed() < 100); // nothing waiting: no wait
            QVERIFY(link.identify().startsWith("QM-07R"));
            QCOMPARE(link.readBlock(image, 0, 4, 0), 1);
            QCOMPARE(image, DefaultDeviceImage());
            QCOMPARE(link.eeRead(0, kAddrDisplayDigits, 100), 5);
            QCOMPARE(link.eeWriteSingle(0, kAddrZeroCount, 8388000.0, 100), 1);
            QCOMPARE(link.eeReadSingle(0, kAddrZeroCount, 100), 8388000.0);
            QCOMPARE(link.writeBlock("FSN", 0, 0, 0), 0);

            line.device.setFaults({.hangUpAfter = line.device.requestCount()});
            line.sim.stop();
            timer.restart();
            const int r = link.readBlock(image, 0, 4, 0);
            QVERIFY2(r == -1 || r == -2, qPrintable(QString::number(r)));
            QVERIFY(timer.elapsed() < 3000);
            QVERIFY(!link.isOpen());
            QCOMPARE(link.readBlock(image, 0, 4, 0), -2);
        }
    }

    // The port lock is taken on the real device, however the path names it.
    void secondOpenThroughAnotherPathIsRefused() {
        Line line(true);
        QVERIFY2(line.ok, qPrintable(line.error));
        SerialTransport direct(line.sim.slavePath());
        QVERIFY(direct.open().code != 0 && !direct.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "test_devicemodel.moc"
