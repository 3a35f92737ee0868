// Saving a sensor: the image comparison, the backup before the write, the
// write itself and the read-back.
#include "sensor/backup.h"
#include "sensor/imagecodec.h"
#include "sensor/writer.h"
#include "support/files.h"
#include "support/simdevicerig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

QByteArray changedAt(QByteArray b, int position) {
    b[position - 1] = static_cast<char>(b[position - 1] ^ 0x5A);
    return b;
}

// A device read once and a change made, with its backups kept in a folder of its own.
struct Rig : testing::SimDeviceRig {
    QTemporaryDir backups;
    SaveReport saved;
    explicit Rig(bool tag) : SimDeviceRig(tag) {
        read();
        s.CurrentRecord.Description = QStringLiteral("Changed");
    }
    QStringList backupFiles() const {
        return QDir(backups.path()).entryList(QDir::Files, QDir::Name);
    }
    int save(bool onlyIfChanged, const WriteProgress& progress = {}) {
        stages.clear();
        saved = SaveSensorCore(ctx, s, {onlyIfChanged, backups.path(), progress});
        return saved.result;
    }
};

} // namespace

class TestWriter : public QObject {
    Q_OBJECT
  private slots:
    // CompareImages skips the date of writing and what lies behind the
    // shorter image; the read-back check skips nothing that was written.
    void compare_data() {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("compare");
        QTest::addColumn<int>("readBack");
        const QByteArray img(184, 'a');
        QTest::newRow("same") << img << img << 0 << 0;
        QTest::newRow("new empty") << QByteArray() << img << 999 << 0;
        QTest::newRow("old empty") << img << QByteArray() << 999 << 1;
        QTest::newRow("date") << changedAt(changedAt(img, 50), 55) << img << 0 << 50;
        QTest::newRow("before the date") << changedAt(img, 49) << img << 49 << 49;
        QTest::newRow("after the date") << changedAt(img, 56) << img << 56 << 56;
        QTest::newRow("b longer") << img << img + QByteArray(72, 'z') << 0 << 0;
        QTest::newRow("b shorter") << img << img.left(100) << 0 << 101;
    }
    void compare() {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QTEST(CompareImages(a, b), "compare");
        QTEST(ReadBackDifference(a, b), "readBack");
    }

    // The serial number becomes part of a path: nothing that could leave the
    // folder or hide the file gets through.
    void backupSerial_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("kept"); // trimmed; else "unknown"
        QTest::newRow("padded") << "  AB-7_x " << true;
        QTest::newRow("cleared record") << QString(8, QChar(0)) << false;
        QTest::newRow("slash") << "../../x" << false;
        QTest::newRow("accented") << QString::fromUtf8("Č123") << false;
    }
    void backupSerial() {
        QFETCH(QString, serial);
        QFETCH(bool, kept);
        QCOMPARE(BackupSerial(serial), kept ? serial.trimmed() : "unknown");
    }

    // A change goes to the memory it was read from, after the block as it
    // stood is on disk; the report holds both images and the read-back
    // agrees. Saved again unchanged, even a day later, nothing is written.
    void save_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<bool>("imageKnown"); // false: the last read of the block failed
        QTest::addColumn<int>("flags");
        QTest::newRow("iTag") << true << true << 0xD0;
        QTest::newRow("store") << false << true << 0xD0;
        QTest::newRow("iTag, read again") << true << false << 0xD0;
        QTest::newRow("iTag, 24 bit") << true << true << 0xD8;
    }
    void save() {
        QFETCH(bool, tag);
        QFETCH(bool, imageKnown);
        QFETCH(int, flags);
        Rig rig(tag);
        const int block = tag ? 0x00 : 0x80, other = 0x80 - block;
        const QByteArray before = rig.device.block(block), otherBefore = rig.device.block(other);
        if (!imageKnown) rig.s.MemoryImage.clear();
        rig.s.CurrentRecord.Flags = uint8_t(flags);
        QStringList atFirstByte;
        const auto progress = [&](int p, int) {
            if (p == 1) atFirstByte = rig.backupFiles();
        };
        const QDateTime start = rig.clock.now();
        QCOMPARE(rig.save(true, progress), int(kSaveWritten));
        const QByteArray written = rig.device.block(block);
        QCOMPARE(uint8_t(written[99]), uint8_t(flags));
        QCOMPARE(rig.device.block(other), otherBefore);
        QCOMPARE(rig.s.CurrentRecord.Description.trimmed(), QStringLiteral("Changed"));
        QCOMPARE(rig.s.MemoryImage, written);
        QCOMPARE(atFirstByte.size(), 1);
        QCOMPARE(rig.saved.backupPath, rig.backups.filePath(atFirstByte[0]));
        QVERIFY(atFirstByte[0].startsWith(tag ? "26010101-00-" : "00000001-80-"));
        QCOMPARE(testing::FileBytes(rig.saved.backupPath), before);
        QCOMPARE(rig.saved.imageBefore, before);
        QCOMPARE(rig.saved.imageAfter, written.left(rig.saved.imageAfter.size()));
        QCOMPARE(rig.saved.block, tag ? kGroupTag : kGroupDevice);
        QCOMPARE(rig.saved.readBack, ReadBack::Agrees);
        QCOMPARE(rig.stages.mid(0, 4),
                 (QList<SensorStage>{SensorStage::Writing, SensorStage::Written,
                                     SensorStage::Resetting, SensorStage::Connecting}));
        QCOMPARE(rig.stages.last(), SensorStage::Done);
        // Saved again within the same second: both earlier states are kept.
        const SaveReport first = rig.saved;
        rig.clock.setNow(start);
        rig.s.CurrentRecord.Description = QStringLiteral("Two");
        QCOMPARE(rig.save(true), int(kSaveWritten));
        QCOMPARE(rig.saved.backupPath, first.backupPath.chopped(4) + "-1.bin");
        QCOMPARE(testing::FileBytes(rig.saved.backupPath), written);
        rig.ctx.today = rig.ctx.today.addDays(1);
        const int version = rig.device.stateVersion();
        QCOMPARE(rig.save(true), int(kSaveUnchanged));
        QCOMPARE(rig.device.stateVersion(), version);
    }

    // A block that can be neither taken from the last read nor read now, or
    // that reads otherwise than it did (a reply garbled into other digits),
    // has no backup and is not written.
    void noBackupNoWrite_data() {
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("error");
        QTest::newRow("unreadable") << true << "block 0x00 could not be read";
        QTest::newRow("reads disagree") << false << "block 0x00 read differently twice";
    }
    void noBackupNoWrite() {
        QFETCH(bool, unreadable);
        Rig rig(true);
        QByteArray changed = rig.device.block(0x00);
        changed[200] = char(changed[200] ^ 0x10);
        if (unreadable) {
            rig.s.MemoryImage.clear();
            rig.device.setFaults({.silentAfter = 0});
        } else {
            rig.device.setBlock(0x00, changed);
        }
        const int version = rig.device.stateVersion();
        QCOMPARE(rig.save(false), int(kSaveWriteFailed));
        QCOMPARE(rig.device.stateVersion(), version);
        QVERIFY(rig.backupFiles().isEmpty());
        QVERIFY(rig.saved.backupPath.isEmpty());
        QTEST(rig.saved.backupError, "error");
        QVERIFY(!rig.stages.contains(SensorStage::Writing));
    }

    // What the block cannot hold is refused before anything is sent.
    void refusedRecord_data() {
        QTest::addColumn<QString>("popis");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("Cyrillic") << QString::fromUtf8("Сила") << 2
                                  << QString::fromUtf8("Popis holds the character С (U+0421), "
                                                       "which the sensor memory cannot store");
        QTest::newRow("20 points") << "Changed" << 20
                                   << "PointCount 20: the points take 264 bytes, a block holds 256 "
                                      "(at most 19 points)";
    }
    void refusedRecord() {
        QFETCH(QString, popis);
        QFETCH(int, points);
        Rig rig(true);
        rig.s.CurrentRecord.Description = popis;
        rig.s.CurrentRecord.PointCount = points;
        const int version = rig.device.stateVersion(), requests = rig.device.requestCount();
        QCOMPARE(rig.save(false), int(kSaveConvertFailed));
        QCOMPARE(rig.device.stateVersion(), version);
        QCOMPARE(rig.device.requestCount(), requests);
        QTEST(rig.saved.refusal, "refusal");
    }

    // A wrong echo, a cell that keeps another byte than it confirms, or a
    // device gone after the write: the report says which, with the backup.
    // After a failed write no reset follows, and the next save writes again
    // rather than finding the mixed image unchanged.
    void writeGoesWrong_data() {
        QTest::addColumn<int>("wrongEchoAt");
        QTest::addColumn<int>("corruptAt"); // 0 with no wrong echo: hang up after the write
        QTest::addColumn<int>("result");
        QTest::addColumn<ReadBack>("readBack");
        QTest::addColumn<int>("detail"); // the write's result, or the first difference
        QTest::newRow("wrong echo")
            << 5 << 0 << int(kSaveWriteFailed) << ReadBack::NotWritten << -10005;
        QTest::newRow("byte 23 differs") << 0 << 23 << int(kSaveWritten) << ReadBack::Differs << 23;
        QTest::newRow("no read-back") << 0 << 0 << int(kSaveWritten) << ReadBack::Missing << 0;
        // -1: the line drops right after the reset's identification.
        QTest::newRow("lost after identifying")
            << 0 << -1 << int(kSaveWritten) << ReadBack::Missing << 0;
    }
    void writeGoesWrong() {
        QFETCH(int, wrongEchoAt);
        QFETCH(int, corruptAt);
        Rig rig(false);
        const QByteArray before = rig.device.block(0x80);
        const int requests = rig.device.requestCount();
        SimFaults f;
        f.wrongEchoAt = wrongEchoAt;
        // The backup's read, the 104 bytes, then the read-back's requests.
        if (!wrongEchoAt && !corruptAt) f.hangUpAfter = requests + 1 + 104 + 16;
        f.corruptStoreAt = std::max(corruptAt, 0);
        rig.device.setFaults(f);
        const auto lastByte = [&](int p, int n) { // the reset and its identification, no more
            if (p == n && corruptAt < 0)
                rig.device.setFaults({.hangUpAfter = rig.device.requestCount() + 2});
        };
        QTEST(rig.save(false, lastByte), "result");
        QTEST(rig.saved.readBack, "readBack");
        QTEST(rig.saved.writeResult + rig.saved.firstDifference, "detail");
        QCOMPARE(testing::FileBytes(rig.saved.backupPath), before);
        if (!wrongEchoAt) return;
        QVERIFY(!rig.stages.contains(SensorStage::Resetting));
        QCOMPARE(rig.device.requestCount() - requests, 1 + wrongEchoAt + 1); // one echo retried
        rig.device.setFaults({});
        QCOMPARE(rig.save(true), int(kSaveWritten));
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "test_writer.moc"
