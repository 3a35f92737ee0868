#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/reader.h"
#include "support/scriptedline.h"
#include "support/simdevicerig.h"

#include <QtTest>

using namespace qm;

using Rig = qm::testing::SimDeviceRig;

class TestReader : public QObject {
    Q_OBJECT
  private slots:
    // Both records are read; the iTag's, when there is one, is the current.
    // A display of 7 digits (or none) is taken as 5.
    void reads_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("digits");
        QTest::newRow("iTag, 7 digits") << true << 7 << 5;
        QTest::newRow("no iTag, 6 digits") << false << 6 << 6;
    }
    void reads() {
        QFETCH(bool, tag);
        QFETCH(int, stored);
        Rig rig(tag);
        rig.device.setDisplayDigits(stored);
        QCOMPARE(rig.read(), 1);
        QTEST(rig.s.DisplayDigits, "digits");
        QCOMPARE(rig.s.TagPresent, uint8_t(tag));
        SensorRecord current;
        DecodeImage(rig.device.block(tag ? 0x00 : 0x80), current, tag ? kGroupTag : kGroupDevice,
                    0);
        QCOMPARE(rig.s.CurrentRecord, current);
        QCOMPARE(rig.report.deviceResult + rig.report.tagResult, tag ? 4 : 2);
        QCOMPARE(rig.s.MemoryImage, rig.device.block(tag ? 0x00 : 0x80));
        QCOMPARE(rig.s.k, 4.647601E-07);
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(rig.ui.log, (QStringList{"lock", "unlock"}));
    }

    // A block that does not decode: the store asks 76, the iTag 77; yes
    // loads the default. Without a message sink the image is reported, not
    // replaced. An empty store beside a good iTag ends on the iTag's record.
    void undecodableBlock_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("tag");
        QTest::addColumn<int>("answer"); // 0: no message sink, -1: the default button
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("points");
        QTest::newRow("empty store, good iTag")
            << 0x80 << true << int(MsgNo) << QStringList{"T76"} << 2;
        QTest::newRow("store, no") << 0x80 << false << int(MsgNo) << QStringList{"T76"} << 0;
        QTest::newRow("store, yes") << 0x80 << false << int(MsgYes) << QStringList{"T76"} << 2;
        QTest::newRow("iTag, yes") << 0x00 << true << int(MsgYes) << QStringList{"T77"} << 2;
        QTest::newRow("iTag, no sink") << 0x00 << true << 0 << QStringList{} << 0;
        QTest::newRow("store, default: No") << 0x80 << false << -1 << QStringList{"T76"} << 0;
        QTest::newRow("store, retry reads again")
            << 0x80 << false << int(MsgRetry) << QStringList{"T76", "T76"} << 0;
    }
    void undecodableBlock() {
        QFETCH(int, block);
        QFETCH(bool, tag);
        QFETCH(int, answer);
        Rig rig(tag);
        const QByteArray image = QByteArray("FSN\x01", 4) + QByteArray(252, '\0'); // no "KRI"
        rig.device.setBlock(block, block == 0x80 && tag ? QByteArray(256, '\0') : image);
        if (answer > 0) rig.messages.answer(MsgButton(answer));
        if (!answer) rig.ctx.messages = nullptr;
        QCOMPARE(rig.read(), 1);
        QTEST(rig.messages.texts(), "asked");
        QCOMPARE(rig.s.CurrentRecord, tag ? rig.s.TagRecord : rig.s.DeviceRecord);
        QCOMPARE(rig.s.CurrentRecord.MemGroup, tag ? kGroupTag : kGroupDevice);
        QTEST(rig.s.CurrentRecord.PointCount, "points");
        QCOMPARE(rig.s.MemoryImage, rig.device.block(tag ? 0x00 : 0x80));
    }

    // A block that did not arrive is not decoded from what was there before.
    void failedBlockReadIsNotStaleData() {
        Rig rig(false);
        QCOMPARE(rig.read(), 1);
        QVERIFY(!rig.s.MemoryImage.isEmpty());
        SimFaults f;
        f.silentAfter = rig.device.requestCount() + 10; // identification, digits, N, k, "KQ"
        rig.device.setFaults(f);
        rig.messages.answerNo();
        QCOMPARE(rig.read(), 1);
        QCOMPARE(rig.report.deviceResult, kReadBlockFailed);
        QVERIFY(rig.s.MemoryImage.isEmpty());
        QCOMPARE(rig.s.CurrentRecord.PointCount, 0);
        QCOMPARE(rig.messages.texts(), QStringList{"T76"});
    }

    // A scripted line that answers the identification and the iTag query only.
    void identificationAndTagQuery_data() {
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("kq");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QStringList>("asked");
        const QByteArray qm = "QM-07R V1.0\r", other = "ACME 2000 V1\r";
        QTest::newRow("silent") << QByteArray() << QByteArray() << -3 << 0 << QStringList{};
        QTest::newRow("other device") << other << QByteArray() << -2 << 0 << QStringList{"T35"};
        QTest::newRow("KQ 01") << qm << QByteArray("01\r") << 1 << 1 << QStringList{"T76", "T77"};
        QTest::newRow("KQ of 4 bytes: no iTag")
            << qm << QByteArray("011\r") << 1 << 0 << QStringList{"T76"};
    }
    void identificationAndTagQuery() {
        QFETCH(QByteArray, ident);
        QFETCH(QByteArray, kq);
        LineRig line;
        line.open(1).respond = [&](const QByteArray& request, int) {
            return request == "$00@"    ? after(5, ident)
                   : request == "$00KQ" ? after(5, kq)
                                        : QList<ReplyPiece>{};
        };
        const LangTable lang = testing::NumberedTexts();
        testing::LockLogUi ui;
        ScriptedMessages messages;
        ReadContext ctx{line.link, lang, ui, &messages};
        SensorSession s;
        QTEST(ReadAll(ctx, s), "result");
        QTEST(int(s.TagPresent), "tag");
        QTEST(messages.texts(), "asked");
        QCOMPARE(ui.log, (QStringList{"lock", "unlock"}));
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
