// qm07ctl write and restore record what they did in the calibration history,
// opened before anything is written; restore --id puts back the image from
// before a recorded write.
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

class TestHistoryWrites : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    SimProcess m_sim;

    testing::CtlRun ctl(const QStringList& args) {
        return testing::RunCtl(QStringList{"--port", "COM5"} + args, m_dir.path(),
                               m_dir.filePath("qm07r"));
    }
    QByteArray tagBlock() {
        ctl({"dump", "--block", "0x00", "-o", m_dir.filePath("dump.bin")});
        return testing::FileBytes(m_dir.filePath("dump.bin"));
    }
    QJsonObject newest() {
        return QJsonDocument::fromJson(ctl({"history", "--json"}).out).array().at(0).toObject();
    }
    int writeLayout(const QString& option = "--block=0x00") {
        testing::WriteFileBytes(m_dir.filePath("in"), testing::LayoutImage());
        return ctl({"write", "--block", "0x00", option, m_dir.filePath("in")}).exitCode;
    }

  private slots:
    void init() {
        QDir(m_dir.filePath("data")).removeRecursively();
        QVERIFY(m_sim.start(m_dir.filePath("qm07r"), {}, nullptr));
    }
    void cleanup() {
        m_sim.stop();
        qunsetenv(kDatabaseEnv);
    }

    void writeAndRestoreAreRecorded_data() { testing::AddBackendRows(); }
    void writeAndRestoreAreRecorded() {
        QFETCH(QString, backend);
        QM_SKIP_WITHOUT_SERVER(backend);
        qputenv(kDatabaseEnv, testing::FreshDatabaseUrl(backend, m_dir).toUtf8());
        const QByteArray before = tagBlock();
        QCOMPARE(writeLayout(), 0);
        const QJsonObject w = newest();
        QCOMPARE(w["kind"].toString(), "write");
        QCOMPARE(testing::FileBytes(w["backupPath"].toString()), before);
        QCOMPARE(QByteArray::fromHex(w["imageBefore"].toString().toLatin1()), before);
        QCOMPARE(w["points"].toArray().at(2).toObject()["reference"].toDouble(), 500.0);
        QCOMPARE(ctl({"restore", "--id", QString::number(w["id"].toInteger())}).exitCode, 0);
        QCOMPARE(tagBlock(), before);
        QCOMPARE(newest()["kind"].toString(), "restore");
    }

    // Nothing reaches the device while the history is away, unless the
    // local file is asked for.
    void unreachableHistoryWritesNothing() {
        qputenv(kDatabaseEnv, "postgresql://nobody@/qm07?host=" + m_dir.filePath("none").toUtf8());
        const QByteArray before = tagBlock();
        QCOMPARE(writeLayout(), 8);
        QCOMPARE(ctl({"restore", "--id", "1"}).exitCode, 8);
        QCOMPARE(tagBlock(), before);
        QVERIFY(!QDir(m_dir.filePath("data/QM-07R/backups")).exists());
        QCOMPARE(writeLayout("--local-history"), 0);
        qunsetenv(kDatabaseEnv);
        QCOMPARE(newest()["kind"].toString(), "write");
    }
};

QTEST_MAIN(TestHistoryWrites)
#include "test_historywrites.moc"
