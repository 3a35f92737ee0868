// qm07ctl write and restore against qm07r-sim on a pty: the exit codes and
// messages scripts rely on, and a backup that puts an interrupted write right
// after a restart. Each test starts its own simulator on a state folder that
// outlives a restart; the write logic itself is proved on virtual time.
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"

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

    Run ctl(const QStringList& args, const QString& port = QStringLiteral("COM5")) {
        return testing::RunCtl(QStringList{"--port", port} + args, m_dir.path(), link());
    }

    Run writeImage(const QString& block, const QByteArray& input) {
        return ctl(
            {"write", "--block", block, testing::WriteFileBytes(m_dir.filePath("in"), input)});
    }

    QByteArray dump(const QString& block) {
        const QString out = m_dir.filePath(QStringLiteral("dump.bin"));
        return ctl({"dump", "--block", block, "-o", out}).exitCode == 0 ? testing::FileBytes(out)
                                                                        : QByteArray();
    }

    void startSim(SimProcess& sim, const QStringList& args) {
        QString error;
        QVERIFY2(sim.start(link(), QStringList{"--state", state()} + args, &error),
                 qPrintable(error));
    }

  private slots:
    void init() {
        QDir(state()).removeRecursively();
        QDir(backups()).removeRecursively();
    }

    // The device goes away in the middle of the write; after a restart the
    // block is a mix, and restore puts the backup back byte for byte.
    void interruptedWriteIsRestored() {
        {
            SimProcess sim;
            startSim(sim, {"--hang-up-after", "40"});
            const Run r = writeImage("0x00", testing::LayoutImage());
            QCOMPARE(r.exitCode, 6);
            QVERIFY(r.err.contains("got no reply"));
            QVERIFY2(
                r.err.contains(("The previous contents were saved to " + backupPath(r)).toUtf8()),
                r.err.constData());
        }
        SimProcess sim;
        startSim(sim, {});
        const QByteArray mixed = dump("0x00");
        QVERIFY(mixed != DefaultTagImage());
        QVERIFY(!mixed.startsWith(testing::LayoutImage()));
        const QString saved = QDir(backups()).entryInfoList(QDir::Files).value(0).filePath();
        const Run r = ctl({"restore", saved});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("written: 256 bytes to block 0x00"));
        QCOMPARE(dump("0x00"), DefaultTagImage());
        QCOMPARE(testing::FileBytes(backupPath(r)), mixed); // the restore backed up the mix
    }

    // Exit 0 only when the read-back agrees; otherwise one line with the
    // backup's path and an exit code of its own. The block as it stood is in
    // the backup; the bytes behind the short image keep what they held.
    void write_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // the end of stderr; %1: the backup's path
        QTest::newRow("confirmed") << QStringList{} << 0 << "";
        QTest::newRow("wrong echo")
            << QStringList{"--wrong-echo", "7"} << 6
            << "qm07ctl: the write of block 0x00 stopped: byte 7 was echoed with another value "
               "[-10007]. The previous contents were saved to %1.\n";
        QTest::newRow("cell keeps another byte")
            << QStringList{"--corrupt-store", "23"} << 7
            << "qm07ctl: The sensor memory does not hold what was written (first difference at "
               "byte 23). The previous contents were saved to %1.\n";
        QTest::newRow("no iTag") << QStringList{"--no-itag"} << 3
                                 << "reports no iTag: block 0x00 is not written\n";
    }
    void write() {
        QFETCH(QStringList, simArgs);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        SimProcess sim;
        startSim(sim, simArgs);
        const QByteArray before = dump("0x00");
        const Run r = writeImage("0x00", testing::LayoutImage());
        QCOMPARE(r.exitCode, exitCode);
        message.replace("%1", backupPath(r));
        QCOMPARE(QString::fromUtf8(r.err).right(message.size()), message);
        QCOMPARE(r.err.count('\n'), exitCode ? 1 : 0);
        const QStringList files = QDir(backups()).entryList(QDir::Files);
        QCOMPARE(files.size(), exitCode == 3 ? 0 : 1);
        if (files.isEmpty()) return;
        QVERIFY(files[0].startsWith("26010101-00-") && backupPath(r).endsWith(files[0]));
        QCOMPARE(testing::FileBytes(backupPath(r)), before);
        if (exitCode == 0)
            QCOMPARE(dump("0x00"),
                     testing::LayoutImage() + before.mid(testing::LayoutImage().size()));
    }
};

QTEST_GUILESS_MAIN(TestWriteCommands)
#include "test_writecommands.moc"
