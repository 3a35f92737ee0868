// qm07ctl write and restore against qm07r-sim on a pty (its state folder
// outlives a restart): exit codes, messages, and backups that undo a write.
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

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

    // A failed write says so in one line with the backup's path and an exit
    // code of its own; the block as it stood is in the backup. (A confirmed
    // write is the signal test's.)
    void write_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // the end of stderr; %1: the backup's path
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
        QCOMPARE(r.err.count('\n'), 1);
        const QStringList files = QDir(backups()).entryList(QDir::Files);
        QCOMPARE(files.size(), exitCode == 3 ? 0 : 1);
        if (files.isEmpty()) return;
        QVERIFY(files[0].startsWith("26010101-00-") && backupPath(r).endsWith(files[0]));
        QCOMPARE(testing::FileBytes(backupPath(r)), before);
    }

    // A device that stops answering is named as such, with the exchange that
    // went unanswered; nothing it did not say is printed as read.
    void silentDevice() {
        const QString in = testing::WriteFileBytes(m_dir.filePath("in"), testing::LayoutImage());
        const QStringList read{"read"}, live{"live", "--count", "30"};
        // requests answered (the connect step's two included), the exchange named
        const std::tuple<QStringList, int, QByteArray> cases[] = {
            {read, 3, "the display digits (ER 20)"},
            {read, 12, "the iTag query (KQ)"},
            {read, 13, "block 0x80 (KB)"},
            {{"write", "--block", "0x00", in}, 12, "the iTag query (KQ)"},
            {live, 2, "the zero count N (ER 90)"},
            {live, 2 + 8, "the live measurement (MK)"}};
        for (const auto& [args, silentAfter, exchange] : cases) {
            SimProcess sim;
            startSim(sim, {"--silent-after", QString::number(silentAfter)});
            const Run r = ctl(args);
            QCOMPARE(r.exitCode, 4);
            QVERIFY2(r.err.contains(exchange), r.err.constData());
            QVERIFY(!r.out.contains("\"N\""));
        }
    }

    // Only bytes from the device after the reset confirm a write: content
    // equal to what is stored, and the line lost right after identifying.
    void readBackMissing() {
        SimProcess sim;
        // connect 2, read 13, backup 1, the 256 bytes, reset and identification
        startSim(sim, {"--hang-up-after", QString::number(2 + 13 + 1 + 256 + 2)});
        const Run r = writeImage("0x00", DefaultTagImage());
        QCOMPARE(r.exitCode, 7);
        QVERIFY2(r.err.contains("could not be read back"), r.err.constData());
    }

    // The settings and the environment, judged before the device is used.
    void setup() {
        SimProcess sim;
        startSim(sim, {});
        const QString conf = m_dir.filePath("config/QM-07R/QM-07R.conf");
        QDir().mkpath(QFileInfo(conf).path());
        const QString in = testing::WriteFileBytes(m_dir.filePath("in"), testing::LayoutImage());
        const std::tuple<QStringList, QByteArray, int, QByteArray> cases[] = {
            {{"HOME", "XDG_DATA_HOME"}, {}, 8, "no data folder"},
            {{}, "[Default]\nComPort=abc\n", 2, "stored port setting ComPort=\"abc\""}};
        for (const auto& [unset, settings, exitCode, message] : cases) {
            QFile::remove(conf);
            if (!settings.isEmpty()) testing::WriteFileBytes(conf, settings);
            const QStringList port =
                settings.isEmpty() ? QStringList{"--port", "COM5"} : QStringList{};
            const Run r = testing::RunCtl(port + QStringList{"write", "--block", "0x00", in},
                                          m_dir.path(), link(), 5, unset);
            QFile::remove(conf);
            QCOMPARE(r.exitCode, exitCode);
            QVERIFY2(r.err.contains(message), r.err.constData());
            QCOMPARE(dump("0x00"), DefaultTagImage());
        }
    }

    // SIGINT, then SIGTERM during the write: both wait for the block and its
    // read-back; the first decides the exit code. The bytes behind the short
    // image keep what they held.
    void signalsDuringWrite() {
        SimProcess sim;
        startSim(sim, {});
        const QByteArray before = dump("0x00");
        QProcess p;
        p.setProcessEnvironment(testing::CtlEnvironment(m_dir.path(), link()));
        p.start(QStringLiteral(QM07CTL_PATH),
                {"--port", "COM5", "write", "--block", "0x00",
                 testing::WriteFileBytes(m_dir.filePath("in"), testing::LayoutImage())});
        QByteArray out;
        while (!out.contains('\n') && p.waitForReadyRead(10000))
            out += p.readAllStandardOutput();
        QVERIFY(out.startsWith("backup: "));
        for (const int signal : {SIGINT, SIGTERM}) {
            QThread::msleep(300); // into the write, which takes seconds
            ::kill(pid_t(p.processId()), signal);
        }
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + SIGINT);
        QVERIFY(p.readAllStandardOutput().contains("read back and confirmed"));
        const QByteArray image = testing::LayoutImage();
        QCOMPARE(dump("0x00"), image + before.mid(image.size()));
    }
};

QTEST_GUILESS_MAIN(TestWriteCommands)
#include "test_writecommands.moc"
