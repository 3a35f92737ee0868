#include "sensor/imagecodec.h"
#include "sensor/writer.h"
#include "sim/simtransport.h"
#include "support/scriptedmessages.h"

#include <QtTest>

using namespace qm;

namespace {

QByteArray bytes(int n, char fill = 'a') {
    return QByteArray(n, fill);
}
QByteArray changedAt(QByteArray b, int position) {
    b[position - 1] = static_cast<char>(b[position - 1] ^ 0x5A);
    return b;
}

struct Rig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    SerialLayer layer{factory, clock};
    LangTable lang;
    ReadUi ui;
    ScriptedMessages messages;
    ReadContext ctx{layer, clock, 1, lang, ui, &messages, QDate(2026, 5, 6)};
    SensorSession s;
    explicit Rig(bool tag) {
        lang.set(47, QStringLiteral("T47"));
        device.setTagPresent(tag);
        factory.attach(1, device);
        layer.OpenPort(1, QStringLiteral("115200"), true);
        ReadAll(ctx, s);
    }
};

} // namespace

class TestWriter : public QObject {
    Q_OBJECT
  private slots:
    void compare_data() {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("position");
        const QByteArray img = bytes(184);
        QTest::newRow("same") << img << img << 0;
        QTest::newRow("new empty") << QByteArray() << img << 999;
        QTest::newRow("old empty") << img << QByteArray() << 999;
        QTest::newRow("first") << changedAt(img, 1) << img << 1;
        QTest::newRow("description") << changedAt(img, 9) << img << 9;
        QTest::newRow("before the date") << changedAt(img, 49) << img << 49;
        QTest::newRow("date of writing") << changedAt(changedAt(img, 50), 55) << img << 0;
        QTest::newRow("after the date") << changedAt(img, 56) << img << 56;
        QTest::newRow("old block longer") << img << img + bytes(72, 'z') << 0;
        QTest::newRow("last common") << changedAt(img, 184) << img + "x" << 184;
    }
    void compare() {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QTEST(CompareImages(a, b), "position");
    }

    // Saving what was read writes nothing, on any day.
    void unchangedIsNotWritten_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<int>("daysLater");
        QTest::newRow("iTag, same day") << true << 0;
        QTest::newRow("iTag, next day") << true << 1;
        QTest::newRow("store") << false << 0;
    }
    void unchangedIsNotWritten() {
        QFETCH(bool, tag);
        QFETCH(int, daysLater);
        Rig rig(tag);
        // Written once today, so the stored image is this program's encoding.
        QCOMPARE(SaveSensorCore(rig.ctx, rig.s, false), int(kSaveWritten));
        rig.ctx.today = rig.ctx.today.addDays(daysLater);
        const int version = rig.device.stateVersion();
        QCOMPARE(SaveSensorCore(rig.ctx, rig.s, true), int(kSaveUnchanged));
        QCOMPARE(rig.device.stateVersion(), version);
    }

    void changeGoesToTheMemoryItWasReadFrom_data() {
        QTest::addColumn<bool>("tag");
        QTest::newRow("iTag") << true;
        QTest::newRow("store") << false;
    }
    void changeGoesToTheMemoryItWasReadFrom() {
        QFETCH(bool, tag);
        Rig rig(tag);
        const QByteArray other = rig.device.block(tag ? 0x80 : 0x00);
        rig.s.CurrentRecord.Popis = QStringLiteral("  New description");
        rig.s.CurrentRecord.Value[1] = 100;
        QList<int> progress;
        int w = 1;
        QCOMPARE(SaveSensorCore(
                     rig.ctx, rig.s, true, [&](int p, int) { progress << p; }, &w),
                 int(kSaveWritten));
        QCOMPARE(w, 0);
        QCOMPARE(progress.size(), 104 + 8 * 2);
        const QByteArray written = rig.device.block(tag ? 0x00 : 0x80);
        SensorRecord back;
        QCOMPARE(DecodeImage(written, back, 0, 0), 2);
        QCOMPARE(back.Popis.trimmed(), QStringLiteral("New description"));
        QCOMPARE(rig.device.block(tag ? 0x80 : 0x00), other);
        // Read back after the reset: the device shows the new curve.
        QCOMPARE(rig.s.CurrentRecord.Popis.trimmed(), QStringLiteral("New description"));
        QCOMPARE(rig.s.MemoryImage, written);
        rig.device.setSignal(2.0);
        QCOMPARE(rig.device.displayValue(), 100.0);
        QVERIFY(rig.messages.isEmpty());
    }

    // A failed write is reported with its code, no reset follows, and the next
    // save writes again rather than finding the mixed image unchanged.
    void failedWrite() {
        Rig rig(true);
        SimFaults f;
        f.wrongEchoAt = 5;
        rig.device.setFaults(f);
        rig.s.CurrentRecord.Popis = QStringLiteral("Changed");
        const int requests = rig.device.requestCount();
        QCOMPARE(SaveSensorCore(rig.ctx, rig.s, true), int(kSaveWriteFailed));
        QCOMPARE(rig.messages.texts(), QStringList{"T47 [-10005]"});
        QCOMPARE(rig.device.requestCount() - requests, 5); // no reset, no read-back
        QVERIFY(rig.s.MemoryImage.isEmpty());
        rig.device.setFaults({});
        QCOMPARE(SaveSensorCore(rig.ctx, rig.s, true), int(kSaveWritten));
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "test_writer.moc"
