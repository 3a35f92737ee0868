// qm07ctl write and restore record what they did in the calibration history,
// which is opened before anything is written; restore --id puts back the
// image from before a recorded write.
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"
#include "support/testdatabases.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace qm;
using Run = qm::testing::CtlRun;

class TestHistoryWrites : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString link() const { return m_dir.filePath(QStringLiteral("qm07r")); }
    QString backups() const { return m_dir.filePath(QStringLiteral("data/QM-07R/backups")); }

    Run ctl(const QStringList& args) {
        return testing::RunCtl(QStringList{"--port", "COM5"} + args, m_dir.path(), link());
    }
    QByteArray tagBlock() {
        const QString out = m_dir.filePath(QStringLiteral("dump.bin"));
        return ctl({"dump", "--block", "0x00", "-o", out}).exitCode == 0 ? testing::FileBytes(out)
                                                                         : QByteArray();
    }
    QJsonArray history() {
        const Run r = ctl({"history", "--serial", "AC04WSK7", "--json"});
        return r.exitCode == 0 ? QJsonDocument::fromJson(r.out).array() : QJsonArray();
    }
    Run writeLayout(const QStringList& options = {}) {
        const QString in = testing::WriteFileBytes(m_dir.filePath("in"), testing::LayoutImage());
        return ctl(QStringList{"write", "--block", "0x00"} + options + QStringList{in});
    }
    void startSim(SimProcess& sim) {
        QString error;
        QVERIFY2(sim.start(link(), {"--state", m_dir.filePath(QStringLiteral("state"))}, &error),
                 qPrintable(error));
    }

  private slots:
    void init() {
        QDir(m_dir.filePath(QStringLiteral("state"))).removeRecursively();
        QDir(m_dir.filePath(QStringLiteral("data"))).removeRecursively();
    }
    void cleanup() { qunsetenv(kDatabaseEnv); }

    // write records the block with its points and backup; restore --id puts
    // the image from before it back and is recorded in its turn.
    void writeAndRestoreAreRecorded_data() { testing::AddBackendRows(); }
    void writeAndRestoreAreRecorded() {
        QFETCH(QString, backend);
        QM_SKIP_WITHOUT_SERVER(backend);
        qputenv(kDatabaseEnv, testing::FreshDatabaseUrl(backend, m_dir).toUtf8());
        SimProcess sim;
        startSim(sim);
        const QByteArray before = tagBlock();
        const Run w = writeLayout();
        QVERIFY2(w.exitCode == 0, w.err.constData());
        QVERIFY(w.out.contains("recorded: #"));
        QJsonArray h = history();
        QCOMPARE(h.size(), 1);
        const QJsonObject rec = h.at(0).toObject();
        QCOMPARE(rec["kind"].toString(), "write");
        QCOMPARE(rec["block"].toString(), "0x00");
        QCOMPARE(rec["result"].toInt(), 1);
        QVERIFY(w.out.startsWith(("backup: " + rec["backupPath"].toString()).toUtf8()));
        QCOMPARE(QByteArray::fromHex(rec["imageBefore"].toString().toLatin1()), before);
        QCOMPARE(QByteArray::fromHex(rec["imageAfter"].toString().toLatin1()),
                 testing::LayoutImage());
        const QJsonArray points = rec["points"].toArray();
        QCOMPARE(points.size(), 3);
        QCOMPARE(points.at(2).toObject()["signal"].toDouble(), 2.0);
        QCOMPARE(points.at(2).toObject()["reference"].toDouble(), 500.0);

        const Run r = ctl({"restore", "--id", QString::number(rec["id"].toInteger())});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(tagBlock(), before);
        const Run all = ctl({"history", "--json"});
        const QJsonObject restored = QJsonDocument::fromJson(all.out).array().at(0).toObject();
        QCOMPARE(restored["kind"].toString(), "restore");
        QCOMPARE(QByteArray::fromHex(restored["imageAfter"].toString().toLatin1()), before);
    }

    // A history that cannot be opened stops the write before the device is
    // touched; --local-history records into the local file instead.
    void unreachableHistoryWritesNothing() {
        qputenv(kDatabaseEnv, "postgresql://nobody@/qm07?host=" +
                                  m_dir.filePath(QStringLiteral("no-server")).toUtf8());
        SimProcess sim;
        startSim(sim);
        const QByteArray before = tagBlock();
        const Run w = writeLayout();
        QCOMPARE(w.exitCode, 8);
        QCOMPARE(tagBlock(), before);
        QVERIFY(!QDir(backups()).exists());
        const Run r = ctl({"restore", "--id", "1"});
        QCOMPARE(r.exitCode, 8);

        const Run local = writeLayout({"--local-history"});
        QVERIFY2(local.exitCode == 0, local.err.constData());
        QVERIFY(local.err.contains("recording into the local file"));
        qunsetenv(kDatabaseEnv);
        QCOMPARE(history().size(), 1);
    }
};

QTEST_MAIN(TestHistoryWrites)
#include "test_historywrites.moc"
