#include "device/seriallayer.h"
#include "sensor/backup.h"
#include "sim/simtransport.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

const QDateTime kWhen(QDate(2026, 5, 6), QTime(7, 8, 9));

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
  private slots:
    // The serial number becomes part of a path: nothing that could leave the
    // folder or hide the file gets through.
    void serial_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "26010101"
                               << "26010101";
        QTest::newRow("padded") << "  AB-7_x "
                                << "AB-7_x";
        QTest::newRow("empty") << ""
                               << "unknown";
        QTest::newRow("blanks") << "        "
                                << "unknown";
        QTest::newRow("cleared record") << QString(8, QChar(0)) << "unknown";
        QTest::newRow("slash") << "../../x"
                               << "unknown";
        QTest::newRow("dots") << ".."
                              << "unknown";
        QTest::newRow("inner blank") << "12 34"
                                     << "unknown";
        QTest::newRow("accented") << QString::fromUtf8("Č123") << "unknown";
    }
    void serial() {
        QFETCH(QString, serial);
        QTEST(BackupSerial(serial), "name");
    }

    void nameAndBlock_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("block");
        QTest::addColumn<QString>("name");
        QTest::newRow("iTag") << "26010101" << 0x00 << "26010101-00-20260506-070809.bin";
        QTest::newRow("store") << "" << 0x80 << "unknown-80-20260506-070809.bin";
        QTest::newRow("serial with dashes") << "A-80-1" << 0x00 << "A-80-1-00-20260506-070809.bin";
    }
    void nameAndBlock() {
        QFETCH(QString, serial);
        QFETCH(int, block);
        QFETCH(QString, name);
        QCOMPARE(BackupFileName(serial, block, kWhen), name);
        QCOMPARE(BlockFromBackupName(QStringLiteral("/some/dir/") + name), block);
        QCOMPARE(BlockFromBackupName(name.chopped(4) + QStringLiteral("-12.bin")), block);
    }

    void foreignNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("other block") << "x-40-20260506-070809.bin";
        QTest::newRow("no date") << "x-00.bin";
        QTest::newRow("other ending") << "x-00-20260506-070809.img";
        QTest::newRow("empty") << "";
    }
    void foreignNames() {
        QFETCH(QString, name);
        QCOMPARE(BlockFromBackupName(name), -1);
    }

    // Backups made within the same second all survive, each under its own name.
    void neverOverwritten() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("deep/backups"));
        QStringList paths;
        for (char c : {'a', 'b', 'c'}) {
            const BackupResult r = WriteBackupFile(folder, "S1", 0x80, QByteArray(256, c), kWhen);
            QVERIFY2(r.ok, qPrintable(r.error));
            paths << r.path;
        }
        const QString base = folder + QStringLiteral("/S1-80-20260506-070809");
        QCOMPARE(paths, (QStringList{base + ".bin", base + "-1.bin", base + "-2.bin"}));
        QCOMPARE(testing::FileBytes(paths[0]), QByteArray(256, 'a'));
        QCOMPARE(testing::FileBytes(paths[2]), QByteArray(256, 'c'));
    }

    void folderInTheWay() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const BackupResult r =
            WriteBackupFile(blocker.fileName() + "/backups", "S", 0, QByteArray(4, 'x'), kWhen);
        QVERIFY(!r.ok);
        QVERIFY(r.path.isEmpty());
        QVERIFY(r.error.contains(blocker.fileName()));
    }

    // Without the last image the block is read now; a block that cannot be
    // read leaves no backup and says which one.
    void blockReadWhenNoImage_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("ok");
        QTest::newRow("store") << false << int(kGroupDevice) << true;
        QTest::newRow("iTag") << true << int(kGroupTag) << true;
        QTest::newRow("iTag absent") << false << int(kGroupTag) << false;
    }
    void blockReadWhenNoImage() {
        QFETCH(bool, tag);
        QFETCH(int, group);
        QFETCH(bool, ok);
        VirtualClock clock;
        DeviceModel device;
        device.setTagPresent(tag);
        SimTransportFactory factory(clock);
        factory.attach(1, device);
        SerialLayer layer(factory, clock);
        layer.OpenPort(1, QStringLiteral("115200"), true);
        LangTable lang;
        ReadUi ui;
        ReadContext ctx{layer, clock, 1, lang, ui, nullptr, QDate(2026, 5, 6)};
        QTemporaryDir dir;
        const BackupResult r = BackUpBlock(ctx, group, {}, "S", dir.path());
        QCOMPARE(r.ok, ok);
        if (ok) {
            QCOMPARE(testing::FileBytes(r.path), device.block(group * 32));
            QVERIFY(r.path.endsWith(BackupFileName("S", group * 32, clock.now())));
        } else {
            QCOMPARE(r.error, QStringLiteral("block 0x00 could not be read"));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
