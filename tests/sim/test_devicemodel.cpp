#include "core/hex.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sim/devicemodel.h"

#include <QtTest>

using namespace qm;

namespace {

// Everything the model answers to one request, joined.
QByteArray ask(DeviceModel& m, const QByteArray& request, qint64 now = 0) {
    QByteArray out;
    for (const SimChunk& c : m.feed(request, now))
        out += c.bytes;
    return out;
}

QByteArray curveImage(float s0, float v0, float s1, float v1) {
    SensorRecord rec;
    rec.Popis = QStringLiteral("test");
    rec.Format = QStringLiteral("###0.00");
    rec.Flags = kOwnFlags;
    rec.PointCount = 2;
    rec.Signal[0] = s0;
    rec.Value[0] = v0;
    rec.Signal[1] = s1;
    rec.Value[1] = v1;
    return EncodeImage(rec, QDate(2026, 2, 3)).image;
}

} // namespace

class TestDeviceModel : public QObject {
    Q_OBJECT
  private slots:
    void replies_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("length"); // -1: any length above 8
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("identify") << true << QByteArray("$00@\r") << -1 << QByteArray("QM");
        QTest::newRow("measure") << true << QByteArray("$00MK\r") << 33 << QByteArray("800000");
        QTest::newRow("tag query") << true << QByteArray("$00KQ\r") << 3 << QByteArray("01");
        QTest::newRow("no tag query") << false << QByteArray("$00KQ\r") << 3 << QByteArray("00");
        QTest::newRow("store block")
            << false << QByteArray("$00KB80\r") << 513 << QByteArray("46534E01");
        QTest::newRow("tag block")
            << true << QByteArray("$00KB00\r") << 513 << QByteArray("46534E01");
        QTest::newRow("absent tag block") << false << QByteArray("$00KB00\r") << 0 << QByteArray();
        QTest::newRow("unknown block") << true << QByteArray("$00KB20\r") << 0 << QByteArray();
        QTest::newRow("digits") << true << QByteArray("$00ER20\r") << 3 << QByteArray("05");
        QTest::newRow("N low byte") << true << QByteArray("$00ER93\r") << 3 << QByteArray("4B");
        QTest::newRow("reset") << true << QByteArray("$00X\r") << 0 << QByteArray();
        QTest::newRow("other address") << true << QByteArray("$01@\r") << 0 << QByteArray();
        QTest::newRow("bad field") << true << QByteArray("$00ERZZ\r") << 0 << QByteArray();
        QTest::newRow("short field") << true << QByteArray("$00KW8000\r") << 0 << QByteArray();
        QTest::newRow("unknown") << true << QByteArray("$00QQ\r") << 0 << QByteArray();
        QTest::newRow("bare return") << true << QByteArray("\r") << 0 << QByteArray();
    }
    void replies() {
        QFETCH(bool, tag);
        QFETCH(QByteArray, request);
        QFETCH(int, length);
        QFETCH(QByteArray, starts);
        DeviceModel m;
        m.setTagPresent(tag);
        const QByteArray reply = ask(m, request);
        if (length < 0)
            QVERIFY(reply.size() > 8);
        else
            QCOMPARE(reply.size(), length);
        QVERIFY(reply.startsWith(starts));
        QVERIFY(reply.isEmpty() || reply.endsWith('\r'));
    }

    void requestsMayArriveInPieces() {
        DeviceModel m;
        QVERIFY(ask(m, "$00").isEmpty());
        QCOMPARE(ask(m, "KQ\r$00ER20\r"), QByteArray("01\r05\r"));
        QCOMPARE(m.requestCount(), 2);
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
        const auto parsed = ParseMeasurement(QString::fromLatin1(ask(m, "$00MK\r")));
        QVERIFY(parsed);
        QCOMPARE(parsed->div, std::round(8388608.0 + signal / double(4.647601E-07F)));
        QCOMPARE(parsed->signal, signal);
        QTEST(parsed->display, "display");
    }

    // A written curve takes effect at "X", as on the device.
    void resetLoadsTheWrittenCurve() {
        DeviceModel m;
        m.setSignal(1.0);
        const QByteArray image = curveImage(0, 10, 1, 20);
        for (int i = 0; i < image.size(); ++i)
            QCOMPARE(ask(m, DeviceCommand(0, "KW", {0, i, uint8_t(image[i])}).toLatin1()),
                     HexN(uint8_t(image[i]), 2).toLatin1() + "\r");
        QCOMPARE(m.displayValue(), 250.0);
        ask(m, "$00X\r");
        QCOMPARE(m.displayValue(), 20.0);
        QVERIFY(m.block(0).startsWith(image));
        QCOMPARE(m.stateVersion(), image.size());
    }

    void memoryWrites() {
        DeviceModel m;
        QCOMPARE(ask(m, "$00EW9600\r"), QByteArray("00\r"));
        QCOMPARE(ask(m, "$00ER96\r"), QByteArray("00\r"));
        QCOMPARE(m.stateVersion(), 1);
    }

    // One faulty byte of a block write: either the echo or the stored byte is wrong.
    void faultyByteWrite_data() {
        QTest::addColumn<bool>("corruptStore");
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<int>("stored");
        QTest::newRow("wrong echo") << false << QByteArray("00\r") << 0xFF;
        QTest::newRow("corrupt store") << true << QByteArray("FF\r") << 0xFE;
    }
    void faultyByteWrite() {
        QFETCH(bool, corruptStore);
        DeviceModel m;
        SimFaults f;
        (corruptStore ? f.corruptStoreAt : f.wrongEchoAt) = 3;
        m.setFaults(f);
        QCOMPARE(ask(m, "$00KW800141\r"), QByteArray("41\r"));
        QTEST(ask(m, "$00KW8002FF\r"), "echo");
        QFETCH(int, stored);
        QCOMPARE(int(uint8_t(m.block(0x80)[2])), stored);
        QCOMPARE(uint8_t(m.block(0x80)[1]), uint8_t(0x41));
    }

    void silenceAndHangUp() {
        DeviceModel m;
        SimFaults f;
        f.silentAfter = 1;
        m.setFaults(f);
        QVERIFY(!ask(m, "$00KQ\r").isEmpty());
        QVERIFY(ask(m, "$00KQ\r").isEmpty());
        DeviceModel h;
        f = {};
        f.hangUpAfter = 1;
        h.setFaults(f);
        QVERIFY(!ask(h, "$00KQ\r").isEmpty());
        QVERIFY(!h.hungUp());
        QVERIFY(ask(h, "$00KQ\r").isEmpty());
        QVERIFY(h.hungUp());
    }

    void identificationCase() {
        DeviceModel m;
        SimFaults f;
        f.lowerCaseId = true;
        m.setFaults(f);
        const QByteArray id = ask(m, "$00@\r");
        QVERIFY(id.contains("qm"));
        QVERIFY(!id.contains("QM"));
    }

    // Pieces and pacing only move due times; the bytes stay the same.
    void timing_data() {
        QTest::addColumn<int>("latency");
        QTest::addColumn<bool>("paced");
        QTest::addColumn<int>("split");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<qint64>("lastDue");
        QTest::newRow("plain") << 1 << false << 0 << 1 << qint64(101);
        QTest::newRow("latency") << 30 << false << 0 << 1 << qint64(130);
        QTest::newRow("split") << 0 << false << 200 << 3 << qint64(130);
        QTest::newRow("paced") << 0 << true << 0 << 45 << qint64(145); // 513 bytes at 115200
    }
    void timing() {
        QFETCH(int, latency);
        QFETCH(bool, paced);
        QFETCH(int, split);
        DeviceModel m;
        SimFaults f;
        f.latencyMs = latency;
        f.paced = paced;
        f.splitBytes = split;
        m.setFaults(f);
        const std::vector<SimChunk> chunks = m.feed("$00KB80\r", 100);
        QTEST(int(chunks.size()), "pieces");
        QTEST(chunks.back().dueMs, "lastDue");
        QByteArray all;
        for (const SimChunk& c : chunks)
            all += c.bytes;
        QCOMPARE(all, m.block(0x80).toHex().toUpper() + "\r");
    }

    void garblingIsRepeatableBySeed() {
        auto garbled = [](quint32 seed) {
            DeviceModel m;
            SimFaults f;
            f.garbleRate = 0.1;
            f.seed = seed;
            m.setFaults(f);
            return ask(m, "$00KB80\r");
        };
        const QByteArray a = garbled(7);
        QCOMPARE(a.size(), 513);
        QCOMPARE(garbled(7), a);
        QVERIFY(garbled(8) != a);
        DeviceModel clean;
        QVERIFY(ask(clean, "$00KB80\r") != a);
    }
};

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "test_devicemodel.moc"
