#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/reader.h"
#include "support/scriptedline.h"
#include "support/simdevicerig.h"

#include <QtTest>

using namespace qm;
using Rig = qm::testing::SimDeviceRig;
using St = SensorStage;
using Stages = QList<SensorStage>;
Q_DECLARE_METATYPE(Stages)

namespace {
const Stages kDeviceStages{St::Connecting, St::Identifying,   St::Identified,        St::DigitsRead,
                           St::DeviceRead, St::ReadingSensor, St::ReadingDeviceBlock};
} // namespace

class TestReader : public QObject {
    Q_OBJECT
  private slots:
    // Both records are read; the iTag's, when there is one, is the current
    // and the image kept is its block. A display of 7 digits is taken as 5.
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
        const int group = tag ? kGroupTag : kGroupDevice, block = tag ? 0x00 : 0x80;
        SensorRecord current;
        DecodeImage(rig.device.block(block), current, group, 0);
        QCOMPARE(rig.s.CurrentRecord, current);
        QCOMPARE(rig.report.deviceResult + rig.report.tagResult, tag ? 4 : 2);
        QCOMPARE(rig.s.LastReadImage(group), rig.device.block(block));
        QVERIFY(rig.s.LastReadImage(kGroupTag + kGroupDevice - group).isEmpty());
        QCOMPARE(rig.s.k, double(float(kDefaultMultiplier))); // as the device holds it
        QCOMPARE(rig.s.N, kDefaultZeroCount);
        QVERIFY(rig.asked.isEmpty());
        QCOMPARE(rig.report.gap, ReadGap::None);
        const Stages tagStage = tag ? Stages{St::ReadingTag} : Stages{};
        const Stages ending{St::SensorRead, St::Done};
        QCOMPARE(rig.stages, kDeviceStages + tagStage + ending);
    }

    // A block that does not decode is put to the caller: kept, replaced by
    // the default record, or read again. An empty store beside a good iTag
    // ends on the iTag's record. Without a caller to ask the image is kept.
    void undecodableBlock_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("tag");
        QTest::addColumn<QList<BadImageChoice>>("answers");
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<int>("points");
        using C = BadImageChoice;
        const QList<int> store{kGroupDevice}, twice{kGroupDevice, kGroupDevice};
        QTest::newRow("empty store, good iTag") << 0x80 << true << QList<C>{} << store << 2;
        QTest::newRow("store, kept") << 0x80 << false << QList<C>{C::Keep} << store << 0;
        QTest::newRow("store, defaults")
            << 0x80 << false << QList<C>{C::LoadDefaults} << store << 2;
        QTest::newRow("iTag, defaults")
            << 0x00 << true << QList<C>{C::LoadDefaults} << QList<int>{kGroupTag} << 2;
        QTest::newRow("store, read again") << 0x80 << false << QList<C>{C::ReadAgain} << twice << 0;
        QTest::newRow("nobody asked")
            << 0x00 << true << QList<C>{C::LoadDefaults} << QList<int>{} << 0;
    }
    void undecodableBlock() {
        QFETCH(int, block);
        QFETCH(bool, tag);
        QFETCH(QList<int>, asked);
        QFETCH(int, points);
        Rig rig(tag);
        const QByteArray image = QByteArray("FSN\x01", 4) + QByteArray(252, '\0'); // no "KRI"
        rig.device.setBlock(block, block == 0x80 && tag ? QByteArray(256, '\0') : image);
        QFETCH(QList<BadImageChoice>, answers);
        rig.answers = answers;
        if (QTest::currentDataTag() == QByteArray("nobody asked")) rig.ctx.onBadImage = nullptr;
        QCOMPARE(rig.read(), 1);
        QCOMPARE(rig.asked, asked);
        QCOMPARE(rig.s.CurrentRecord, tag ? rig.s.TagRecord : rig.s.DeviceRecord);
        QCOMPARE(rig.s.CurrentRecord.MemGroup, tag ? kGroupTag : kGroupDevice);
        QCOMPARE(rig.s.CurrentRecord.PointCount, points);
        const bool defaulted = points == 2 && !(block == 0x80 && tag);
        QCOMPARE(rig.report.deviceDefaulted || rig.report.tagDefaulted, defaulted);
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
        QCOMPARE(rig.read(), 1);
        QCOMPARE(rig.report.deviceResult, kReadBlockFailed);
        QVERIFY(rig.s.MemoryImage.isEmpty());
        QCOMPARE(rig.s.CurrentRecord.PointCount, 0);
        QCOMPARE(rig.asked, QList<int>{kGroupDevice});
    }

    // A scripted line that answers the identification and the iTag query
    // only; the read stops at the stage where it fails.
    void identificationAndTagQuery_data() {
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QByteArray>("kq");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("tag");
        QTest::addColumn<Stages>("stages");
        QTest::addColumn<ReadGap>("gap");
        const QByteArray qm = "QM-07R V1.0\r", other = "ACME 2000 V1\r";
        const Stages unidentified{St::Connecting, St::Identifying, St::Identified,
                                  St::Unidentified};
        const Stages tagRead = kDeviceStages + Stages{St::ReadingTag, St::SensorRead, St::Done};
        QTest::newRow("closed") << QByteArray() << QByteArray() << -1 << 0
                                << Stages{St::Connecting, St::LineClosed} << ReadGap::None;
        QTest::newRow("silent") << QByteArray() << QByteArray() << -3 << 0 << unidentified
                                << ReadGap::None;
        QTest::newRow("other device")
            << other << QByteArray() << -2 << 0 << unidentified << ReadGap::None;
        QTest::newRow("KQ 01") << qm << QByteArray("01\r") << 1 << 1 << tagRead
                               << ReadGap::DisplayDigits;
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
        if (QTest::currentDataTag() == QByteArray("closed")) line.link.close();
        Stages stages;
        ReadContext ctx{line.link, QDate(2026, 5, 6), [&](St st) { stages << st; }, {}};
        SensorSession s;
        SensorReadReport report;
        QTEST(ReadAll(ctx, s, &report), "result");
        QTEST(int(s.TagPresent), "tag");
        QTEST(stages, "stages");
        QTEST(report.gap, "gap");
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "test_reader.moc"
