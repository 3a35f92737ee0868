// The window records its writes in the calibration history: a calibration
// with its points and backup, the history opened (or the local file agreed
// to) before anything is written, another folder when no backup can be made.
#include "windowharness.h"

#include "records/recordstore.h"
#include "support/files.h"
#include "support/testdatabases.h"

#include <QLineEdit>
#include <QtTest>

using namespace qm;

namespace {

std::vector<CalibrationRecord> historyAt(const QString& url) {
    RecordStore store;
    std::vector<CalibrationRecord> out;
    if (store.open(url).ok()) store.history(out);
    return out;
}

} // namespace

class TestRecordedWrites : public QObject {
    Q_OBJECT
  private slots:
    void init() { qunsetenv(kDatabaseEnv); }

    // With its points, spread, backup and operator fields; the certificate
    // goes where the dialog says; the sensor page then shows the date.
    void calibrationIsRecorded_data() { testing::AddBackendRows(); }
    void calibrationIsRecorded() {
        QFETCH(QString, backend);
        QM_SKIP_WITHOUT_SERVER(backend);
        WindowHarness h;
        const QString url = testing::FreshDatabaseUrl(backend, h.dir);
        h.settings.setValue("Database", "Url", url);
        MainWindow& w = h.openAt(2);
        h.child<QLineEdit>("txtOperator")->setText("J. Novák");
        h.clickNext();
        h.capture(1.5, "375");
        const QString pdf = h.dir.filePath("certificate.pdf");
        h.files.answers << pdf;
        h.clickNext();
        QVERIFY(w.ended());

        const std::vector<CalibrationRecord> all = historyAt(url);
        QCOMPARE(all.size(), size_t(1));
        const CalibrationRecord& r = all.front();
        QCOMPARE(r.kind, RecordKind::Calibration);
        QCOMPARE(r.operatorName, "J. Novák");
        QCOMPARE(r.imageBefore, testing::FileBytes(r.backupPath));
        QCOMPARE(int(r.points.size()), w.curve().pointCount());
        QCOMPARE(r.points.at(1).reference, 375.0);
        QVERIFY(r.points.at(1).spread && !r.points.at(0).spread && r.nonLinearity);
        QVERIFY(h.files.proposed.last().endsWith(r.certificateNo + ".pdf"));
        QVERIFY(testing::FileBytes(pdf).startsWith("%PDF"));

        h.openAt(2);
        QVERIFY(h.text("lblLastCalibration").contains(r.certificateNo));
    }

    // The history is away: No writes nothing, Yes records into the local file.
    void unreachableHistoryIsOffered_data() {
        QTest::addColumn<bool>("recordLocally");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void unreachableHistoryIsOffered() {
        QFETCH(bool, recordLocally);
        WindowHarness h;
        h.settings.setValue("Database", "Url", "postgresql://x@/qm07?host=" + h.dir.path());
        MainWindow& w = h.openAt(2);
        if (recordLocally) h.messages.answerYes();
        h.clickNext();
        QVERIFY(h.messages.texts().join(u'\n').contains(LocalDatabaseUrl()));
        if (recordLocally) h.clickNext();
        QCOMPARE(w.ended(), recordLocally);
        QCOMPARE(h.blockWritesSent() > 0, recordLocally);
        QCOMPARE(historyAt(LocalDatabaseUrl()).size(), size_t(recordLocally));
    }

    // No backup in the data folder: a folder not picked writes nothing and
    // keeps the curve; a picked one takes the backup.
    void anotherBackupFolder_data() {
        QTest::addColumn<QString>("picked");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("picked") << QDir::tempPath();
    }
    void anotherBackupFolder() {
        QFETCH(QString, picked);
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        h.blockDataFolder();
        const QByteArray before = h.device.block(DeviceModel::kTagBlock);
        h.messages.answerYes();
        h.files.answers << picked;
        h.clickNext();
        h.unblockDataFolder();
        QCOMPARE(w.ended(), !picked.isEmpty());
        const std::vector<CalibrationRecord> all = historyAt(LocalDatabaseUrl());
        QCOMPARE(all.size(), size_t(!picked.isEmpty()));
        if (picked.isEmpty()) {
            QCOMPARE(h.device.block(DeviceModel::kTagBlock), before);
            return;
        }
        QCOMPARE(QFileInfo(all.front().backupPath).absolutePath(), picked);
        QCOMPARE(testing::FileBytes(all.front().backupPath), before);
        QFile::remove(all.front().backupPath);
    }
};

QTEST_MAIN(TestRecordedWrites)
#include "test_recordedwrites.moc"
