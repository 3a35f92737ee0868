// The wizard against the in-process simulated QM-07R on the virtual clock.
#include "windowharness.h"

#include "core/hex.h"
#include "core/numformat.h"
#include "support/files.h"
#include "support/layoutimage.h"
#include "support/referencedialog.h"

#include "calibration/inputbox.h"
#include "sensor/imagecodec.h"
#include "sensor/writer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <cstring>

using namespace qm;

namespace {

void putSingle(QByteArray& memory, int address, float v) {
    char bytes[4];
    std::memcpy(bytes, &v, 4); // least significant byte first, as the device keeps it
    for (int i = 0; i < 4; ++i)
        memory[address + i] = bytes[i];
}

struct PageState {
    bool port, sensor, curve, display, back, next, cancel;
};

void expectPage(const WindowHarness& h, const PageState& s) {
    QCOMPARE(h.visible("fraCOMM"), s.port);
    QCOMPARE(h.visible("fraSNIMAC"), s.sensor);
    QCOMPARE(h.visible("fraCURVE"), s.curve);
    QCOMPARE(h.visible("fraDISPLAY"), s.display);
    QVERIFY(!h.visible("fraSTATUS"));
    QCOMPARE(h.enabled("cmdBack"), s.back);
    QCOMPARE(h.enabled("cmdNext"), s.next);
    QCOMPARE(h.enabled("cmdCancel"), s.cancel);
}

constexpr PageState kPortPage{true, false, false, false, false, true, true};
constexpr PageState kSensorPage{false, true, false, false, true, true, true};
constexpr PageState kCurvePage{false, false, true, true, true, true, true};

// The live display receives the device's new signal: one tick collects the
// reply to the request sent before the change, the next one the new reply.
void settleSignal(WindowHarness& h, double mvPerV) {
    h.device.setSignal(mvPerV);
    for (int i = 0; i < 2; ++i) {
        h.clock.advance(kLiveIntervalMs);
        h.window->tmrCasovac_Timer();
    }
}

// The block writes among the requests: (block, offset, byte) of each "KW".
struct BlockWrite {
    int block, offset, byte;
};
QList<BlockWrite> blockWrites(const QByteArrayList& requests) {
    QList<BlockWrite> writes;
    for (const QByteArray& r : requests)
        if (r.startsWith("$00KW") && r.size() == 11)
            writes.append({r.mid(5, 2).toInt(nullptr, 16), r.mid(7, 2).toInt(nullptr, 16),
                           r.mid(9, 2).toInt(nullptr, 16)});
    return writes;
}

// A 4-byte device float of the image.
double devFloatAt(const QByteArray& image, int offset) {
    return HexToDevFloat(QString::fromLatin1(image.mid(offset, 4).toHex()));
}

} // namespace

class TestWizard : public QObject {
    Q_OBJECT
  private slots:
    void forwardAndBackThroughThePages() {
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        const Twips tw(w.logicalDpiX());
        expectPage(h, kPortPage);

        h.clickNext();
        QCOMPARE(w.WizardStep(), 2);
        expectPage(h, kSensorPage);
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(w.serial().CurrentPort, 3);
        QVERIFY(w.serial().PortIsOpen(3));
        QCOMPARE(h.settings.value(QStringLiteral("Default"), QStringLiteral("ComPort")),
                 QStringLiteral("3"));

        h.clickNext();
        QCOMPARE(w.WizardStep(), 3);
        expectPage(h, kCurvePage);
        QCOMPARE(w.width(), tw(kFormWidth));
        QVERIFY(w.tmrCasovac().isActive());

        // Back from the curve page connects and reads afresh.
        const int requests = h.device.requestCount();
        h.clickBack();
        QCOMPARE(w.WizardStep(), 2);
        expectPage(h, kSensorPage);
        QVERIFY(!w.tmrCasovac().isActive());
        QVERIFY(h.device.requestCount() > requests);

        // Back from the sensor page shows the stored port again.
        h.selectPort(5);
        h.clickBack();
        QCOMPARE(w.WizardStep(), 1);
        expectPage(h, kPortPage);
        QCOMPARE(h.child<QComboBox>("cmbPort")->currentIndex(), 2);
    }

    void failedConnectStaysOnThePortPage_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("text");
        QTest::newRow("port cannot be opened") << 1 << false << 54;
        QTest::newRow("no QM-07R answers") << 3 << true << 53;
    }
    void failedConnectStaysOnThePortPage() {
        QFETCH(int, port);
        QFETCH(bool, silent);
        QFETCH(int, text);
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        if (silent) {
            SimFaults f;
            f.silentAfter = 0;
            h.device.setFaults(f);
        }
        h.selectPort(port);
        bool overlaid = false;
        h.messages.setOnShow([&](const Message&) { overlaid = h.visible("fraSTATUS"); });
        h.clickNext();
        QCOMPARE(h.messages.texts(), QStringList{w.LangText().text(text)});
        QCOMPARE(h.messages.last().icon, MsgIcon::Critical);
        QVERIFY(overlaid);
        QCOMPARE(w.WizardStep(), 1);
        expectPage(h, kPortPage);
        QCOMPARE(h.child<QComboBox>("cmbPort")->currentIndex(), port - 1);
    }

    // After a failed identification the next attempt reopens the same port.
    void retryAfterFailedIdentification() {
        WindowHarness h;
        frmQORCalibration& w = h.open();
        SimFaults f;
        f.silentAfter = 0;
        h.device.setFaults(f);
        h.clickNext();
        QCOMPARE(h.messages.count(), 1);
        h.device = DeviceModel(); // a device that answers on the same port
        h.messages.clear();
        h.clickNext();
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(w.WizardStep(), 2);
    }

    void backFromCurvePageWhenThePortFails() {
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        h.clickNext();
        h.clickNext();
        h.selectPort(1);
        h.clickBack();
        QCOMPARE(h.messages.texts(), QStringList{w.LangText().text(54)});
        QCOMPARE(w.WizardStep(), 1);
        expectPage(h, kCurvePage);
        QVERIFY(!w.tmrCasovac().isActive());
    }

    void serviceModeWidensOnlyTheCurvePage_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("gesture");
        QTest::addColumn<int>("curveWidth");
        QTest::newRow("normal") << QString() << false << kFormWidth;
        QTest::newRow("command line") << QStringLiteral("savant") << false << kFormWidthService;
        QTest::newRow("gesture") << QString() << true << kFormWidthService;
    }
    void serviceModeWidensOnlyTheCurvePage() {
        QFETCH(QString, commandLine);
        QFETCH(bool, gesture);
        QFETCH(int, curveWidth);
        WindowHarness h;
        frmQORCalibration& w = h.open(commandLine);
        const Twips tw(w.logicalDpiX());
        h.clickNext();
        QCOMPARE(w.width(), tw(kFormWidth));
        if (gesture) QTest::mousePress(h.child("Label2"), Qt::RightButton, Qt::ControlModifier);
        h.clickNext();
        QCOMPARE(w.width(), tw(curveWidth));
        QCOMPARE(h.visible("fraQORDISPLAY"), true); // the column is there; the width uncovers it
        h.clickBack();
        QCOMPARE(w.width(), tw(kFormWidth));
    }

    void searchSelectsTheFoundPort_data() {
        QTest::addColumn<int>("devicePort");
        QTest::addColumn<bool>("lowerCase");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("selected");
        QTest::newRow("COM4") << 4 << false << "50 4" << 3;
        QTest::newRow("above COM19") << 20 << false << "51" << 2;
        QTest::newRow("lower-case qm") << 4 << true << "51" << 2;
    }
    void searchSelectsTheFoundPort() {
        QFETCH(int, devicePort);
        QFETCH(bool, lowerCase);
        QFETCH(QString, message);
        QFETCH(int, selected);
        WindowHarness h(devicePort);
        h.writeLanguage("50=50\r\n51=51\r\n");
        SimFaults f;
        f.lowerCaseId = lowerCase;
        h.device.setFaults(f);
        frmQORCalibration& w = h.open();
        bool locked = false;
        h.messages.setOnShow([&](const Message&) {
            locked = !h.enabled("cmdNext") && !h.enabled("cmdCancel") && !h.enabled("cmdSCANQM07");
        });
        QTest::mouseClick(h.child<QAbstractButton>("cmdSCANQM07"), Qt::LeftButton);
        QCOMPARE(h.messages.texts(), QStringList{message});
        QVERIFY(locked);
        expectPage(h, kPortPage);
        QCOMPARE(h.messages.last().icon,
                 message == "51" ? MsgIcon::Exclamation : MsgIcon::Information);
        QCOMPARE(h.child<QComboBox>("cmbPort")->currentIndex(), selected);
        QCOMPARE(w.serial().CurrentPort, 0); // the search opens nothing for good
        QVERIFY(!w.serial().PortIsOpen(devicePort));
    }

    void lowerCaseAnswerIsAcceptedByTheConnectStep() {
        WindowHarness h;
        SimFaults f;
        f.lowerCaseId = true;
        h.device.setFaults(f);
        frmQORCalibration& w = h.open();
        h.clickNext();
        // ReadQM07 upper-cases the reply too, so the whole step goes through.
        QCOMPARE(w.WizardStep(), 2);
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
        h.useShippedLanguage();
        QByteArray image = testing::LayoutImage();
        image[image.indexOf("KRI") + 3] = char(0xC0); // valid, 4-byte, not made here
        h.device.setBlock(DeviceModel::kTagBlock, testing::ToBlock(image));
        frmQORCalibration& w = h.open();
        h.messages.answer(MsgButton(answer));
        h.clickNext();
        QCOMPARE(h.messages.texts(), QStringList{w.LangText().text(75)});
        const Message& q = h.messages.last();
        QCOMPARE(q.icon, MsgIcon::Question);
        QCOMPARE(q.buttons, MsgYes | MsgNo);
        QCOMPARE(q.defaultButton, MsgNo);
        QCOMPARE(w.WizardStep(), step);
        expectPage(h, step == 2 ? kSensorPage : kPortPage);
    }

    // F5 captures the live signal into the curve whichever page is shown.
    void f5CapturesOnEveryPage_data() {
        QTest::addColumn<int>("nexts");
        QTest::addColumn<QString>("focus");
        QTest::newRow("port page") << 0 << QString();
        QTest::newRow("sensor page, in the description") << 1 << "txtPopis";
        QTest::newRow("curve page, in the list") << 2 << "lstKrivka";
    }
    void f5CapturesOnEveryPage() {
        QFETCH(int, nexts);
        QFETCH(QString, focus);
        WindowHarness h;
        frmQORCalibration& w = h.open();
        for (int i = 0; i < nexts; ++i)
            h.clickNext();
        QCOMPARE(w.WizardStep(), nexts + 1);
        QWidget* target = focus.isEmpty() ? static_cast<QWidget*>(&w) : h.child(focus.toLatin1());
        const int before = w.curve().KrivkaCount();
        QString shownSignal;
        testing::AnswerReferenceDialog(w.inputBox(), QStringLiteral("12,5"), &shownSignal);
        QTest::keyClick(target, Qt::Key_F5);
        QCOMPARE(shownSignal, QStringLiteral("    0.00000")); // no valid measurement yet
        QCOMPARE(w.curve().KrivkaCount(), before + 1);
        QVERIFY(w.curve().FindSignal(0.0) > 0);
        // Other keys do nothing.
        QTest::keyClick(target, Qt::Key_F6);
        QCOMPARE(w.curve().KrivkaCount(), before + 1);
    }

    void enterPressesNext() {
        WindowHarness h;
        frmQORCalibration& w = h.open();
        QTest::keyClick(h.child<QComboBox>("cmbPort"), Qt::Key_Return);
        QCOMPARE(w.WizardStep(), 2);
    }

    void nextOnTheSensorPageChecksFirst_data() {
        QTest::addColumn<bool>("changeGain");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QList<int>>("texts");
        QTest::addColumn<int>("step");
        QTest::newRow("gain changed, answer No") << true << "Load cell" << QList<int>{55} << 2;
        QTest::newRow("empty description") << false << "   " << QList<int>{60} << 2;
        QTest::newRow("all well") << false << "Load cell" << QList<int>{} << 3;
    }
    void nextOnTheSensorPageChecksFirst() {
        QFETCH(bool, changeGain);
        QFETCH(QString, description);
        QFETCH(QList<int>, texts);
        QFETCH(int, step);
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        h.clickNext();
        if (changeGain) {
            auto* gain = h.child<QComboBox>("cmbGain");
            gain->setCurrentIndex((gain->currentIndex() + 1) % gain->count());
        }
        h.child<QLineEdit>("txtPopis")->setText(description);
        h.clickNext();
        QStringList expected;
        for (int n : texts)
            expected << w.LangText().text(n);
        QCOMPARE(h.messages.texts(), expected);
        QCOMPARE(w.WizardStep(), step);
        expectPage(h, step == 2 ? kSensorPage : kCurvePage);
        // Leaving the page stores what changed in the sensor's iTag.
        SensorRecord stored;
        QVERIFY(DecodeImage(h.device.block(DeviceModel::kTagBlock), stored, kGroupTag, 0) > 0);
        QCOMPARE(stored.Popis.trimmed() == QStringLiteral("Load cell"), step == 3);
    }

    // A whole calibration from the port page to the end, and the bytes that
    // reach the device: the memory the sensor was read from, the flags, the
    // points in ascending order, the trimmed description, nothing behind the
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
        QFETCH(int, flags);
        const int block = tag ? DeviceModel::kTagBlock : DeviceModel::kDeviceBlock;
        const int otherBlock = DeviceModel::kDeviceBlock + DeviceModel::kTagBlock - block;
        WindowHarness h;
        h.useShippedLanguage();
        h.device.setTagPresent(tag);
        // The stored image has 2 points (120 bytes); behind it a pattern that
        // a write of 3 points leaves alone from byte 128 on.
        QByteArray image = h.device.block(block);
        image[99] = char(storedFlags);
        image.replace(120, image.size() - 120, QByteArray(image.size() - 120, '\x5A'));
        h.device.setBlock(block, image);
        h.device.reload();
        const QByteArray other = h.device.block(otherBlock);

        frmQORCalibration& w = h.open();
        h.clickNext(); // connect and read
        QCOMPARE(w.WizardStep(), 2);
        QCOMPARE(h.child<QCheckBox>("chk24bit")->isChecked(), (storedFlags & kFlag24Bit) != 0);
        h.child<QLineEdit>("txtPopis")->setText(QStringLiteral("  Load cell 2  "));
        h.child<QLineEdit>("txtJednotka")->setText(QStringLiteral(" kN")); // "mV/V" is too long
        h.clickNext(); // the changed texts are stored; the curve page opens
        QCOMPARE(w.WizardStep(), 3);
        QVERIFY(h.messages.isEmpty());
        w.tmrCasovac().stop(); // ticked by hand on the virtual clock
        if (tick24bit) h.child<QCheckBox>("chk24bit")->setChecked(true);

        h.messages.answerYes();
        QTest::mouseClick(h.child<QAbstractButton>("cmdListAction2"), Qt::LeftButton);
        const QList<std::pair<double, QString>> captured = {{1.5, QStringLiteral("420")},
                                                            {1.0, QStringLiteral("250")},
                                                            {0.25, QStringLiteral("50")}};
        for (const auto& [signal, value] : captured) {
            settleSignal(h, signal);
            QString shown;
            testing::AnswerReferenceDialog(w.inputBox(), value, &shown);
            QTest::mouseClick(h.child<QAbstractButton>("cmdSCAN"), Qt::LeftButton);
            QCOMPARE(shown.trimmed().toDouble(), signal);
        }
        QCOMPARE(h.child<QListWidget>("lstKrivka")->count(), 3);

        h.messages.clear();
        h.sent.clear();
        QSignalSpy ended(&w, &frmQORCalibration::programEnded);
        h.clickNext();
        QCOMPARE(h.messages.count(), 1);
        const QStringList lines = h.messages.last().text.split(u'\n');
        QCOMPARE(lines.first(), w.LangText().text(56));
        QCOMPARE(ended.count(), 1);
        // Nothing lost: the final message names the backups of both writes
        // (leaving the sensor page, finishing), the first holding the block as read.
        const QStringList backups = QDir(h.backupFolder()).entryList({"*.bin"}, QDir::Files);
        QCOMPARE(backups.size(), 2);
        QCOMPARE(lines.size(), 3);
        bool firstKept = false;
        for (const QString& name : backups) {
            const QString path = QDir(h.backupFolder()).filePath(name);
            QVERIFY2(lines.contains(BackupSavedText(path)), qPrintable(path));
            firstKept = firstKept || testing::FileBytes(path) == image;
        }
        QVERIFY(firstKept);

        // 104 + 8 x 3 bytes, each once, in order, into the block read from.
        constexpr int kWritten = 104 + 8 * 3;
        const QByteArray stored = h.device.block(block);
        const QList<BlockWrite> writes = blockWrites(h.sent.requests());
        QCOMPARE(writes.size(), kWritten);
        for (int i = 0; i < kWritten; ++i) {
            QCOMPARE(writes[i].block, block);
            QCOMPARE(writes[i].offset, i);
            QCOMPARE(writes[i].byte, int(uchar(stored[i])));
        }
        QCOMPARE(stored.mid(kWritten), QByteArray(stored.size() - kWritten, '\x5A'));
        QCOMPARE(h.device.block(otherBlock), other);
        const qsizetype lastWrite = h.sent.requests().lastIndexOf(
            QByteArray("$00KW") + HexN(block, 2).toLatin1() + HexN(kWritten - 1, 2).toLatin1());
        QVERIFY(h.sent.requests().indexOf(QByteArray("$00X"), lastWrite) > lastWrite);

        QCOMPARE(stored.mid(8, 32), QByteArray("Load cell 2").leftJustified(32, ' '));
        QCOMPARE(stored.mid(41, 6), QByteArray("kN    "));
        QCOMPARE(int(uchar(stored[99])), flags);
        QCOMPARE(int(stored[100]), 3);
        const double inOrder[][2] = {{0.25, 50}, {1.0, 250}, {1.5, 420}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(devFloatAt(stored, 104 + 8 * i), inOrder[i][0]);
            QCOMPARE(devFloatAt(stored, 108 + 8 * i), inOrder[i][1]);
        }
        // The reset made the device load the new curve.
        h.device.setSignal(0.625);
        QCOMPARE(h.device.displayValue(), 150.0);
    }

    // Next on the curve page ends the program, even when the write fails; a
    // curve that cannot be stored keeps the page. (The successful end is
    // wholeCalibrationReachesTheBlock.)
    void finishingStep_data() {
        QTest::addColumn<bool>("clearCurve");
        QTest::addColumn<int>("wrongEchoAt");
        QTest::addColumn<QString>("message"); // language text number, then what follows it
        QTest::addColumn<bool>("ends");
        QTest::newRow("write fails") << false << 5 << "47 [-10005]" << true;
        QTest::newRow("empty curve") << true << 0 << "39" << false;
    }
    void finishingStep() {
        QFETCH(bool, clearCurve);
        QFETCH(int, wrongEchoAt);
        QFETCH(QString, message);
        QFETCH(bool, ends);
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        h.clickNext();
        h.clickNext();
        if (clearCurve) {
            h.messages.answerYes();
            QTest::mouseClick(h.child<QAbstractButton>("cmdListAction2"), Qt::LeftButton);
        }
        SimFaults f;
        f.wrongEchoAt = wrongEchoAt;
        h.device.setFaults(f);
        h.messages.clear();
        QSignalSpy ended(&w, &frmQORCalibration::programEnded);
        h.clickNext();
        const qsizetype blank = message.indexOf(u' ');
        const QString text = w.LangText().text(message.left(blank).toInt()) +
                             (blank < 0 ? QString() : message.mid(blank));
        // A failed write also names the backup of the block it was writing.
        QStringList firstLines = h.messages.texts();
        for (QString& t : firstLines)
            t = t.section(u'\n', 0, 0);
        QCOMPARE(firstLines, QStringList{text});
        if (wrongEchoAt)
            QVERIFY(h.messages.last().text.contains(u"\nThe previous contents were saved to "));
        QCOMPARE(ended.count(), ends ? 1 : 0);
        if (!ends) {
            QCOMPARE(w.WizardStep(), 3);
            expectPage(h, kCurvePage);
            return;
        }
        for (const char* frame : {"fraCOMM", "fraSNIMAC", "fraCURVE", "fraDISPLAY", "fraSTATUS"})
            QVERIFY2(!h.visible(frame), frame);
        for (const char* button : {"cmdBack", "cmdNext", "cmdCancel"})
            QVERIFY2(!h.enabled(button), button);
        QCOMPARE(h.text("cmdCancel"), w.LangText().text(68));
    }

    // The system calibration column writes through the window to the device.
    void systemCalibrationSaveWritesTheDevice() {
        WindowHarness h;
        frmQORCalibration& w = h.open(QStringLiteral("savant"));
        h.clickNext();
        h.clickNext();
        QTest::mouseClick(h.child<QAbstractButton>("cmdLoadDef"), Qt::LeftButton);
        h.child<QLineEdit>("txtskN")->setText(QStringLiteral("8388000"));
        QTest::mouseClick(h.child<QAbstractButton>("cmdSKSave"), Qt::LeftButton);
        const QByteArray memory = h.device.memory();
        float n = 0;
        std::memcpy(&n, memory.constData() + 0x90, 4);
        QCOMPARE(n, 8388000.0f);
        QCOMPARE(h.child<QLineEdit>("txtskN")->text(), QStringLiteral("8388000")); // read back
        QVERIFY(w.tmrCasovac().isActive());
        QVERIFY(h.enabled("cmdNext"));
        QVERIFY(!h.visible("fraSTATUS"));
    }

    void cancelClosesThePortAndEnds() {
        WindowHarness h;
        frmQORCalibration& w = h.open();
        h.clickNext();
        QSignalSpy ended(&w, &frmQORCalibration::programEnded);
        QTest::mouseClick(h.child<QAbstractButton>("cmdCancel"), Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!w.serial().PortIsOpen(3));
    }

    // Replies of 32 and 34 characters show "-----" and keep the last good values.
    void liveDisplayTakesOnlyWholeReplies() {
        WindowHarness h;
        QByteArray memory = h.device.memory();
        putSingle(memory, 0x90, 10.0f); // N
        putSingle(memory, 0x94, 1.0f);  // k: the count is N + signal
        h.device.setMemory(memory);
        frmQORCalibration& w = h.open();
        h.clickNext();
        h.clickNext();
        w.tmrCasovac().stop(); // the test ticks by hand on the virtual clock
        auto label = [&](const char* name) { return h.child<QLabel>(name)->text(); };

        w.tmrCasovac_Timer(); // nothing asked yet
        QCOMPARE(label("lblSignal"), QStringLiteral("-----"));
        h.clock.advance(150);
        w.tmrCasovac_Timer();
        QCOMPARE(label("lblSignalDIV"), QStringLiteral("      10"));
        QCOMPARE(label("lblSignal"), QStringLiteral("   0.0000"));

        h.device.setSignal(1.0); // 3F800000
        h.clock.advance(150);
        w.tmrCasovac_Timer(); // the reply to the request sent before the signal changed
        h.clock.advance(150);
        SimFaults split;
        split.splitBytes = 32;
        split.splitGapMs = 100;
        h.device.setFaults(split); // the next requests arrive in two pieces
        w.tmrCasovac_Timer();
        QCOMPARE(label("lblSignal"), QStringLiteral("   1.0000"));
        QCOMPARE(w.LiveSignal(), 1.0);
        QCOMPARE(w.LiveDiv(), 11.0);

        h.device.setSignal(2.0);
        h.clock.advance(50);
        w.tmrCasovac_Timer(); // 32 characters
        QCOMPARE(label("lblSignal"), QStringLiteral("-----"));
        QCOMPARE(w.LiveSignal(), 1.0);
        QCOMPARE(label("lblSignalDIV"), QStringLiteral("      11"));
        h.device.setFaults(SimFaults());
        h.clock.advance(150);
        w.tmrCasovac_Timer(); // the lost character and a whole reply: 34
        QCOMPARE(label("lblSignal"), QStringLiteral("-----"));
        QCOMPARE(w.LiveSignal(), 1.0);
        h.clock.advance(150);
        w.tmrCasovac_Timer();
        QCOMPARE(label("lblSignal"), QStringLiteral("   2.0000"));
        QCOMPARE(w.LiveDiv(), 12.0);
        QCOMPARE(w.LiveDisplay(), h.device.displayValue());
        QCOMPARE(label("lblSignalDISP"),
                 FormatMask(w.LiveDisplay(), w.session().CurrentRecord.Format));
    }

    void liveDisplayOnAClosedPortSendsNothing() {
        WindowHarness h;
        frmQORCalibration& w = h.open();
        w.tmrCasovac_Timer();
        h.clock.advance(150);
        w.tmrCasovac_Timer();
        QCOMPARE(h.device.requestCount(), 0);
        QCOMPARE(h.child<QLabel>("lblSignal")->text(), QStringLiteral("-----"));
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
