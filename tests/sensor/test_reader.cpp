#include "../device/fakeline.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/reader.h"
#include "sim/simtransport.h"
#include "support/scriptedmessages.h"

#include <QtTest>

using namespace qm;

namespace {

// Records what the window would be told.
class LogUi final : public ReadUi {
  public:
    QStringList log;
    void showStatus(bool visible) override { log << (visible ? "show" : "hide"); }
    void setStatusText(const QString& text) override { log << "status " + text; }
    void lockButtons(bool locked) override { log << (locked ? "lock" : "unlock"); }
    void stopLiveTimer() override { log << "stop timer"; }
    void setFormatList(int digits) override { log << "formats " + QString::number(digits); }
    void setConstantsText(const QString& n, const QString& k) override {
        ReadUi::setConstantsText(n, k);
        log << "constants";
    }
    void constantsRead() override { log << "white"; }
    void updateCalibration() override { log << "update"; }
};

LangTable numberedTexts() {
    LangTable t;
    for (int i = 1; i <= LangTable::kSize; ++i)
        t.set(i, QStringLiteral("T%1").arg(i));
    return t;
}

struct Rig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    SerialLayer layer{factory, clock};
    LangTable lang = numberedTexts();
    LogUi ui;
    ScriptedMessages messages;
    ReadContext ctx{layer, clock, 3, lang, ui, &messages, QDate(2026, 3, 1)};
    SensorSession s;
    Rig() {
        factory.attach(3, device);
        layer.OpenPort(3, QStringLiteral("115200"), true);
    }
};

SensorRecord decoded(const QByteArray& block, int group) {
    SensorRecord rec;
    DecodeImage(block, rec, group, 0);
    return rec;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT
  private slots:
    void readsDeviceAndTag() {
        Rig rig;
        QString ident;
        SensorReadReport report;
        QCOMPARE(ReadAll(rig.ctx, rig.s, &ident, &report), 1);
        QVERIFY(ident.startsWith(QLatin1String("QM-07R")));
        QCOMPARE(rig.s.TagPresent, uint8_t(1));
        QCOMPARE(rig.s.TagRecord, decoded(rig.device.block(0x00), kGroupTag));
        QCOMPARE(rig.s.DeviceRecord, decoded(rig.device.block(0x80), kGroupDevice));
        QCOMPARE(rig.s.CurrentRecord, rig.s.TagRecord);
        QCOMPARE(rig.s.MemoryImage, rig.device.block(0x00));
        QCOMPARE(report.deviceResult, 2);
        QCOMPARE(report.tagResult, 2);
        QCOMPARE(rig.s.N, 8388608.0);
        QCOMPARE(rig.s.k, 4.647601E-07);
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(rig.ui.log.first(), QStringLiteral("lock"));
        QCOMPARE(rig.ui.log.last(), QStringLiteral("unlock"));
        QVERIFY(rig.ui.log.contains(QStringLiteral("status T34 5%")));
        QVERIFY(rig.ui.log.contains(QStringLiteral("status T3420%")));
        QVERIFY(rig.ui.log.contains(QStringLiteral("status T37")));
        QVERIFY(rig.ui.log.indexOf(QStringLiteral("update")) >
                rig.ui.log.indexOf(QStringLiteral("white")));
    }

    void withoutTagTheStoreIsCurrent() {
        Rig rig;
        rig.device.setTagPresent(false);
        QCOMPARE(ReadAll(rig.ctx, rig.s), 1);
        QCOMPARE(rig.s.TagPresent, uint8_t(0));
        QCOMPARE(rig.s.CurrentRecord, rig.s.DeviceRecord);
        QCOMPARE(rig.s.MemoryImage, rig.device.block(0x80));
        QCOMPARE(rig.s.CurrentRecord.MemGroup, kGroupDevice);
    }

    void displayDigits_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("digits");
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("6") << 6 << 6;
        QTest::newRow("7 is 5") << 7 << 5;
        QTest::newRow("0 is 5") << 0 << 5;
    }
    void displayDigits() {
        QFETCH(int, stored);
        Rig rig;
        rig.device.setDisplayDigits(stored);
        QCOMPARE(ReadQM07(rig.ctx, rig.s), 1);
        QTEST(rig.s.DisplayDigits, "digits");
        QVERIFY(rig.ui.log.contains(QStringLiteral("formats %1").arg(rig.s.DisplayDigits)));
        QCOMPARE(FormatListFor(rig.s.DisplayDigits).size(), rig.s.DisplayDigits + 1);
    }

    // An empty store with a good iTag asks 76 first and ends on the iTag's record.
    void emptyStoreAsksBeforeTag() {
        Rig rig;
        rig.device.setBlock(0x80, QByteArray(256, '\0'));
        SensorReadReport report;
        QCOMPARE(ReadAll(rig.ctx, rig.s, nullptr, &report), 1);
        QCOMPARE(rig.messages.texts(), QStringList{"T76"});
        const Message& m = rig.messages.shown().first();
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(m.buttons, MsgYes | MsgNo | MsgCancel);
        QCOMPARE(report.deviceResult, int(kDecodeNoFsn));
        QCOMPARE(rig.s.CurrentRecord, rig.s.TagRecord);
        QCOMPARE(rig.s.CurrentRecord.PointCount, 2);
    }

    void answersToUndecodableImages_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("defaulted");
        QTest::newRow("store, yes") << false << MsgYes << true;
        QTest::newRow("store, no") << false << MsgNo << false;
        QTest::newRow("store, cancel") << false << MsgCancel << false;
        QTest::newRow("tag, yes") << true << MsgYes << true;
        QTest::newRow("tag, no") << true << MsgNo << false;
    }
    void answersToUndecodableImages() {
        QFETCH(bool, tag);
        QFETCH(MsgButton, answer);
        QFETCH(bool, defaulted);
        Rig rig;
        rig.device.setTagPresent(tag);
        // No "KRI"; zeros behind, so that what is decoded compares equal.
        rig.device.setBlock(tag ? 0x00 : 0x80, QByteArray("FSN\x01", 4) + QByteArray(252, '\0'));
        rig.messages.answer(answer);
        SensorReadReport report;
        ReadAll(rig.ctx, rig.s, nullptr, &report);
        QCOMPARE(rig.messages.texts(), QStringList{tag ? "T77" : "T76"});
        QCOMPARE(tag ? report.tagDefaulted : report.deviceDefaulted, defaulted);
        QCOMPARE(rig.s.CurrentRecord, tag ? rig.s.TagRecord : rig.s.DeviceRecord);
        QCOMPARE(rig.s.CurrentRecord.MemGroup, tag ? kGroupTag : kGroupDevice);
        QCOMPARE(rig.s.CurrentRecord.PointCount, defaulted ? 2 : 0);
    }

    // A block that did not arrive is not decoded from what was there before.
    void failedBlockReadIsNotStaleData() {
        Rig rig;
        rig.device.setTagPresent(false);
        QCOMPARE(ReadAll(rig.ctx, rig.s), 1);
        QVERIFY(!rig.s.MemoryImage.isEmpty());
        SimFaults f;
        f.silentAfter = rig.device.requestCount() + 10; // identification, digits, N, k, "KQ"
        rig.device.setFaults(f);
        rig.messages.answerNo();
        SensorReadReport report;
        QCOMPARE(ReadAll(rig.ctx, rig.s, nullptr, &report), 1);
        QCOMPARE(report.deviceResult, kReadBlockFailed);
        QVERIFY(rig.s.MemoryImage.isEmpty());
        QCOMPARE(rig.s.CurrentRecord.PointCount, 0);
        QCOMPARE(rig.s.CurrentRecord.MemGroup, kGroupDevice);
        QCOMPARE(rig.messages.texts(), QStringList{"T76"});
    }

    void readWithoutQuestions() {
        Rig rig;
        rig.ctx.messages = nullptr;
        rig.device.setBlock(0x00, QByteArray(256, '\xFF'));
        SensorReadReport report;
        QCOMPARE(ReadAll(rig.ctx, rig.s, nullptr, &report), 1);
        QVERIFY(report.tagResult < 0);
        QVERIFY(!report.tagDefaulted);
        QCOMPARE(rig.s.MemoryImage, QByteArray(256, '\xFF')); // reported, not replaced
    }

    void identificationFailures_data() {
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("silent") << QByteArray() << -3 << QStringList{};
        QTest::newRow("short") << QByteArray("QM-07\r") << -3 << QStringList{};
        QTest::newRow("other device") << QByteArray("ACME 2000 V1\r") << -2 << QStringList{"T35"};
        // This line has no blocks to read.
        QTest::newRow("lower case") << QByteArray("qm-07r v1.0\r") << 1 << QStringList{"T76"};
    }
    void identificationFailures() {
        QFETCH(QByteArray, ident);
        VirtualClock clock;
        FakeFactory factory(clock);
        factory.line(1).respond = [&](const QByteArray& line, int) {
            return line == "$00@" ? at(5, ident) : QList<Piece>{};
        };
        SerialLayer layer(factory, clock);
        layer.OpenPort(1, QStringLiteral("115200"), true);
        const LangTable lang = numberedTexts();
        LogUi ui;
        ScriptedMessages messages;
        ReadContext ctx{layer, clock, 1, lang, ui, &messages};
        SensorSession s;
        QTEST(ReadAll(ctx, s), "result");
        QTEST(messages.texts(), "messages");
        QCOMPARE(ui.log.last(), QStringLiteral("unlock"));
        QFETCH(int, result);
        QCOMPARE(ui.log.contains(QStringLiteral("update")), result == 1);
    }

    void closedPortIsAPortError() {
        Rig rig;
        rig.layer.ClosePort(3);
        QCOMPARE(ReadAll(rig.ctx, rig.s), -1);
        QCOMPARE(rig.messages.texts(), QStringList{"T31 (COM3) T32"});
        QVERIFY(rig.ui.log.contains(QStringLiteral("status T33")));
        const SensorReadReport none = ReadSensor(rig.ctx, rig.s);
        QCOMPARE(none.deviceResult, 0);
        QCOMPARE(rig.device.requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
