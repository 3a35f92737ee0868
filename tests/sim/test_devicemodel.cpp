// The simulated device: its replies, its curve and the fault switches other tests use.
#include "core/hex.h"
#include "device/protocol.h"
#include "sim/devicemodel.h"

#include <QtTest>

using namespace qm;

namespace {
// Everything the model answers to one request, joined.
QByteArray ask(DeviceModel& m, const QByteArray& request, qint64 nowMs = 0) {
    QByteArray out;
    for (const SimChunk& c : m.feed(request, nowMs))
        out += c.bytes;
    return out;
}
} // namespace

class TestDeviceModel : public QObject {
    Q_OBJECT
  private slots:
    void replies_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("length"); // -1: any length above 8
        QTest::addColumn<QByteArray>("starts");
        auto row = [](const char* name, const char* setup, const char* request, int length,
                      const char* starts) {
            QTest::newRow(name) << setup << QByteArray(request) << length << QByteArray(starts);
        };
        row("identify", "", "$00@\r", -1, "QM");
        row("lower-case id", "lower-case id", "$00@\r", -1, "qm");
        row("measure", "", "$00MK\r", 33, "800000");
        row("tag query", "", "$00KQ\r", 3, "01");
        row("no tag query", "no tag", "$00KQ\r", 3, "00");
        row("store block", "no tag", "$00KB80\r", 513, "46534E01");
        row("tag block", "", "$00KB00\r", 513, "46534E01");
        row("absent tag block", "no tag", "$00KB00\r", 0, "");
        row("unknown block", "", "$00KB20\r", 0, "");
        row("digits", "", "$00ER20\r", 3, "05");
        row("memory write", "", "$00EW9600\r", 3, "00");
        row("reset", "", "$00X\r", 0, "");
        row("other address", "", "$01@\r", 0, "");
        row("bad field", "", "$00ERZZ\r", 0, "");
        row("short field", "", "$00KW8000\r", 0, "");
        row("bare return", "", "\r", 0, "");
        row("silent", "silent", "$00@\r", 0, "");
    }
    void replies() {
        QFETCH(QString, setup);
        QFETCH(QByteArray, request);
        QFETCH(int, length);
        QFETCH(QByteArray, starts);
        DeviceModel m;
        SimFaults f;
        f.lowerCaseId = setup == u"lower-case id";
        f.silentAfter = setup == u"silent" ? 0 : -1;
        m.setFaults(f);
        m.setTagPresent(setup != u"no tag");
        const QByteArray reply = ask(m, request);
        QVERIFY2(length < 0 ? reply.size() > 8 : reply.size() == length, reply.constData());
        QVERIFY(reply.startsWith(starts));
        QVERIFY(reply.isEmpty() || reply.endsWith('\r'));
    }

    void requestsMayArriveInPieces() {
        DeviceModel m;
        QVERIFY(ask(m, "$00").isEmpty());
        QCOMPARE(ask(m, "KQ\r$00ER20\r"), QByteArray("01\r05\r"));
    }

    // The count is N + signal/k; the display value follows the active curve,
    // extended beyond its ends.
    void measurement_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<double>("signal");
        QTest::addColumn<double>("display");
        QTest::newRow("tag curve") << true << 1.0 << 250.0;
        QTest::newRow("above the curve") << true << 3.0 << 750.0;
        QTest::newRow("below the curve") << true << -0.5 << -125.0;
        QTest::newRow("store curve") << false << 1.5 << 1.5;
    }
    void measurement() {
        QFETCH(bool, tag);
        QFETCH(double, signal);
        DeviceModel m;
        m.setTagPresent(tag);
        m.setSignal(signal);
        const auto parsed = ParseMeasurement(ask(m, "$00MK\r"));
        QVERIFY(parsed);
        QCOMPARE(parsed->div, std::round(8388608.0 + signal / double(4.647601E-07F)));
        QCOMPARE(parsed->signal, signal);
        QTEST(parsed->display, "display");
    }

    // "MK" measures the signal at the request's moment: a load set at 1 s
    // with a 2 s time constant is at 63% at 3 s; a load set without a moment
    // stands at once.
    void measurementSettles() {
        DeviceModel m;
        m.setSignalOptions({0, 2.0, 0, 1});
        m.setSignal(1.0, 1000);
        for (const auto& [t, expected] : {std::pair{1000, 0.0}, {3000, 1 - std::exp(-1.0)}}) {
            const auto parsed = ParseMeasurement(ask(m, "$00MK\r", t));
            QVERIFY(parsed && std::abs(parsed->signal - expected) < 1e-6);
            QCOMPARE(parsed->display, double(float(250 * expected)));
        }
        m.setSignal(2.0);
        QCOMPARE(ParseMeasurement(ask(m, "$00MK\r", 3000))->signal, 2.0);
    }

    // A curve written byte by byte takes effect at "X", as on the device.
    void resetLoadsTheWrittenCurve() {
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
        QCOMPARE(m.stateVersion(), image.size());
    }

    // Byte 3 of a block write is echoed wrong, or stored altered but echoed as sent.
    void faultyByteWrite() {
        for (const bool corrupt : {false, true}) {
            DeviceModel m;
            SimFaults f;
            (corrupt ? f.corruptStoreAt : f.wrongEchoAt) = 3;
            m.setFaults(f);
            QCOMPARE(ask(m, "$00KW800141\r"), QByteArray("41\r"));
            QCOMPARE(ask(m, "$00KW8002FF\r"), QByteArray(corrupt ? "FF\r" : "00\r"));
            QCOMPARE(m.block(0x80).mid(1, 2), QByteArray(corrupt ? "\x41\xFE" : "\x41\xFF"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "test_devicemodel.moc"
