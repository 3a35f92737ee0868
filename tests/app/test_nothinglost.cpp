// Nothing lost at the window: a close waits for the write, a device that
// stops answering is never captured, wide values keep their sign and digits,
// backups come before writes, a write that stopped midway offers the backup
// back, and every write is recorded in the calibration history (opened, or
// the local file agreed to, before anything is written).
#include "windowharness.h"

#include "core/hex.h"
#include "records/databaseurl.h"
#include "records/recordstore.h"
#include "sensor/constantsbackup.h"
#include "support/testdatabases.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

using namespace qm;

namespace {
std::vector<CalibrationRecord> historyAt(const QString& url = LocalDatabaseUrl()) {
    RecordStore store;
    std::vector<CalibrationRecord> out;
    if (store.open(url).ok()) store.history(out);
    return out;
}
} // namespace

class TestNothingLost : public QObject {
    Q_OBJECT
  private slots:
    void init() { qunsetenv(kDatabaseEnv); }

    // Closed halfway through the last write: the window says it is writing
    // and ends only when the block is written, reset and read back.
    void closeDuringWriteWaitsForTheBlock() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        h.clock.setRunsEvents(true);
        int writesAtEnd = -1;
        QString status;
        connect(&w, &MainWindow::programEnded, [&] { writesAtEnd = h.blockWritesSent(); });
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (h.blockWritesSent() < 60 || !status.isEmpty()) return;
            status = h.text("lblStatus");
            w.close();
        });
        closer.start(0);
        h.sent.clear();
        h.clickNext();
        const int percent = status.section(u' ', -2, -2).toInt();
        QVERIFY2(status.startsWith(h.lang(52)) && percent > 0 && percent < 100, qPrintable(status));
        QCOMPARE(writesAtEnd, h.blockWritesSent());
        QVERIFY(h.sent.requests().lastIndexOf("$00X") > h.sent.requests().lastIndexOf("$00KB00"));
        QCOMPARE(h.messages.texts().value(0).section(u'\n', 0, 0), h.lang(56));
        QVERIFY(w.ended() && !w.isVisible());
    }

    // A device that stops answering, or whose reply breaks the relation of
    // count and signal, shows "-----" everywhere and cannot be captured.
    void noReadingIsNeverCaptured() {
        for (const bool silent : {true, false}) {
            WindowHarness h;
            MainWindow& w = h.openAt(3);
            w.liveTimer().stop();
            h.showSignal(1.0);
            QCOMPARE(h.text("lblSignal"), QStringLiteral("   1.0000"));
            QByteArray memory = h.device.memory(); // k doubled behind the window's back
            memory.replace(0x94, 4, SingleBytes(9.295202E-07f));
            silent ? h.device.setFaults({.silentAfter = h.device.requestCount()})
                   : h.device.setMemory(memory);
            h.showSignal(1.0);
            for (const char* label : {"lblSignal", "lblSignalDIV", "lblSignalDISP"})
                QCOMPARE(h.text(label), QStringLiteral("-----"));
            bool dialogShown = false;
            QTimer::singleShot(0, &w.referenceDialog(), [&] {
                dialogShown = w.referenceDialog().isVisible();
                if (dialogShown) w.referenceDialog().reject();
            });
            const int points = w.curve().pointCount();
            h.messages.clear();
            QTest::keyClick(&w, Qt::Key_F5);
            QVERIFY(!dialogShown);
            QCOMPARE(h.messages.texts(), QStringList{h.lang(kTextNoReading)});
            QCOMPARE(w.curve().pointCount(), points);
        }
    }

    // Edit + OK untouched keeps the value bit for bit although the mask shows
    // fewer digits.
    void valuesKeepSignDigitsAndBits() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        h.capture(0.75, QStringLiteral("-0,1234567"));
        auto* list = h.child<QListWidget>("lstKrivka");
        const int row = w.curve().FindSignal(0.75);
        QCOMPARE(w.curve().pointAt(row).value, double(-0.1234567f));
        list->setCurrentRow(row - 1);
        QTimer::singleShot(
            0, &w, [&] { QTest::keyClick(w.referenceDialog().pointField(1), Qt::Key_Return); });
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(row - 1)).center());
        QCOMPARE(w.curve().pointAt(row).value, double(-0.1234567f));
        QVERIFY(list->item(row - 1)->text().endsWith(u"-0.12"));
    }

    // A write that stops midway says so in words, names the backup and puts
    // it back on Yes: the block then holds the backup, checked, and both
    // writes are in the history, the restore newest and confirmed.
    void failedWriteOffersTheBackup() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        h.device.setFaults({.wrongEchoAt = 50});
        h.messages.setOnShow([&](const Message& m) {
            if (m.buttons & MsgYes) h.device.setFaults(SimFaults()); // the line is good again
        });
        h.messages.clear();
        h.clickNext();
        QVERIFY(w.ended());
        QCOMPARE(h.messages.count(), 2);
        const Message& asked = h.messages.shown().first();
        const QStringList backups = QDir(h.backupFolder()).entryList({"*.bin"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        const QString path = QDir(h.backupFolder()).filePath(backups.first());
        QVERIFY(asked.text.contains(h.lang(kTextWriteStopped).arg(50).arg(h.lang(kTextWrongEcho))));
        QVERIFY(asked.text.contains(path));
        QCOMPARE(asked.defaultButton, MsgYes);
        QCOMPARE(h.messages.last().text, h.lang(kTextRestored));
        QCOMPARE(h.device.block(DeviceModel::kTagBlock), testing::FileBytes(path));
        const std::vector<CalibrationRecord> history = historyAt();
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(history[0].kind, RecordKind::Restore);
        QCOMPARE(history[0].result, 1);
        QCOMPARE(history[0].imageAfter, testing::FileBytes(path).left(kBlockBytes));
        QVERIFY(history[1].result < 0);
    }

    // Esc, Cancel and Back with captured points not stored ask first, No the
    // default; on the sensor page Esc and Cancel end at once and close the port.
    void leavingAsksOnlyForUnstoredPoints() {
        for (const auto& [how, points] : {std::pair{"esc", true},
                                          {"cmdCancel", true},
                                          {"cmdBack", true},
                                          {"esc", false},
                                          {"cmdCancel", false}}) {
            WindowHarness h;
            MainWindow& w = h.openAt(points ? 3 : 2);
            const bool esc = qstrcmp(how, "esc") == 0;
            auto leave = [&] { esc ? QTest::keyClick(&w, Qt::Key_Escape) : h.click(how); };
            if (points) {
                w.liveTimer().stop();
                h.capture(0.75, QStringLiteral("7"));
                h.messages.clear();
                leave(); // answered with the default
                QCOMPARE(h.messages.texts(), QStringList{h.lang(kTextDiscardPoints)});
                QCOMPARE(h.messages.last().defaultButton, MsgNo);
                QVERIFY(!w.ended());
                h.expectPage(kCurvePage);
                h.messages.answerYes();
            }
            leave();
            if (qstrcmp(how, "cmdBack") == 0)
                QCOMPARE(w.wizardStep(), WizardStep::Sensor);
            else
                QVERIFY(w.ended() && !w.serial().isOpen() && !w.isVisible());
        }
    }

    // Zápis asks first and saves N and k as the device held them; the file
    // puts them back.
    void constantsAreBackedUpBeforeZapis() {
        WindowHarness h;
        MainWindow& w = h.openAt(3, QStringLiteral("savant"));
        const QByteArray before = h.device.memory().mid(0x90, 8);
        h.child<QLineEdit>("txtskK")->setText(QStringLiteral("0,002"));
        h.child<QLineEdit>("txtskN")->setText(QStringLiteral("100"));
        h.messages.clear();
        h.click("cmdSKSave"); // the default answer: No
        QCOMPARE(h.messages.last().defaultButton, MsgNo);
        QCOMPARE(h.device.memory().mid(0x90, 8), before);
        h.messages.answerYes();
        h.click("cmdSKSave");
        QCOMPARE(h.device.memory().mid(0x94, 4), SingleBytes(0.002f));
        const QStringList files = QDir(h.backupFolder()).entryList({"device-90-*.bin"});
        QCOMPARE(files.size(), 1);
        const QString path = QDir(h.backupFolder()).filePath(files.first());
        QCOMPARE(testing::FileBytes(path), before);
        QVERIFY(h.messages.last().text.contains(path));
        QCOMPARE(RestoreConstants(w.serial(), testing::FileBytes(path)), 0);
        QCOMPARE(h.device.memory().mid(0x90, 8), before);
    }

    // No backup in the data folder: without another folder nothing is
    // written and the curve page stays; a picked folder takes the backup.
    void noBackupFolder() {
        for (const QString& picked : {QString(), QDir::tempPath()}) {
            WindowHarness h;
            MainWindow& w = h.openAt(3);
            h.blockDataFolder();
            const QByteArray before = h.device.block(DeviceModel::kTagBlock);
            h.messages.clear();
            if (!picked.isEmpty()) {
                h.messages.answerYes();
                h.files.answers << picked;
            }
            h.clickNext();
            h.unblockDataFolder();
            QCOMPARE(w.ended(), !picked.isEmpty());
            QVERIFY(h.messages.shown().first().text.startsWith(
                h.lang(kTextNoBackup).section(u'(', 0, 0)));
            const std::vector<CalibrationRecord> all = historyAt();
            QCOMPARE(all.size(), size_t(!picked.isEmpty()));
            if (picked.isEmpty()) {
                QCOMPARE(h.device.block(DeviceModel::kTagBlock), before);
                h.expectPage(kCurvePage);
                continue;
            }
            QCOMPARE(QFileInfo(all.front().backupPath).absolutePath(), picked);
            QCOMPARE(testing::FileBytes(all.front().backupPath), before);
            QFile::remove(all.front().backupPath);
        }
    }

    // With its points, spread, backup and operator fields.
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
        h.clickNext();
        QVERIFY(w.ended());
        const std::vector<CalibrationRecord> all = historyAt(url);
        QCOMPARE(all.size(), size_t(1));
        const CalibrationRecord& r = all.front();
        QCOMPARE(r.operatorName, "J. Novák");
        QCOMPARE(r.imageBefore, testing::FileBytes(r.backupPath));
        QCOMPARE(int(r.points.size()), w.curve().pointCount());
        QCOMPARE(r.points.at(1).reference, 375.0);
        QVERIFY(r.points.at(1).spread && !r.points.at(0).spread && r.nonLinearity);
    }

    // The history is away: No writes nothing, Yes records into the local file.
    void unreachableHistoryIsOffered() {
        for (const bool recordLocally : {false, true}) {
            WindowHarness h;
            h.settings.setValue("Database", "Url", "postgresql://x@/qm07?host=" + h.dir.path());
            MainWindow& w = h.openAt(2);
            if (recordLocally) h.messages.answerYes();
            h.clickNext();
            QVERIFY(h.messages.texts().join(u'\n').contains(LocalDatabaseUrl()));
            if (recordLocally) h.clickNext();
            QCOMPARE(w.ended(), recordLocally);
            QCOMPARE(h.blockWritesSent() > 0, recordLocally);
            QCOMPARE(historyAt().size(), size_t(recordLocally));
        }
    }
};

QTEST_MAIN(TestNothingLost)
#include "test_nothinglost.moc"
