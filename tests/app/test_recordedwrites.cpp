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

int writesSent(const WindowHarness& h) {
    int n = 0;
    for (const QByteArray& r : h.sent.requests())
        n += r.startsWith("$00KW");
    return n;
}

} // namespace

class TestRecordedWrites : public QObject {
    Q_OBJECT
  private slots:
    void init() { qunsetenv(kDatabaseEnv); }

    // A calibration goes into the history with its points, the backup and
    // the operator fields; its certificate is saved where the dialog says;
    // the next read of that sensor shows the date.
    void calibrationIsRecorded_data() { testing::AddBackendRows(); }
    void calibrationIsRecorded() {
        QFETCH(QString, backend);
        QM_SKIP_WITHOUT_SERVER(backend);
        WindowHarness h;
        h.useShippedLanguage();
        const QString url = testing::FreshDatabaseUrl(backend, h.dir);
        h.settings.setValue(QStringLiteral("Database"), QStringLiteral("Url"), url);
        MainWindow& w = h.openAt(2);
        h.child<QLineEdit>("txtOperator")->setText(QStringLiteral("J. Novák"));
        h.child<QLineEdit>("txtReferenceStandard")->setText(QStringLiteral("HBM Z4A 500 kg"));
        h.clickNext();
        h.capture(1.5, QStringLiteral("375"));
        const QString pdf = h.dir.filePath(QStringLiteral("certificate.pdf"));
        h.files.answer(pdf);
        h.clickNext();
        QVERIFY(w.ended());

        const std::vector<CalibrationRecord> all = historyAt(url);
        QCOMPARE(all.size(), size_t(1));
        const CalibrationRecord& r = all.front();
        QCOMPARE(r.kind, RecordKind::Calibration);
        QCOMPARE(r.result, 1);
        QCOMPARE(r.operatorName, QStringLiteral("J. Novák"));
        QCOMPARE(r.referenceStandard, QStringLiteral("HBM Z4A 500 kg"));
        QCOMPARE(r.serialNo, w.session().CurrentRecord.SerialNo.trimmed());
        QCOMPARE(r.imageBefore, testing::FileBytes(r.backupPath));
        QCOMPARE(r.imageAfter, h.device.block(DeviceModel::kTagBlock).left(r.imageAfter.size()));
        QCOMPARE(int(r.points.size()), w.curve().pointCount());
        bool captured = false;
        for (int i = 0; i < w.curve().pointCount(); ++i) {
            QCOMPARE(r.points[i].signal, double(float(w.curve().pointAt(i + 1).signal)));
            QCOMPARE(r.points[i].reference, double(float(w.curve().pointAt(i + 1).value)));
            captured |= r.points[i].reference == 375 && r.points[i].spread.has_value();
        }
        QVERIFY(captured);
        QVERIFY(r.nonLinearity.has_value());
        QVERIFY(!h.messages.texts().filter(r.certificateNo).isEmpty());
        QCOMPARE(h.messages.last().text, h.lang(kTextCertificateSaved).arg(pdf));
        QVERIFY(h.files.proposed().last().endsWith(r.certificateNo + ".pdf"));
        QVERIFY(testing::FileBytes(pdf).startsWith("%PDF"));

        h.openAt(2);
        QVERIFY(h.text("lblLastCalibration").contains(r.certificateNo));
    }

    // The configured history cannot be reached: the window asks before
    // writing; No writes nothing, Yes records into the local file.
    void unreachableHistoryIsOffered_data() {
        QTest::addColumn<bool>("recordLocally");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void unreachableHistoryIsOffered() {
        QFETCH(bool, recordLocally);
        WindowHarness h;
        h.useShippedLanguage();
        h.settings.setValue(QStringLiteral("Database"), QStringLiteral("Url"),
                            "postgresql://nobody@/qm07?host=" + h.dir.filePath("no-server"));
        MainWindow& w = h.openAt(2);
        h.messages.clear();
        if (recordLocally) h.messages.answerYes();
        h.clickNext();
        QCOMPARE(h.messages.count() >= 1, true);
        QVERIFY(h.messages.shown().first().text.contains(LocalDatabaseUrl()));
        QCOMPARE(h.messages.shown().first().defaultButton, MsgNo);
        if (!recordLocally) {
            QCOMPARE(w.wizardStep(), WizardStep::Sensor);
            QCOMPARE(writesSent(h), 0);
            QVERIFY(historyAt(LocalDatabaseUrl()).empty());
            return;
        }
        h.clickNext();
        QVERIFY(w.ended());
        const std::vector<CalibrationRecord> local = historyAt(LocalDatabaseUrl());
        QCOMPARE(local.size(), size_t(1));
        QCOMPARE(local.front().kind, RecordKind::Calibration);
    }

    // No backup in the usual folder: another folder may be picked; cancelled,
    // nothing is written and the curve stays; picked, the write goes on with
    // the backup there.
    void anotherBackupFolder_data() {
        QTest::addColumn<bool>("pick");
        QTest::newRow("cancelled") << false;
        QTest::newRow("picked") << true;
    }
    void anotherBackupFolder() {
        QFETCH(bool, pick);
        WindowHarness h;
        h.useShippedLanguage();
        MainWindow& w = h.openAt(3);
        const QString blocker = testing::WriteFileBytes(h.dir.filePath("file"), "x");
        qputenv("XDG_DATA_HOME", (blocker + "/data").toLocal8Bit());
        const QByteArray before = h.device.block(DeviceModel::kTagBlock);
        const QString elsewhere = h.dir.filePath(QStringLiteral("stick"));
        QDir().mkpath(elsewhere);
        h.messages.clear();
        h.messages.answerYes();
        h.files.answer(pick ? elsewhere : QString());
        h.clickNext();
        QCOMPARE(h.messages.shown().first().buttons, MsgYes | MsgRetry | MsgCancel);
        qputenv("XDG_DATA_HOME", h.dir.filePath(QStringLiteral("data")).toLocal8Bit());
        const std::vector<CalibrationRecord> all = historyAt(LocalDatabaseUrl());
        if (!pick) {
            QVERIFY(!w.ended());
            h.expectPage(kCurvePage);
            QCOMPARE(h.device.block(DeviceModel::kTagBlock), before);
            QVERIFY(all.empty());
            return;
        }
        QVERIFY(w.ended());
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(QFileInfo(all.front().backupPath).absolutePath(), elsewhere);
        QCOMPARE(testing::FileBytes(all.front().backupPath), before);
    }
};

QTEST_MAIN(TestRecordedWrites)
#include "test_recordedwrites.moc"
