#include "sensor/backup.h"
#include "sensor/imagecodec.h"
#include "sensor/writer.h"
#include "sim/simtransport.h"
#include "support/files.h"
#include "support/scriptedmessages.h"

#include <QFile>
#include <QTemporaryDir>
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
    QTemporaryDir backups;
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    SerialLayer layer{factory, clock};
    LangTable lang;
    ReadUi ui;
    ScriptedMessages messages;
    ReadContext ctx{layer, clock, 1, lang, ui, &messages, QDate(2026, 5, 6)};
    SensorSession s;
    QStringList backupFiles() const {
        return QDir(backups.path()).entryList(QDir::Files, QDir::Name);
    }
    void fault(void (*set)(SimFaults&)) {
        SimFaults f;
        set(f);
        device.setFaults(f);
    }
    // SaveSensorCore with the backups kept in this rig's folder.
    int save(bool onlyIfChanged, const WriteProgress& progress = {}, int* w = nullptr,
             SaveReport* report = nullptr) {
        return SaveSensorCore(ctx, s, onlyIfChanged, progress, w, report, backups.path());
    }
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
        QCOMPARE(rig.save(false), int(kSaveWritten));
        rig.ctx.today = rig.ctx.today.addDays(daysLater);
        const int version = rig.device.stateVersion();
        QCOMPARE(rig.save(true), int(kSaveUnchanged));
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
        QCOMPARE(rig.save(
                     true, [&](int p, int) { progress << p; }, &w),
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

    void readBackDifference_data() {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QByteArray>("readBack");
        QTest::addColumn<int>("position");
        const QByteArray img = bytes(184);
        QTest::newRow("same") << img << img << 0;
        QTest::newRow("block behind the image") << img << img + bytes(72, 'z') << 0;
        QTest::newRow("byte 23") << img << changedAt(img, 23) << 23;
        QTest::newRow("date counts here") << img << changedAt(img, 50) << 50;
        QTest::newRow("last") << img << changedAt(img, 184) << 184;
        QTest::newRow("read-back short") << img << img.left(100) << 101;
    }
    void readBackDifference() {
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, readBack);
        QTEST(ReadBackDifference(written, readBack), "position");
    }

    // The block as it stood is on disk before the first byte goes out, and
    // the save tells where; the read-back agrees, so nothing is shown.
    void backupBeforeTheFirstByte_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<bool>("imageKnown"); // false: the last read of the block failed
        QTest::newRow("iTag") << true << true;
        QTest::newRow("store") << false << true;
        QTest::newRow("iTag, read again") << true << false;
    }
    void backupBeforeTheFirstByte() {
        QFETCH(bool, tag);
        QFETCH(bool, imageKnown);
        Rig rig(tag);
        const int block = tag ? 0x00 : 0x80;
        const QByteArray before = rig.device.block(block);
        if (!imageKnown) rig.s.MemoryImage.clear();
        rig.s.CurrentRecord.Popis = QStringLiteral("Changed");
        QStringList atFirstByte;
        SaveReport report;
        QCOMPARE(rig.save(
                     true,
                     [&](int p, int) {
                         if (p == 1) atFirstByte = rig.backupFiles();
                     },
                     nullptr, &report),
                 int(kSaveWritten));
        QCOMPARE(atFirstByte.size(), 1);
        QCOMPARE(report.backupPath, rig.backups.filePath(atFirstByte[0]));
        QCOMPARE(BlockFromBackupName(report.backupPath), block);
        QVERIFY(atFirstByte[0].startsWith(tag ? "26010101-00-" : "00000001-80-"));
        QCOMPARE(testing::FileBytes(report.backupPath), before);
        QCOMPARE(report.readBack, ReadBack::Agrees);
        QVERIFY(report.notice.isEmpty());
        QVERIFY(rig.messages.isEmpty());
    }

    // Two saves within the same second keep both earlier states.
    void secondSaveKeepsTheFirstBackup() {
        Rig rig(true);
        const QDateTime start = rig.clock.now();
        const QByteArray original = rig.device.block(0x00);
        SaveReport first, second;
        rig.s.CurrentRecord.Popis = QStringLiteral("One");
        rig.save(true, {}, nullptr, &first);
        const QByteArray afterFirst = rig.device.block(0x00);
        rig.clock.setNow(start);
        rig.s.CurrentRecord.Popis = QStringLiteral("Two");
        rig.save(true, {}, nullptr, &second);
        QCOMPARE(second.backupPath, first.backupPath.chopped(4) + "-1.bin");
        QCOMPARE(testing::FileBytes(first.backupPath), original);
        QCOMPARE(testing::FileBytes(second.backupPath), afterFirst);
    }

    // A failed write is reported with its code and the backup's path, no
    // reset follows, and the next save writes again rather than finding the
    // mixed image unchanged.
    void failedWrite() {
        Rig rig(true);
        const QByteArray before = rig.device.block(0x00);
        rig.fault([](SimFaults& f) { f.wrongEchoAt = 5; });
        rig.s.CurrentRecord.Popis = QStringLiteral("Changed");
        const int requests = rig.device.requestCount();
        SaveReport report;
        int w = 0;
        QCOMPARE(rig.save(true, {}, &w, &report), int(kSaveWriteFailed));
        QCOMPARE(w, -10005);
        QCOMPARE(report.writeResult, -10005);
        QCOMPARE(report.readBack, ReadBack::NotWritten);
        QCOMPARE(rig.messages.texts(),
                 QStringList{"T47 [-10005]\nThe previous contents were saved to " +
                             report.backupPath + "."});
        QCOMPARE(testing::FileBytes(report.backupPath), before);
        QCOMPARE(rig.device.requestCount() - requests, 5); // no reset, no read-back
        QVERIFY(rig.s.MemoryImage.isEmpty());
        rig.device.setFaults({});
        QCOMPARE(rig.save(true), int(kSaveWritten));
        QCOMPARE(rig.backupFiles().size(), 2);
    }

    // A block that can be neither taken from the last read nor read now is
    // not written: only the block request reaches the device.
    void noBackupNoWrite() {
        Rig rig(true);
        const QByteArray before = rig.device.block(0x00);
        rig.s.MemoryImage.clear();
        rig.fault([](SimFaults& f) { f.silentAfter = 0; });
        rig.s.CurrentRecord.Popis = QStringLiteral("Changed");
        const int version = rig.device.stateVersion();
        SaveReport report;
        QCOMPARE(rig.save(false, {}, nullptr, &report), int(kSaveWriteFailed));
        QCOMPARE(rig.device.stateVersion(), version);
        QCOMPARE(rig.device.block(0x00), before);
        QVERIFY(rig.backupFiles().isEmpty());
        QVERIFY(report.backupPath.isEmpty());
        QCOMPARE(rig.messages.texts(),
                 QStringList{"Nothing was written: the sensor memory could not be saved first "
                             "(block 0x00 could not be read)."});
        QCOMPARE(rig.messages.last().icon, MsgIcon::Critical);
    }

    // A cell that keeps another byte than it confirms, or a device that is
    // gone after the write: the user hears it in plain words, with the path.
    void readBackNotAgreeing_data() {
        QTest::addColumn<int>("corruptAt");
        QTest::addColumn<int>("readBack");
        QTest::addColumn<QString>("text");
        QTest::newRow("byte 23 differs")
            << 23 << int(ReadBack::Differs)
            << "The sensor memory does not hold what was written (first difference at byte 23). "
               "The previous contents were saved to %1.";
        QTest::newRow("no read-back")
            << 0 << int(ReadBack::Missing)
            << "The sensor memory could not be read back after writing, so the write is not "
               "confirmed. The previous contents were saved to %1.";
    }
    void readBackNotAgreeing() {
        QFETCH(int, corruptAt);
        QFETCH(QString, text);
        Rig rig(false);
        rig.s.CurrentRecord.Popis = QStringLiteral("Changed");
        SimFaults f;
        f.corruptStoreAt = corruptAt;
        // Without a corrupt cell the device goes away right after the last byte.
        if (corruptAt == 0) f.hangUpAfter = rig.device.requestCount() + 104 + 16;
        rig.device.setFaults(f);
        SaveReport report;
        QCOMPARE(rig.save(false, {}, nullptr, &report), int(kSaveWritten));
        QTEST(int(report.readBack), "readBack");
        QCOMPARE(report.firstDifference, corruptAt);
        QCOMPARE(report.notice, text.arg(report.backupPath));
        QCOMPARE(rig.messages.last().text, report.notice);
        QCOMPARE(rig.messages.last().icon, MsgIcon::Critical);
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "test_writer.moc"
