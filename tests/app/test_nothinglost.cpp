// Nothing lost at the window: a close waits for the write, a device that
// stops answering is never captured, wide values keep their sign and digits,
// a write that stopped midway offers the backup back.
#include "windowharness.h"

#include "calibration/curvepage.h"
#include "calibration/referencedialog.h"
#include "core/hex.h"
#include "core/numformat.h"
#include "records/databaseurl.h"
#include "records/recordstore.h"
#include "sensor/constantsbackup.h"
#include "support/files.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestNothingLost : public QObject {
    Q_OBJECT
  private slots:
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
    void noReadingIsNeverCaptured_data() {
        QTest::addColumn<bool>("silent");
        QTest::newRow("unplugged") << true;
        QTest::newRow("count and signal disagree") << false;
    }
    void noReadingIsNeverCaptured() {
        QFETCH(bool, silent);
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        h.showSignal(1.0);
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   1.0000"));
        if (silent) {
            h.device.setFaults({.silentAfter = h.device.requestCount()});
        } else {
            QByteArray memory = h.device.memory(); // k doubled behind the window's back
            memory.replace(0x94, 4, SingleBytes(9.295202E-07f));
            h.device.setMemory(memory);
        }
        h.tick();
        h.tick();
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
    // it back on Yes: the block then holds the backup, checked.
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
        // Both writes are in the history, the restore newest and confirmed.
        RecordStore store;
        std::vector<CalibrationRecord> history;
        QVERIFY(store.open(LocalDatabaseUrl()).ok() && store.history(history).ok());
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(history[0].kind, RecordKind::Restore);
        QCOMPARE(history[0].result, 1);
        QCOMPARE(history[0].imageAfter, testing::FileBytes(path).left(kBlockBytes));
        QVERIFY(history[1].result < 0);
    }

    // Esc, Cancel and Back with captured points not stored ask first, No the
    // default; on the sensor page Esc and Cancel end at once and close the port.
    void leavingAsksOnlyForUnstoredPoints_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("points");
        QTest::newRow("Esc") << "esc" << true;
        QTest::newRow("Cancel") << "cmdCancel" << true;
        QTest::newRow("Back") << "cmdBack" << true;
        QTest::newRow("Esc, sensor page") << "esc" << false;
        QTest::newRow("Cancel, sensor page") << "cmdCancel" << false;
    }
    void leavingAsksOnlyForUnstoredPoints() {
        QFETCH(QString, how);
        QFETCH(bool, points);
        WindowHarness h;
        MainWindow& w = h.openAt(points ? 3 : 2);
        auto leave = [&] {
            how == "esc" ? QTest::keyClick(&w, Qt::Key_Escape) : h.click(qPrintable(how));
        };
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
        QSignalSpy ended(&w, &MainWindow::programEnded);
        leave();
        if (how == "cmdBack") {
            QCOMPARE(w.wizardStep(), WizardStep::Sensor);
        } else {
            QCOMPARE(ended.count(), 1);
            QVERIFY(!w.serial().isOpen() && !w.isVisible());
        }
    }

    // Zápis asks first and saves N and k as the device held them; the file
    // puts them back.
    void constantsAreBackedUpBeforeZapis() {
        WindowHarness h;
        MainWindow& w = h.openAt(3, QStringLiteral("savant"));
        auto* n = h.child<QLineEdit>("txtskN");
        auto* k = h.child<QLineEdit>("txtskK");
        const QByteArray before = h.device.memory().mid(0x90, 8);
        k->setText(QStringLiteral("0,002"));
        n->setText(QStringLiteral("100"));
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

    // No folder for the backup: nothing is written, the curve page stays.
    void noBackupFolderKeepsTheCurve() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        h.blockDataFolder();
        const QByteArray before = h.device.block(DeviceModel::kTagBlock);
        h.messages.clear();
        h.clickNext();
        QVERIFY(!w.ended());
        h.expectPage(kCurvePage);
        QCOMPARE(h.messages.count(), 1);
        QVERIFY(h.messages.last().text.startsWith(h.lang(kTextNoBackup).section(u'(', 0, 0)));
        QCOMPARE(h.device.block(DeviceModel::kTagBlock), before);
        h.unblockDataFolder();
        h.clickNext();
        QVERIFY(w.ended());
    }
};

QTEST_MAIN(TestNothingLost)
#include "test_nothinglost.moc"
