// qm07ctl write and restore against qm07r-sim on a pty: the backup comes
// first, the read-back decides the exit code, and a backup puts an
// interrupted write right again.
#include "sensor/imagecodec.h"
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using Run = qm::testing::CtlRun;

namespace {

// The path on the "backup: " line that write and restore print first.
QString backupPath(const Run& r) {
    const QByteArray first = r.out.left(r.out.indexOf('\n'));
    return first.startsWith("backup: ") ? QString::fromLocal8Bit(first.mid(8)) : QString();
}

} // namespace

class TestWriteCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString link() const { return m_dir.filePath(QStringLiteral("qm07r")); }
    QString state() const { return m_dir.filePath(QStringLiteral("state")); }
    QString backups() const { return m_dir.filePath(QStringLiteral("data/QM-07R/backups")); }

    Run ctl(const QStringList& args) {
        return testing::RunCtl(QStringList{QStringLiteral("--port"), QStringLiteral("COM5")} + args,
                               m_dir.path(), link());
    }

    QString file(const QString& name, const QByteArray& content) {
        return testing::WriteFileBytes(m_dir.filePath(name), content);
    }

    QByteArray dump(const QString& block) {
        const QString out = m_dir.filePath(QStringLiteral("dump.bin"));
        const Run r = ctl(
            {QStringLiteral("dump"), QStringLiteral("--block"), block, QStringLiteral("-o"), out});
        return r.exitCode == 0 ? testing::FileBytes(out) : QByteArray();
    }

    // A simulator on the test's state folder, which outlives a restart.
    void startSim(SimProcess& sim, const QStringList& args) {
        QString error;
        QVERIFY2(sim.start(link(), QStringList{QStringLiteral("--state"), state()} + args, &error),
                 qPrintable(error));
    }

  private slots:
    void init() {
        QDir(state()).removeRecursively();
        QDir(backups()).removeRecursively();
    }

    // The block as it stood is in the printed backup; the new bytes are on
    // the device; the bytes behind a short image keep what they held.
    void writeAndConfirm_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("block");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("serial");
        QTest::newRow("record as JSON into the iTag")
            << QStringList{} << "0x00" << QByteArray(R"({"Popis": "Written by qm07ctl"})")
            << "26010101";
        QTest::newRow("image into the store")
            << QStringList{"--no-itag"} << "0x80" << testing::LayoutImage() << "00000001";
    }
    void writeAndConfirm() {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, block);
        QFETCH(QByteArray, input);
        QFETCH(QString, serial);
        SimProcess sim;
        startSim(sim, simArgs);
        const QByteArray before = dump(block);
        QCOMPARE(before.size(), 256);
        const Run r = ctl({QStringLiteral("write"), QStringLiteral("--block"), block,
                           file(QStringLiteral("input"), input)});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QString path = backupPath(r);
        QVERIFY2(QFileInfo(path).fileName().startsWith(serial + "-" + block.mid(2) + "-"),
                 qPrintable(path));
        QCOMPARE(testing::FileBytes(path), before);
        const QByteArray after = dump(block);
        SensorRecord rec;
        QVERIFY(DecodeImage(after, rec, 0, 0) > 0);
        if (input.startsWith("FSN")) {
            QCOMPARE(after, input + before.mid(input.size()));
        } else {
            QCOMPARE(rec.Popis.trimmed(), QStringLiteral("Written by qm07ctl"));
        }
        QVERIFY(r.out.contains("read back and confirmed"));
    }

    // The device goes away in the middle of the write; after a restart the
    // block is a mix, and restore puts the backup back byte for byte.
    void interruptedWriteIsRestored() {
        {
            SimProcess sim;
            startSim(sim, {QStringLiteral("--hang-up-after"), QStringLiteral("40")});
            const Run r = ctl({QStringLiteral("write"), QStringLiteral("--block"),
                               QStringLiteral("0x00"), file("new.img", testing::LayoutImage())});
            QCOMPARE(r.exitCode, 6);
            const QString path = backupPath(r);
            QVERIFY(r.err.contains("got no reply"));
            QVERIFY2(r.err.contains(("The previous contents were saved to " + path).toUtf8()),
                     r.err.constData());
            QCOMPARE(testing::FileBytes(path), DefaultTagImage());
        }
        SimProcess sim;
        startSim(sim, {});
        const QByteArray mixed = dump(QStringLiteral("0x00"));
        QVERIFY(mixed != DefaultTagImage());
        QVERIFY(!mixed.startsWith(testing::LayoutImage()));
        const QString saved = QDir(backups()).entryInfoList(QDir::Files).value(0).filePath();
        const Run r = ctl({QStringLiteral("restore"), saved});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("written: 256 bytes to block 0x00"));
        QCOMPARE(dump(QStringLiteral("0x00")), DefaultTagImage());
        // The restore kept the mixed block too.
        QCOMPARE(testing::FileBytes(backupPath(r)), mixed);
    }

    // A write that fails or does not read back as written: one line with the
    // backup's path, and its own exit code.
    void writeNotConfirmed_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // %1: the backup's path
        QTest::newRow("wrong echo")
            << QStringList{"--wrong-echo", "7"} << 6
            << "qm07ctl: the write of block 0x00 stopped: byte 7 was echoed with another value "
               "[-10007]. The previous contents were saved to %1.\n";
        QTest::newRow("cell keeps another byte")
            << QStringList{"--corrupt-store", "23"} << 7
            << "qm07ctl: The sensor memory does not hold what was written (first difference at "
               "byte 23). The previous contents were saved to %1.\n";
    }
    void writeNotConfirmed() {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, message);
        SimProcess sim;
        startSim(sim, simArgs);
        const Run r = ctl({QStringLiteral("write"), QStringLiteral("--block"),
                           QStringLiteral("0x00"), file("new.img", testing::LayoutImage())});
        QTEST(r.exitCode, "exitCode");
        QCOMPARE(QString::fromUtf8(r.err), message.arg(backupPath(r)));
        QCOMPARE(testing::FileBytes(backupPath(r)), DefaultTagImage());
    }

    void noTagNoWrite() {
        SimProcess sim;
        startSim(sim, {QStringLiteral("--no-itag")});
        const Run r = ctl({QStringLiteral("write"), QStringLiteral("--block"),
                           QStringLiteral("0x00"), file("new.img", testing::LayoutImage())});
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains("reports no iTag: block 0x00 is not written"), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(QDir(backups()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWriteCommands)
#include "test_writecommands.moc"
