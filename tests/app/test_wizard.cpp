// The wizard against the in-process simulated QM-07R on the virtual clock.
#include "windowharness.h"

#include "core/hex.h"
#include "core/numformat.h"
#include "support/files.h"
#include "support/layoutimage.h"

#include "core/langtable.h"
#include "sensor/imagecodec.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestWizard : public QObject {
    Q_OBJECT
  private slots:
    // Each page's buttons; Back from the curve page connects and reads afresh.
    // The live display on the closed port sends nothing.
    void forwardAndBackThroughThePages() {
        WindowHarness h;
        MainWindow& w = h.open();
        h.tick();
        QCOMPARE(h.device.requestCount(), 0);
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        h.clickNext();
        h.expectPage(kSensorPage);
        h.clickNext();
        h.expectPage(kCurvePage);
        const int requests = h.device.requestCount();
        h.clickBack();
        h.expectPage(kSensorPage);
        QVERIFY(!w.liveTimer().isActive());
        QVERIFY(h.device.requestCount() > requests);
        h.clickBack();
        h.expectPage(kPortPage);
    }

    // A port that cannot be opened (54) or a silent one (53) leaves the port
    // selected and the page shown; the next attempt opens the port anew.
    void failedConnect_data() {
        QTest::addColumn<int>("step"); // 1: Next on the port page, 3: Back from the curve page
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("text");
        QTest::newRow("port cannot be opened") << 1 << 1 << 54;
        QTest::newRow("no QM-07R answers") << 1 << 3 << 53;
        QTest::newRow("Back from the curve page") << 3 << 1 << 54;
    }
    void failedConnect() {
        QFETCH(int, step);
        QFETCH(int, port);
        QFETCH(int, text);
        WindowHarness h;
        MainWindow& w = h.openAt(step);
        h.device.setFaults({.silentAfter = 0});
        h.selectPort(port);
        bool overlaid = false;
        h.messages.setOnShow([&](const Message&) { overlaid = h.visible("fraSTATUS"); });
        step == 1 ? h.clickNext() : h.clickBack();
        QCOMPARE(h.messages.texts(), QStringList{h.lang(text)});
        QCOMPARE(h.messages.last().icon, MsgIcon::Critical);
        QVERIFY(overlaid);
        QCOMPARE(w.wizardStep(), WizardStep::Port);
        h.expectPage(step == 1 ? kPortPage : kCurvePage);
        QVERIFY(!w.liveTimer().isActive());
        h.device = DeviceModel();
        h.selectPort(3);
        h.clickNext();
        QCOMPARE(w.wizardStep(), WizardStep::Sensor);
    }

    // The search names the port it found; COM20 is never searched.
    void searchSelectsTheFoundPort_data() {
        QTest::addColumn<int>("devicePort");
        QTest::addColumn<QString>("message"); // 50 names the port; 51: none found
        QTest::newRow("COM4") << 4 << "50 4";
        QTest::newRow("above COM19") << 20 << "51";
    }
    void searchSelectsTheFoundPort() {
        QFETCH(int, devicePort);
        QFETCH(QString, message);
        WindowHarness h(devicePort);
        h.writeLanguage("50=50\r\n51=51\r\n");
        MainWindow& w = h.open();
        h.click("cmdSCANQM07");
        QCOMPARE(h.messages.texts(), QStringList{message});
        QCOMPARE(h.child<QComboBox>("cmbPort")->currentIndex(),
                 message == "51" ? 2 : devicePort - 1);
        QVERIFY(!w.serial().isOpen()); // the search opens nothing for good
    }

    // A configuration that this program did not make is edited only on Yes.
    void foreignConfigurationAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("step");
        QTest::newRow("yes") << int(MsgYes) << 2;
        QTest::newRow("no") << int(MsgNo) << 1;
    }
    void foreignConfigurationAsksFirst() {
        QFETCH(int, answer);
        QFETCH(int, step);
        WindowHarness h;
        QByteArray image = testing::LayoutImage();
        image[image.indexOf("KRI") + 3] = char(0xC0); // valid, 4-byte, not made here
        h.device.setBlock(DeviceModel::kTagBlock, testing::ToBlock(image));
        MainWindow& w = h.open();
        h.messages.answer(MsgButton(answer));
        h.clickNext();
        QCOMPARE(h.messages.texts(), QStringList{h.lang(75)});
        QCOMPARE(h.messages.last().defaultButton, MsgNo);
        QCOMPARE(w.wizardStep(), WizardStep(step));
        // The buttons come back as they were: Back stays off on the port page.
        QCOMPARE(h.child<QPushButton>("cmdBack")->isEnabled(), step == 2);
        QVERIFY(h.child<QPushButton>("cmdNext")->isEnabled());
    }

    // F5 captures the live signal only on the curve page, where the point is seen.
    void f5CapturesOnTheCurvePageOnly_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("focus");
        QTest::newRow("port page") << 1 << QString();
        QTest::newRow("sensor page, in the description") << 2 << "txtPopis";
        QTest::newRow("curve page, in the list") << 3 << "lstKrivka";
    }
    void f5CapturesOnTheCurvePageOnly() {
        QFETCH(int, step);
        QFETCH(QString, focus);
        WindowHarness h;
        MainWindow& w = h.openAt(step);
        QCOMPARE(w.wizardStep(), WizardStep(step));
        h.showSignal(0.75);
        QWidget* target = focus.isEmpty() ? static_cast<QWidget*>(&w) : h.child(focus.toLatin1());
        const int before = w.curve().pointCount();
        QTimer::singleShot(0, &w.referenceDialog(), [&] {
            if (!w.referenceDialog().isVisible()) return;
            w.referenceDialog().pointField(1)->setText(QStringLiteral("12,5"));
            w.referenceDialog().accept();
        });
        if (step == 3) h.messages.answerYes(); // not settled yet: take it anyway
        QTest::keyClick(target, Qt::Key_F5);
        QCOMPARE(w.curve().pointCount(), before + (step == 3 ? 1 : 0));
        QCOMPARE(w.curve().FindSignal(0.75) > 0, step == 3);
    }

    // Leaving the sensor page asks about a changed gain (55) and stores what
    // changed in the sensor's iTag.
    void nextOnTheSensorPageChecksFirst_data() {
        QTest::addColumn<bool>("changeGain");
        QTest::newRow("gain changed, answer No") << true;
        QTest::newRow("all well") << false;
    }
    void nextOnTheSensorPageChecksFirst() {
        QFETCH(bool, changeGain);
        const int step = changeGain ? 2 : 3;
        WindowHarness h;
        MainWindow& w = h.openAt(2);
        if (changeGain) {
            auto* gain = h.child<QComboBox>("cmbGain");
            gain->setCurrentIndex((gain->currentIndex() + 1) % gain->count());
        }
        h.child<QLineEdit>("txtPopis")->setText(QStringLiteral("Load cell"));
        h.clickNext();
        QCOMPARE(h.messages.texts(), changeGain ? QStringList{h.lang(55)} : QStringList());
        QCOMPARE(w.wizardStep(), WizardStep(step));
        SensorRecord stored;
        QVERIFY(DecodeImage(h.device.block(DeviceModel::kTagBlock), stored, kGroupTag, 0) > 0);
        QCOMPARE(stored.Description.trimmed() == QStringLiteral("Load cell"), step == 3);
    }

    // A whole calibration from the port page to the end, and the bytes that
    // reach the device: into the block the sensor was read from, each once and
    // in order, the points ascending, the trimmed texts, nothing behind the
    // image, and the reset that makes the device use the new curve.
    void wholeCalibrationReachesTheBlock_data() {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<int>("storedFlags");
        QTest::addColumn<bool>("tick24bit");
        QTest::addColumn<int>("flags");
        QTest::newRow("iTag") << true << 0xD0 << false << 0xD0;
        QTest::newRow("no iTag: the device's store") << false << 0xD0 << false << 0xD0;
        QTest::newRow("24 bit read, kept") << true << 0xD8 << false << 0xD8;
        QTest::newRow("24 bit ticked") << false << 0xD0 << true << 0xD8;
    }
    void wholeCalibrationReachesTheBlock() {
        QFETCH(bool, tag);
        QFETCH(int, storedFlags);
        QFETCH(bool, tick24bit);
        const int block = tag ? DeviceModel::kTagBlock : DeviceModel::kDeviceBlock;
        const int otherBlock = DeviceModel::kDeviceBlock + DeviceModel::kTagBlock - block;
        WindowHarness h;
        h.device.setTagPresent(tag);
        // The stored image has 2 points (120 bytes); behind it a pattern that
        // a write of 3 points leaves alone from byte 128 on.
        QByteArray image = h.device.block(block);
        image[99] = char(storedFlags);
        image.replace(120, image.size() - 120, QByteArray(image.size() - 120, '\x5A'));
        h.device.setBlock(block, image);
        h.device.reload();
        const QByteArray other = h.device.block(otherBlock);

        MainWindow& w = h.openAt(2);
        QCOMPARE(h.child<QCheckBox>("chk24bit")->isChecked(), (storedFlags & kFlag24Bit) != 0);
        h.child<QLineEdit>("txtPopis")->setText(QStringLiteral("  Load cell 2  "));
        h.child<QLineEdit>("txtJednotka")->setText(QStringLiteral(" kN"));
        h.clickNext();
        QCOMPARE(w.wizardStep(), WizardStep::Curve);
        w.liveTimer().stop(); // ticked by hand on the virtual clock
        if (tick24bit) h.child<QCheckBox>("chk24bit")->setChecked(true);
        h.messages.answerYes();
        h.click("cmdListAction2"); // start from an empty curve
        const std::pair<double, const char*> captured[] = {
            {1.5, "420"}, {1.0, "250"}, {0.25, "50"}};
        for (const auto& [signal, value] : captured)
            h.capture(signal, QString::fromLatin1(value));
        QCOMPARE(h.child<QListWidget>("lstKrivka")->count(), 3);

        h.messages.clear();
        h.sent.clear();
        QSignalSpy ended(&w, &MainWindow::programEnded);
        h.clickNext();
        QCOMPARE(ended.count(), 1);
        // The final message names the backups of both writes (leaving the
        // sensor page, finishing), the first holding the block as read.
        const QStringList lines = h.messages.texts().value(0).split(u'\n');
        QCOMPARE(lines.first(), h.lang(56));
        const QDir backups(h.backupFolder());
        const QStringList names = backups.entryList({"*.bin"}, QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 2);
        for (const QString& name : names)
            QVERIFY(lines.contains(h.lang(kTextBackupSaved).arg(backups.filePath(name))));
        QVERIFY(testing::FileBytes(backups.filePath(names[0])) == image ||
                testing::FileBytes(backups.filePath(names[1])) == image);

        // 104 + 8 x 3 bytes, each once, in order, then the reset.
        constexpr int kWritten = 104 + 8 * 3;
        const QByteArray stored = h.device.block(block);
        QByteArrayList writes, expected;
        for (const QByteArray& r : h.sent.requests())
            if (r.startsWith("$00KW")) writes << r;
        for (int i = 0; i < kWritten; ++i)
            expected
                << ("$00KW" + HexN(block, 2) + HexN(i, 2) + HexN(uchar(stored[i]), 2)).toLatin1();
        QCOMPARE(writes, expected);
        QVERIFY(h.sent.requests().indexOf("$00X", h.sent.requests().indexOf(writes.last())) > 0);
        QCOMPARE(stored.mid(kWritten), QByteArray(stored.size() - kWritten, '\x5A'));
        QCOMPARE(h.device.block(otherBlock), other);
        QCOMPARE(stored.mid(8, 32), QByteArray("Load cell 2").leftJustified(32, ' '));
        QCOMPARE(stored.mid(41, 6), QByteArray("kN    "));
        QTEST(int(uchar(stored[99])), "flags");
        QCOMPARE(int(stored[100]), 3);
        const double points[] = {0.25, 50, 1.0, 250, 1.5, 420};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(DevFloatFromBytes(stored.mid(104 + 4 * i, 4)), points[i]);
        h.device.setSignal(0.625); // between (0.25, 50) and (1.0, 250) of the new curve
        QCOMPARE(h.device.displayValue(), 150.0);
    }

    // Next on the curve page ends the program even when the write fails; a
    // curve that cannot be stored keeps the page.
    void finishingStep_data() {
        QTest::addColumn<bool>("clearCurve");
        QTest::addColumn<int>("wrongEchoAt");
        QTest::addColumn<int>("text");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("ends");
        QTest::newRow("write fails") << false << 5 << 47 << " [-10005]" << true;
        QTest::newRow("empty curve") << true << 0 << 39 << "" << false;
    }
    void finishingStep() {
        QFETCH(bool, clearCurve);
        QFETCH(int, wrongEchoAt);
        QFETCH(int, text);
        QFETCH(QString, after);
        QFETCH(bool, ends);
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        if (clearCurve) {
            h.messages.answerYes();
            h.click("cmdListAction2");
        }
        h.device.setFaults({.wrongEchoAt = wrongEchoAt});
        h.messages.clear();
        h.messages.answerNo(); // to the offer of the backup
        QSignalSpy ended(&w, &MainWindow::programEnded);
        h.clickNext();
        QCOMPARE(h.messages.count(), 1);
        // A failed write also names the backup of the block it was writing.
        QCOMPARE(h.messages.last().text.section(u'\n', 0, 0), h.lang(text) + after);
        QCOMPARE(h.messages.last().text.contains(h.lang(kTextBackupSaved).section(u'%', 0, 0)),
                 ends);
        QCOMPARE(ended.count(), ends ? 1 : 0);
        if (!ends) h.expectPage(kCurvePage);
    }

    // Replies of 32 and 34 characters show "-----" and keep the last good values.
    void liveDisplayTakesOnlyWholeReplies() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop(); // the test ticks by hand on the virtual clock
        h.tick(0);            // nothing asked yet
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        h.tick();
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   0.0000"));

        h.device.setSignal(1.0);
        h.tick(); // the reply to the request sent before the signal changed
        h.device.setFaults({.splitBytes = 32, .splitGapMs = 100}); // replies in two pieces
        h.tick();
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   1.0000"));

        h.device.setSignal(2.0);
        h.tick(50); // 32 characters
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        QCOMPARE(w.LiveSignal(), 1.0);
        h.device.setFaults(SimFaults());
        h.tick(); // the lost character and a whole reply: 34
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        QCOMPARE(w.LiveSignal(), 1.0);
        h.tick(); // 33
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   2.0000"));
        QCOMPARE(w.LiveDisplay(), h.device.displayValue());
        QCOMPARE(h.text("lblSignalDISP"),
                 FormatMask(w.LiveDisplay(), w.session().CurrentRecord.Format));
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
