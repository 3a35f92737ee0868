// The window and its wizard on the in-process simulated QM-07R and the virtual
// clock; the curve page's evidence (averaged captures, the settling question,
// plots and linearity column after every change of the list); nothing lost (a
// close waits for the write, no reading is captured, backups before writes, a
// stopped write offers the backup back, every write in the history).
#include "windowharness.h"

#include "app/closeonsignal.h"
#include "calibration/curveevidence.h"
#include "calibration/curveplot.h"
#include "calibration/deviationplot.h"
#include "calibration/linearity.h"
#include "calibration/plotsupport.h"
#include "calibration/trendplot.h"
#include "core/hex.h"
#include "device/portmap.h"
#include "device/serialtransport.h"
#include "records/databaseurl.h"
#include "records/recordstore.h"
#include "sensor/imagecodec.h"
#include "sim/simprocess.h"
#include "sim/statefiles.h"
#include "support/layoutimage.h"
#include "support/testdatabases.h"

#include <QCheckBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <numeric>

using namespace qm;

static std::vector<CalibrationRecord> historyAt(const QString& url = LocalDatabaseUrl()) {
    RecordStore store;
    std::vector<CalibrationRecord> out;
    if (store.open(url).ok()) store.history(out);
    return out;
}

class TestWizard : public QObject {
    Q_OBJECT
  private slots:
    void init() { qunsetenv(kDatabaseEnv); }

    // Each page's buttons; Back from the curve page connects and reads afresh.
    // The live display on the closed port sends nothing; F5 captures only on
    // the curve page, where the point is seen.
    void forwardAndBackThroughThePages() {
        WindowHarness h;
        MainWindow& w = h.open();
        h.tick();
        QCOMPARE(h.device.requestCount(), 0);
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        h.clickNext();
        h.expectPage(kSensorPage);
        const int points = w.session().curve().pointCount();
        QTimer::singleShot(0, &w.referenceDialog(), &ReferenceDialog::reject);
        QTest::keyClick(h.child("txtPopis"), Qt::Key_F5);
        QVERIFY(w.session().curve().pointCount() == points && h.messages.isEmpty());
        h.clickNext();
        h.expectPage(kCurvePage);
        const int requests = h.device.requestCount();
        h.click("cmdBack");
        h.expectPage(kSensorPage);
        QVERIFY(!w.session().liveTimer().isActive());
        QVERIFY(h.device.requestCount() > requests);
        h.click("cmdBack");
        h.expectPage(kPortPage);
    }

    // A port that cannot be opened (54), a silent one (53) or one that falls
    // silent after it identified itself (the connect step's two requests and
    // the read's) leaves the port selected and the page shown; the next
    // attempt opens the port anew. Step 1: Next on the port page; 3: Back from
    // the curve page.
    void failedConnect() {
        for (const auto& [step, port, text, answered] :
             {std::tuple{1, 1, 54, 0}, {1, 3, 53, 0}, {3, 1, 54, 0}, {1, 3, 451, 3}}) {
            WindowHarness h;
            MainWindow& w = h.openAt(step);
            h.device.setFaults({.silentAfter = answered});
            h.child<QComboBox>("cmbPort")->setCurrentIndex(port - 1);
            bool overlaid = false;
            h.messages.setOnShow([&](const Message&) { overlaid = h.visible("fraSTATUS"); });
            h.click(step == 1 ? "cmdNext" : "cmdBack");
            const QString shown =
                text == kTextDeviceUnclear ? h.lang(text).arg("ER 20") : h.lang(text);
            QCOMPARE(h.messages.texts(), QStringList{shown});
            QCOMPARE(overlaid, text != kTextDeviceUnclear);
            QCOMPARE(w.session().step(), WizardStep::Port);
            h.expectPage(step == 1 ? kPortPage : kCurvePage);
            QVERIFY(!w.session().liveTimer().isActive());
            h.device = DeviceModel();
            h.child<QComboBox>("cmbPort")->setCurrentIndex(2);
            h.clickNext();
            QCOMPARE(w.session().step(), WizardStep::Sensor);
        }
    }

    // A configuration that this program did not make is edited only on Yes;
    // the buttons come back as they were: Back stays off on the port page.
    void foreignConfigurationAsksFirst() {
        for (const MsgButton answer : {MsgYes, MsgNo}) {
            WindowHarness h;
            QByteArray image = testing::LayoutImage();
            image[image.indexOf("KRI") + 3] = char(0xC0); // valid, 4-byte, not made here
            h.device.setBlock(DeviceModel::kTagBlock, testing::ToBlock(image));
            MainWindow& w = h.open();
            h.messages.answer(answer);
            h.clickNext();
            QCOMPARE(h.messages.texts(), QStringList{h.lang(75)});
            QCOMPARE(h.messages.last().defaultButton, MsgNo);
            QCOMPARE(w.session().step(), answer == MsgYes ? WizardStep::Sensor : WizardStep::Port);
            QCOMPARE(h.enabled("cmdBack"), answer == MsgYes);
            QVERIFY(h.enabled("cmdNext"));
        }
    }

    // Leaving the sensor page asks about a changed gain (55); No stays.
    void changedGainAsksFirst() {
        WindowHarness h;
        MainWindow& w = h.openAt(2);
        auto* gain = h.child<QComboBox>("cmbGain");
        gain->setCurrentIndex((gain->currentIndex() + 1) % gain->count());
        h.clickNext();
        QCOMPARE(h.messages.texts(), QStringList{h.lang(55)});
        QCOMPARE(w.session().step(), WizardStep::Sensor);
    }

    // A whole calibration from the port page to the end, and the bytes that
    // reach the device: into the block the sensor was read from, only those
    // that change, each once and in order, the points ascending, the trimmed
    // texts, nothing behind the image, then the reset.
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
        WindowHarness h;
        h.device.setTagPresent(tag);
        // The stored image has 2 points (120 bytes); behind it a pattern that
        // a write of 3 points leaves alone from byte 128 on.
        QByteArray image = h.device.block(block);
        image[99] = char(storedFlags);
        image.replace(120, image.size() - 120, QByteArray(image.size() - 120, '\x5A'));
        h.device.setBlock(block, image);
        h.device.reload();
        MainWindow& w = h.openAt(2);
        QCOMPARE(h.child<QCheckBox>("chk24bit")->isChecked(), (storedFlags & kFlag24Bit) != 0);
        h.child<QLineEdit>("txtPopis")->setText(QStringLiteral("  Load cell 2  "));
        h.child<QLineEdit>("txtJednotka")->setText(QStringLiteral(" kN"));
        h.clickNext();
        QCOMPARE(h.device.block(block).mid(8, 12), QByteArray("Load cell 2 ")); // stored now
        w.session().liveTimer().stop(); // ticked by hand on the virtual clock
        if (tick24bit) h.child<QCheckBox>("chk24bit")->setChecked(true);
        h.messages.answerYes();
        h.click("cmdListAction2"); // start from an empty curve: it cannot be stored
        const int sentBefore = h.blockWritesSent();
        h.clickNext();
        QCOMPARE(h.messages.last().text.section(u'\n', 0, 0), h.lang(39));
        QVERIFY(!w.ended() && h.blockWritesSent() == sentBefore);
        h.expectPage(kCurvePage);
        h.capture(1.5, QStringLiteral("420"));
        h.capture(1.0, QStringLiteral("250"));
        h.capture(0.25, QStringLiteral("50"));
        h.messages.clear();
        h.sent.clear();
        const QByteArray held = h.device.block(block);
        h.finishWithoutVerifying();
        QVERIFY(w.ended());
        QCOMPARE(h.messages.texts().value(0).section(u'\n', 0, 0), h.lang(56));
        // Of the 104 + 8 x 3 bytes those that change, each once, in order, then the reset.
        constexpr int kWritten = 104 + 8 * 3;
        const QByteArray stored = h.device.block(block);
        QByteArrayList writes, expected;
        for (const QByteArray& r : h.sent.requests())
            if (r.startsWith("$00KW")) writes << r;
        for (int i = 0; i < kWritten; ++i)
            if (stored[i] != held[i])
                expected << ("$00KW" + HexN(block, 2) + HexN(i, 2) + HexN(uchar(stored[i]), 2))
                                .toLatin1();
        QCOMPARE(writes, expected);
        QVERIFY(h.sent.requests().indexOf("$00X", h.sent.requests().indexOf(writes.last())) > 0);
        QCOMPARE(stored.mid(kWritten), QByteArray(stored.size() - kWritten, '\x5A'));
        QCOMPARE(stored.mid(8, 32), QByteArray("Load cell 2").leftJustified(32, ' '));
        QCOMPARE(stored.mid(41, 6), QByteArray("kN    "));
        QTEST(int(uchar(stored[99])), "flags");
        QCOMPARE(int(stored[100]), 3);
        const double points[] = {0.25, 50, 1.0, 250, 1.5, 420};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(DevFloatFromBytes(stored.mid(104 + 4 * i, 4)), points[i]);
    }

    // By keys alone: each page gives the focus to its own control, so that
    // Enter goes on from there, after each capture's dialog too, and F5 captures.
    void keyboardAloneFinishes() {
        WindowHarness h;
        MainWindow& w = h.open();
        h.activate();
        QCOMPARE(h.focused(), "cmbPort");
        h.click("cmdSCANQM07"); // its message shown, the focus back on the list
        QCOMPARE(h.focused(), "cmbPort");
        h.press(Qt::Key_Return);
        h.expectPage(kSensorPage);
        QCOMPARE(h.focused(), "txtPopis");
        h.press(Qt::Key_Return);
        h.expectPage(kCurvePage);
        w.session().liveTimer().stop();
        // F5, then the capture button clicked: the focus comes back to the list.
        for (const auto& [signal, value] : {std::pair{0.5, "100"}, {1.5, "300"}}) {
            QCOMPARE(h.focused(), "lstKrivka");
            h.activate(); // again after the dialog, before its next answer waits
            h.showSignal(signal);
            testing::AnswerReferenceDialog(w.referenceDialog(), value);
            h.messages.answerYes();
            signal < 1 ? h.press(Qt::Key_F5) : h.click("cmdSCAN");
        }
        QVERIFY(w.session().curve().FindSignal(1.5) > 0);
        QCOMPARE(h.focused(), "lstKrivka");
        h.messages.clear();
        h.press(Qt::Key_Return);
        h.expectPage(kVerifyPage);
        h.press(Qt::Key_Return); // finished without verifying
        QVERIFY(w.ended());
        QCOMPARE(h.messages.texts().value(0).section(u'\n', 0, 0), h.lang(56));
    }

    // A character the sensor's memory cannot store is refused when the
    // sensor page is left, in the window's words, its field focused.
    void unstorableTextRefusedOnTheSensorPage() {
        for (const char* field : {"txtPopis", "txtJednotka"}) {
            WindowHarness h;
            MainWindow& w = h.openAt(2);
            h.child<QLineEdit>(field)->setText(QString::fromUtf8("Сила").left(3));
            const int writes = h.blockWritesSent();
            h.messages.clear();
            h.press(Qt::Key_Return);
            QCOMPARE(w.session().step(), WizardStep::Sensor);
            QCOMPARE(h.focused(), field);
            QCOMPARE(h.messages.count(), 1);
            QVERIFY(h.messages.last().text.startsWith(
                h.lang(kTextUnstorableCharacter)
                    .section(u':', 0, 0)
                    .arg(h.text(qstrcmp(field, "txtPopis") == 0 ? "Label2" : "Label112"))));
            QVERIFY(h.messages.last().text.contains(u"(U+0421)"));
            QCOMPARE(h.blockWritesSent(), writes);
        }
    }

    // Tab walks only over controls in view on every page, the service
    // column's only where the wide window shows it.
    void tabReachesOnlyWhatIsSeen_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("commandLine");
        for (const int step : {1, 2, 3, 4}) // 4: the verification page
            for (const char* commandLine : {"", "savant"})
                QTest::addRow("step %d %s", step, commandLine) << step << commandLine;
    }
    void tabReachesOnlyWhatIsSeen() {
        QFETCH(int, step);
        QFETCH(QString, commandLine);
        WindowHarness h;
        MainWindow& w = h.openAt(step, commandLine);
        w.session().liveTimer().stop();
        QSet<QString> reached;
        for (int i = 0; i < 40; ++i) {
            h.press(Qt::Key_Tab);
            const QWidget* f = w.focusWidget();
            const QRect r(f->mapTo(&w, QPoint(0, 0)), f->size());
            QVERIFY2(f->isVisible() && w.rect().contains(r), qPrintable(f->objectName()));
            reached << f->objectName();
        }
        QCOMPARE(reached.contains("cmdSKSave"), step == 3 && !commandLine.isEmpty());
        QCOMPARE(reached.contains("cmdVERIFYSCAN"), step == 4);
    }

    // While N and k or the sensor are written nothing of the service column
    // can be used nor F5 capture, and the overlay covers the whole width of
    // the window.
    void serviceColumnRestsWhileWriting() {
        WindowHarness h;
        MainWindow& w = h.openAt(3, QStringLiteral("savant"));
        QVERIFY(h.visible("cmdReset") && h.enabled("cmdReset"));
        h.clock.setRunsEvents(true);
        int probes = 0;
        bool usable = false, covered = false, narrow = false, captured = false;
        QSet<QString> cancelCaptions; // while the last block goes out
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (!w.busy() || w.ended()) return;
            if (probes++ == 0) { // F5 in the middle of Zápis: no dialog, no question
                QTimer::singleShot(0, &w.referenceDialog(), [&] {
                    if (!w.referenceDialog().isVisible()) return;
                    captured = true;
                    w.referenceDialog().reject();
                });
                const int shown = h.messages.count();
                QTest::keyClick(&w, Qt::Key_F5);
                captured |= h.messages.count() != shown;
            }
            for (const char* name : {"cmdReset", "cmdSKSave", "cmdSKSetNula"})
                usable |= h.visible(name) && h.enabled(name);
            if (h.blockWritesSent() == 0) return;
            cancelCaptions << h.child<QPushButton>("cmdCancel")->text();
            const bool wide = h.child("fraSTATUS")->width() == w.width();
            covered |= h.visible("fraSTATUS") && wide;
            narrow |= h.visible("fraSTATUS") && !wide;
        });
        probe.start(0);
        h.messages.answerYes();
        h.click("cmdSKSave");
        QVERIFY(probes > 0 && !usable && !captured);
        h.clickNext();
        QVERIFY(!usable);
        QVERIFY(covered && !narrow);
        QCOMPARE(cancelCaptions, QSet<QString>{"Konec"});
    }

    // A last write that goes wrong loses nothing: the curve page stays with
    // its points under an overlay as wide as the window, Cancel and the close
    // box ask first, Enter writes again; both attempts are in the history.
    void failedLastWriteKeepsThePoints_data() {
        QTest::addColumn<int>("wrongEchoAt");
        QTest::addColumn<int>("corruptStoreAt");
        // Byte 101 is the point count, which the captured point changes.
        QTest::newRow("stopped midway") << 101 << 0;
        QTest::newRow("read back otherwise") << 0 << 101;
    }
    void failedLastWriteKeepsThePoints() {
        QFETCH(int, wrongEchoAt);
        QFETCH(int, corruptStoreAt);
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        h.capture(1.0, QStringLiteral("250"));
        const int points = w.session().curve().pointCount();
        h.device.setFaults({.wrongEchoAt = wrongEchoAt, .corruptStoreAt = corruptStoreAt});
        h.messages.clear();
        h.messages.answerNo(); // the backup is not put back
        h.press(Qt::Key_Return);
        QVERIFY(!h.messages.isEmpty() && !w.ended());
        h.expectPage(kCurvePage);
        QCOMPARE(w.session().curve().pointCount(), points);
        QCOMPARE(h.focused(), "lstKrivka");
        for (const auto& leave : {std::function<void()>([&] { h.click("cmdCancel"); }),
                                  std::function<void()>([&] { w.close(); })}) {
            h.messages.clear();
            leave(); // answered with the default: No
            QCOMPARE(h.messages.texts(), QStringList{h.lang(kTextDiscardPoints)});
            QVERIFY(!w.ended() && w.isVisible());
        }
        h.device.setFaults(SimFaults());
        h.messages.clear();
        h.press(Qt::Key_Return);
        h.press(Qt::Key_Return);
        QVERIFY(w.ended());
        QCOMPARE(h.messages.texts().value(0).section(u'\n', 0, 0), h.lang(56));
        const std::vector<CalibrationRecord> history = historyAt(); // newest first
        QCOMPARE(history.size(), size_t(3));
        QCOMPARE(history[0].verdict, "not verified");
        QCOMPARE(history[1].result, 1);
        QVERIFY(history[2].result != 1);
    }

    // The last step is a calibration, its certificate offered, only with a
    // point captured on the curve page; else it is a configuration write. The
    // sensor page then dates the last calibration in the window's language.
    void onlyCapturedPointsMakeACalibration() {
        for (const bool capture : {false, true}) {
            WindowHarness h;
            MainWindow& w = h.openAt(3);
            w.session().liveTimer().stop();
            if (capture) h.capture(1.0, QStringLiteral("250"));
            h.messages.clear();
            h.finishWithoutVerifying();
            QVERIFY(w.ended());
            // The write, and after a calibration its skipped verification.
            const std::vector<CalibrationRecord> history = historyAt();
            QCOMPARE(history.size(), size_t(capture ? 2 : 1));
            QCOMPARE(history.back().kind,
                     capture ? RecordKind::Calibration : RecordKind::BlockWrite);
            QCOMPARE(h.messages.last().text.contains(h.lang(kTextOfferCertificate)), capture);
            if (!capture) continue;
            h.openAt(2);
            const QDate day = history.back().timeUtc.toLocalTime().date();
            QVERIFY2(h.text("lblLastCalibration").contains(day.toString(u"d. M. yyyy")),
                     qPrintable(h.text("lblLastCalibration")));
        }
    }

    // The window stays within the screen, its plots narrower, their numbers
    // whole; in service mode too.
    void windowStaysOnScreen() {
        for (const char* commandLine : {"", "savant"}) {
            WindowHarness h;
            MainWindow& w = h.openAt(3, QString::fromLatin1(commandLine));
            w.session().liveTimer().stop();
            for (const double signal : {1.0, 1.0004, 1.0})
                h.showSignal(signal);
            QVERIFY(w.screen()->availableGeometry().contains(w.frameGeometry()));
            QVERIFY(h.child("trendPlot")->geometry().right() < w.width());
            QVERIFY(h.child("fraQORSETUP")->isVisible() == (commandLine[0] != 0));
            auto* trend = h.child<TrendPlot>("trendPlot");
            QGraphicsScene* scene = trend->chart()->scene();
            int labels = 0;
            for (const QGraphicsItem* item : scene->items())
                if (const auto* t = dynamic_cast<const QGraphicsTextItem*>(item)) {
                    QVERIFY2(!t->toPlainText().contains(u"...") && !t->toPlainText().contains(u'…'),
                             qPrintable(t->toPlainText()));
                    labels += !t->toPlainText().isEmpty();
                }
            QVERIFY(labels > 0);
        }
    }

    // The English window is English all through: the list header and the
    // dialog, the service column, the unit beside the capture question's spread.
    void englishWindow() {
        WindowHarness h;
        h.writeLanguage(
            testing::FileBytes(QString(QM_SHIPPED_LANG).replace("qm07r.lang", "en.lang")));
        MainWindow& w = h.openAt(3, QStringLiteral("savant"));
        w.session().liveTimer().stop();
        const QString unit = w.session().sensor().CurrentRecord.Unit.trimmed();
        QCOMPARE(h.text("lblCEth"), "Reference [" + unit + "]");
        QCOMPARE(w.referenceDialog().lblSigEth(1)->text(), h.text("lblCEth"));
        QCOMPARE(h.child<QGroupBox>("fraQORSETUP")->title(), "System calibration");
        QCOMPARE(h.text("lblSKNula"), "Zero [div]");
        QCOMPARE(h.text("lblDilky"), "Divisions");
        QCOMPARE(h.child<QPushButton>("cmdSKSave")->text(), "Write");
        h.showSignal(1.0);
        h.messages.clear();
        h.click("cmdSCAN"); // not settled: asked, No the default
        QVERIFY2(h.messages.last().text.count(QRegularExpression("\\d " + unit + "\\b")) == 2,
                 qPrintable(h.messages.last().text));
    }

    // A whole calibration on the qm07r-sim process through a pty, by Enter
    // and F5 alone, of a 6-digit display's sensor that keeps 6 decimals.
    void sixDecimalsOnAPtyByKeys() {
        QTemporaryDir dir;
        const QString state = dir.filePath("state"), link = dir.filePath("link");
        DeviceModel model;
        QByteArray block = model.block(DeviceModel::kTagBlock);
        block[40] = 6;
        model.setBlock(DeviceModel::kTagBlock, block);
        QString error;
        QVERIFY2(SaveDeviceState(state, model, &error), qPrintable(error));
        SimProcess sim(QStringLiteral(QM07R_SIM_PATH));
        QVERIFY2(sim.start(link, {"--state", state, "--digits", "6"}, &error), qPrintable(error));
        qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
        RealClock clock;
        ScriptedMessages messages;
        ScriptedFiles files;
        MemorySettingsStore settings;
        settings.setValue("Ports", "COM3", link);
        settings.setValue("Default", "ComPort", "3");
        SerialTransportFactory transports{PortMap(&settings)};
        MainWindow w(
            AppServices{clock, messages, settings, transports, QM_SHIPPED_LANG, {}, &files});
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto press = [&](Qt::Key key) { QTest::keyClick(w.focusWidget(), key); };
        press(Qt::Key_Return);
        QCOMPARE(w.session().step(), WizardStep::Sensor);
        QCOMPARE(w.findChild<QComboBox*>("cmbFormat")->currentText(), "0.999999");
        press(Qt::Key_Return);
        QCOMPARE(w.session().step(), WizardStep::Curve);
        for (const auto& [signal, value] : {std::pair{0.5, "0.5"}, {1.5, "1.5"}}) {
            sim.setSignal(signal);
            QTRY_VERIFY(w.session().live().valid &&
                        std::fabs(w.session().live().signal - signal) < 1e-3);
            w.activateWindow(); // again after the dialog, before its next answer waits
            QVERIFY(QTest::qWaitForWindowActive(&w));
            testing::AnswerReferenceDialog(w.referenceDialog(), QString::fromLatin1(value));
            messages.answerYes(); // when it has not settled yet
            press(Qt::Key_F5);
            messages.clear();
        }
        press(Qt::Key_Return);
        press(Qt::Key_Return); // past the verification page
        QVERIFY(w.ended());
        QCOMPARE(messages.texts().value(0).section(u'\n', 0, 0), w.langText().text(56));
        sim.stop();
        SensorRecord stored;
        QVERIFY(DecodeImage(testing::FileBytes(state + "/block00.bin"), stored, 0, 0) > 0);
        QCOMPARE(stored.Format.trimmed(), "0.000000");
        QCOMPARE(stored.PointCount, w.session().curve().pointCount());
        QVERIFY(std::any_of(stored.Signal.begin(), stored.Signal.begin() + stored.PointCount,
                            [](float v) { return std::fabs(v - 1.5f) < 1e-3f; }));
    }

    // Replies of 32 and 34 characters show "-----" and keep the last good values.
    void liveDisplayTakesOnlyWholeReplies() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop(); // the test ticks by hand on the virtual clock
        h.tick(0);                      // nothing asked yet
        QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
        h.tick();
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   0.0000"));
        h.device.setSignal(1.0);
        h.tick(); // the reply to the request sent before the signal changed
        h.device.setFaults({.splitBytes = 32, .splitGapMs = 100}); // replies in two pieces
        h.tick();
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   1.0000"));
        h.device.setSignal(2.0);
        for (const int ms : {50, kLiveIntervalMs}) { // 32 characters; the lost one and 33: 34
            h.tick(ms);
            h.device.setFaults(SimFaults());
            QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
            QCOMPARE(w.session().live().signal, 1.0);
        }
        h.tick(); // 33
        QCOMPARE(h.text("lblSignal"), QStringLiteral("   2.0000"));
        QCOMPARE(w.session().live().display, h.device.displayValue());
    }

    // By the command line or by Ctrl+right-click on the sensor page.
    void serviceMode() {
        const int ctrl = Qt::ControlModifier, right = Qt::RightButton;
        for (const auto& [commandLine, button, modifiers, service] :
             {std::tuple{"  SAVANT  ", 0, 0, true},
              {"savant x", 0, 0, false},
              {"", right, ctrl, true},
              {"", right, ctrl | Qt::ShiftModifier, false},
              {"", int(Qt::LeftButton), ctrl, false}}) {
            WindowHarness h;
            MainWindow& w = h.openAt(2, QString::fromLatin1(commandLine));
            if (button)
                QTest::mousePress(h.child("Label2"), Qt::MouseButton(button),
                                  Qt::KeyboardModifiers(modifiers));
            QCOMPARE(w.serviceLevel(), service ? 2 : 0);
        }
    }

    // On a noisy settled signal the point is the mean of the window's 14
    // replies, not the latest one, and the list shows its spread.
    void captureTakesWindowMean() {
        WindowHarness h;
        h.settings.setValue("Stability", "Digits", "1000"); // stable despite the noise
        h.device.setSignalOptions({0.002, 0, 0, 7});
        h.device.setSignal(1.0);
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        QList<double> seen;
        for (int i = 0; i < 30; ++i) {
            h.tick();
            seen << w.session().live().signal;
        }
        QVERIFY(w.session().stability().isStable());
        const float mean = float(std::accumulate(seen.end() - 14, seen.end(), 0.0) / 14);
        QVERIFY(mean != float(seen.last()));
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("10"));
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(h.messages.isEmpty());
        const int row = w.session().curve().FindSignal(mean);
        QVERIFY(row > 0);
        QCOMPARE(w.session().curve().pointAt(row).spread,
                 w.session().stability().window().spreadDisplay);
    }

    // While the signal settles Capture asks, No by default (and takes nothing).
    void captureWhileSettlingAsks() {
        WindowHarness h;
        h.settings.setValue("Stability", "Digits", "-3"); // bad: 5 digits
        h.device.setSignalOptions({0, 5, 0, 1});
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        h.tick();
        h.device.setSignal(1.5, h.clock.tickMs());
        for (int i = 0; i < 20; ++i)
            h.tick();
        QVERIFY(!w.session().stability().isStable());
        const int before = w.session().curve().pointCount();
        h.messages.clear();
        h.click("cmdSCAN");
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(h.messages.last().defaultButton, MsgNo);
        QCOMPARE(w.session().curve().pointCount(), before);
    }

    // Auto-capture opens the reference dialog once the signal has settled on a
    // level at least 5 % of full scale (2 mV/V) from every point, and only
    // then. Points at 0 and 2 mV/V, one taken at 1.
    void autoCapture() {
        for (const auto& [setting, level, settleSeconds, opens] : {std::tuple{"1", 1.5, 0.0, true},
                                                                   {"", 1.5, 0.0, false},
                                                                   {"0", 1.5, 0.0, false},
                                                                   {"true", 1.5, 5.0, false},
                                                                   {"1", 1.11, 0.0, true},
                                                                   {"1", 0.91, 0.0, false}}) {
            WindowHarness h;
            h.settings.setValue("Stability", "AutoCapture", setting);
            h.device.setSignalOptions({0, settleSeconds, 0, 1});
            MainWindow& w = h.openAt(3);
            w.session().liveTimer().stop();
            h.capture(1.0, QStringLiteral("10"));
            const int before = w.session().curve().pointCount(); // with the device's own points
            h.device.setSignal(level, h.clock.tickMs());
            h.messages.clear();
            // Whenever the dialog is up, it is answered, and the point counted.
            QTimer answer;
            answer.callOnTimeout(&w.referenceDialog(), [&] {
                if (!w.referenceDialog().isVisible()) return;
                w.referenceDialog().pointField(1)->setText(QStringLiteral("20"));
                QTest::keyClick(w.referenceDialog().pointField(1), Qt::Key_Return);
            });
            answer.start(5);
            for (int i = 0; i < 24; ++i) // 3.6 s: settled for a whole window
                h.tick();
            QCOMPARE(h.messages.count(), 0); // never "take it anyway?"
            QCOMPARE(w.session().curve().pointCount(), before + (opens ? 1 : 0));
            QCOMPARE(w.session().curve().FindSignal(
                         float(w.session().stability().window().meanSignal)) > 0,
                     opens);
        }
    }

    // Capture, add, edit, delete and clear: the plots and the column show
    // the list's points every time.
    void plotsFollowTheList() {
        WindowHarness h;
        h.settings.setValue("Stability", "Digits", "1000"); // stable despite the noise
        h.device.setSignalOptions({0.001, 0, 0, 3});
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        auto* evidence = h.child<CurveEvidence>("fraEVIDENCE");
        QVERIFY(w.rect().contains(evidence->geometry()));
        auto* list = h.child<QListWidget>("lstKrivka");
        const auto byX = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
        auto expectSameAsList = [&] {
            const std::vector<CurvePoint> points = CurvePoints(w.session().curve());
            QList<QPointF> column;
            QCOMPARE(evidence->linearityList()->count(), list->count());
            const QList<QPointF> deviations =
                SeriesNamed(evidence->deviationPlot()->chart(), "deviation")->points();
            QCOMPARE(deviations.size(), points.size() >= 2 ? qsizetype(points.size()) : 0);
            // The plot draws the column's figures by value, its title the label's.
            for (size_t i = 0; i < points.size() && !deviations.isEmpty(); ++i)
                column << QPointF(
                    points[i].value,
                    evidence->linearityList()->item(int(i))->text().left(7).toDouble());
            std::stable_sort(column.begin(), column.end(), byX);
            for (qsizetype i = 0; i < column.size(); ++i)
                QVERIFY(std::abs(column[i].y() - deviations[i].y()) < 0.0006);
            const QString label = evidence->nonLinearityLabel()->text();
            QVERIFY(evidence->deviationPlot()->chart()->title().endsWith(label.section(':', 1)));
        };
        for (const auto& [signal, value] : {std::pair{0.5, "20"}, {1.0, "41"}, {2.0, "80"}}) {
            h.device.setSignal(signal);
            for (int i = 0; i < 16; ++i)
                h.tick();
            testing::AnswerReferenceDialog(w.referenceDialog(), QLatin1String(value));
            h.click("cmdSCAN");
            expectSameAsList();
        }
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("60"));
        h.click("cmdListAction0"); // add: the value at signal 0
        expectSameAsList();
        list->setCurrentRow(1);
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("19"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(1)).center());
        expectSameAsList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        h.messages.answerYes();
        h.click("cmdListAction1");
        expectSameAsList();
        h.messages.answerYes();
        h.click("cmdListAction2");
        expectSameAsList();
    }

    // Closed halfway through the last write: the window says it is writing
    // (the share of the bytes to send that went out) and ends only when the
    // block is written, reset and read back.
    void closeDuringWriteWaitsForTheBlock() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        h.capture(0.75, QStringLiteral("190")); // a third point: some 20 bytes change
        h.messages.clear();
        h.clock.setRunsEvents(true);
        int writesAtEnd = -1, writesAtClose = 0;
        QString status;
        connect(&w, &MainWindow::programEnded, [&] { writesAtEnd = h.blockWritesSent(); });
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (h.blockWritesSent() < 5 || !status.isEmpty()) return;
            status = h.text("lblStatus");
            writesAtClose = h.blockWritesSent();
            w.close();
        });
        closer.start(0);
        h.sent.clear();
        h.clickNext();
        QTRY_VERIFY(w.ended()); // once the write is done
        const int percent = status.section(u' ', -2, -2).toInt();
        QVERIFY2(status.startsWith(h.lang(52)) && percent > 0 && percent < 100, qPrintable(status));
        QCOMPARE(writesAtEnd, h.blockWritesSent());
        QVERIFY(percent <= 100 * writesAtClose / writesAtEnd);
        QVERIFY(h.sent.requests().lastIndexOf("$00X") > h.sent.requests().lastIndexOf("$00KB00"));
        QCOMPARE(h.messages.texts().value(0).section(u'\n', 0, 0), h.lang(56));
        QVERIFY(w.ended() && !w.isVisible());
    }

    // A settled signal at 64x is shown as the device sends it; a reply
    // garbled on the way leaves the window's good readings to be captured; a
    // device that falls silent or a line that is cut shows "-----" everywhere within a second, says
    // so instead of "stable", and nothing is captured from what came before.
    void noReadingIsNeverCaptured() {
        for (const int fault : {0, 1, 2}) {
            WindowHarness h;
            QByteArray image = h.device.block(DeviceModel::kTagBlock);
            image[4] = 6; // 64x: the count no longer follows the constants' 128x
            h.device.setBlock(DeviceModel::kTagBlock, image);
            h.device.reload();
            MainWindow& w = h.openAt(3);
            w.session().liveTimer().stop();
            h.showSignal(5.0);
            for (int i = 0; i < 16; ++i)
                h.tick();
            QCOMPARE(h.text("lblSignal"), QStringLiteral("   5.0000"));
            if (fault == 0) {
                h.device.setFaults({.garbleRate = 1.0});
                h.tick();
                h.tick();
                h.device.setFaults({});
                QCOMPARE(h.text("lblSignal"), QStringLiteral("-----"));
                testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("250"));
                QTest::keyClick(&w, Qt::Key_F5);
                QVERIFY(h.messages.texts().isEmpty());
                QVERIFY(w.session().curve().FindSignal(5.0) > 0);
                continue;
            }
            h.device.setFaults(fault == 1 ? SimFaults{.silentAfter = h.device.requestCount()}
                                          : SimFaults{.hangUpAfter = h.device.requestCount()});
            for (int i = 0; i < 7; ++i) // a second
                h.tick();
            QVERIFY(h.text("lblStability").contains(h.lang(kTextNoLiveReading)));
            for (int i = 0; i < 80; ++i) // the 13 s a dead line once stood for a settled one
                h.tick();
            for (const char* label : {"lblSignal", "lblSignalDIV", "lblSignalDISP"})
                QCOMPARE(h.text(label), QStringLiteral("-----"));
            bool dialogShown = false;
            QTimer::singleShot(0, &w.referenceDialog(), [&] {
                dialogShown = w.referenceDialog().isVisible();
                if (dialogShown) w.referenceDialog().reject();
            });
            const int points = w.session().curve().pointCount();
            h.messages.clear();
            QTest::keyClick(&w, Qt::Key_F5);
            QVERIFY(!dialogShown);
            QCOMPARE(h.messages.texts(), QStringList{h.lang(kTextNoReading)});
            QCOMPARE(w.session().curve().pointCount(), points);
        }
    }

    // Edit + OK untouched keeps the value bit for bit although the mask shows
    // fewer digits.
    void valuesKeepSignDigitsAndBits() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        h.capture(0.75, QStringLiteral("-0,1234567"));
        auto* list = h.child<QListWidget>("lstKrivka");
        const int row = w.session().curve().FindSignal(0.75);
        QCOMPARE(w.session().curve().pointAt(row).value, double(-0.1234567f));
        list->setCurrentRow(row - 1);
        QTimer::singleShot(
            0, &w, [&] { QTest::keyClick(w.referenceDialog().pointField(1), Qt::Key_Return); });
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(row - 1)).center());
        QCOMPARE(w.session().curve().pointAt(row).value, double(-0.1234567f));
        QVERIFY(list->item(row - 1)->text().endsWith(u"-0.12"));
    }

    // A write that stops midway says so in words, names the backup and puts
    // it back on Yes: the block then holds the backup, checked, and both
    // writes are in the history, the restore newest and confirmed. Byte 52
    // (the date's month) is the first that changes, so it is all the restore sends.
    void failedWriteOffersTheBackup() {
        WindowHarness h;
        MainWindow& w = h.openAt(3);
        h.device.setFaults({.wrongEchoAt = 52});
        h.messages.setOnShow([&](const Message& m) {
            if (m.buttons & MsgYes) h.device.setFaults(SimFaults()); // the line is good again
        });
        h.messages.clear();
        h.clickNext();
        QVERIFY(!w.ended()); // the points stay for another attempt
        QCOMPARE(h.messages.count(), 2);
        const Message& asked = h.messages.shown().first();
        const QStringList backups = QDir(h.backupFolder()).entryList({"*.bin"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        const QString path = QDir(h.backupFolder()).filePath(backups.first());
        QVERIFY(asked.text.contains(h.lang(kTextWriteStopped).arg(52).arg(h.lang(kTextWrongEcho))));
        QVERIFY(asked.text.contains(path));
        QCOMPARE(asked.defaultButton, MsgYes);
        QCOMPARE(h.messages.last().text, h.lang(kTextRestored));
        QCOMPARE(h.device.block(DeviceModel::kTagBlock), testing::FileBytes(path));
        const std::vector<CalibrationRecord> history = historyAt();
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(history[0].kind, RecordKind::Restore);
        QCOMPARE(history[0].result, 1);
        QCOMPARE(history[0].imageAfter, testing::FileBytes(path).left(kBlockBytes));
        QCOMPARE(history[0].bytesSent, 1);
        QVERIFY(history[1].result < 0);
        QCOMPARE(history[1].bytesSent, 1);
    }

    // Esc, Cancel, the close box and Back with captured points not stored ask first, No the
    // default; on the sensor page Esc and Cancel end at once and close the port.
    void leavingAsksOnlyForUnstoredPoints() {
        for (const auto& [how, points] : {std::pair{"esc", true},
                                          {"cmdCancel", true},
                                          {"cmdBack", true},
                                          {"close", true},
                                          {"esc", false},
                                          {"cmdCancel", false},
                                          {"close", false}}) {
            WindowHarness h;
            MainWindow& w = h.openAt(points ? 3 : 2);
            const bool esc = qstrcmp(how, "esc") == 0;
            const bool closeBox = qstrcmp(how, "close") == 0;
            auto leave = [&] {
                esc        ? QTest::keyClick(&w, Qt::Key_Escape)
                : closeBox ? void(w.close())
                           : h.click(how);
            };
            if (points) {
                w.session().liveTimer().stop();
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
                QCOMPARE(w.session().step(), WizardStep::Sensor);
            else
                QVERIFY(w.ended() && !w.session().link().isOpen() && !w.isVisible());
        }
    }

    // No backup in the data folder: without another folder nothing is
    // written and the curve page stays; a picked folder takes the backup.
    void noBackupFolder() {
        for (const QString& picked : {QString(), QDir::tempPath()}) {
            WindowHarness h;
            h.openAt(3);
            h.blockDataFolder();
            const QByteArray before = h.device.block(DeviceModel::kTagBlock);
            h.messages.clear();
            if (!picked.isEmpty()) {
                h.messages.answerYes();
                h.files.answers << picked;
            }
            h.clickNext();
            h.unblockDataFolder();
            QCOMPARE(h.visible("fraVERIFY"), !picked.isEmpty());
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

    // The calibration in the history with its operator, points and spreads.
    // With faults, the history opens but first takes no record: the last step
    // writes nothing and keeps the curve; then it takes no outcome, which goes
    // to the local file when the technician agrees, the history keeping that
    // the write started.
    void calibrationIsRecorded_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("faults");
        for (const char* backend : {"sqlite", "postgresql"})
            for (const bool faults : {false, true})
                QTest::addRow("%s%s", backend, faults ? ", faults" : "")
                    << QString(backend) << faults;
    }
    void calibrationIsRecorded() {
        QFETCH(QString, backend);
        QFETCH(bool, faults);
        QM_SKIP_WITHOUT_SERVER(backend);
        WindowHarness h;
        const QString url = testing::FreshDatabaseUrl(backend, h.dir);
        h.settings.setValue("Database", "Url", url);
        MainWindow& w = h.openAt(2);
        h.child<QLineEdit>("txtOperator")->setText("J. Novák");
        h.clickNext();
        h.capture(1.5, "375");
        RecordStore history;
        QVERIFY(history.open(url).ok());
        if (faults) {
            QCOMPARE(testing::RefuseWrites(history.database(), "INSERT"), QString());
            const int sent = h.blockWritesSent();
            h.clickNext();
            QVERIFY(!w.ended());
            QCOMPARE(h.blockWritesSent(), sent);
            QVERIFY(h.messages.texts().join(u'\n').contains(h.lang(kTextNotStarted).left(20)));
            QCOMPARE(testing::AllowWrites(history.database()), QString());
            QCOMPARE(testing::RefuseWrites(history.database(), "UPDATE"), QString());
            h.messages.answerYes();
        }
        h.clickNext();
        h.click("cmdCancel"); // the verification page left without a point
        QVERIFY(w.ended());
        if (faults) QCOMPARE(historyAt(url).front().result, kRecordStarted);
        const std::vector<CalibrationRecord> all = historyAt(faults ? LocalDatabaseUrl() : url);
        QCOMPARE(all.size(), size_t(2));
        const CalibrationRecord& r = all.back();
        QCOMPARE(all.front().verdict, "not verified"); // the verification page was skipped
        QCOMPARE(all.front().checks.value_or(0), r.id);
        QCOMPARE(r.result, kRecordDone);
        QCOMPARE(r.operatorName, "J. Novák");
        QCOMPARE(r.imageBefore, testing::FileBytes(r.backupPath));
        QCOMPARE(int(r.points.size()), w.session().curve().pointCount());
        QCOMPARE(r.points.at(1).reference, 375.0);
        QVERIFY(r.points.at(1).spread && !r.points.at(0).spread && r.nonLinearity);
    }

    // A closed terminal (SIGHUP) closes the window as its close box does
    // (after a write under way) instead of ending the program.
    void closedTerminalClosesTheWindow() {
        WindowHarness h;
        MainWindow& w = h.openAt(2);
        QVERIFY(CloseOnTerminationSignals(w));
        ::raise(SIGHUP);
        QCoreApplication::processEvents();
        QVERIFY(!w.isVisible());
    }

    // After the write the device's own reading is verified by keys alone. A
    // device reading 0.3 % high fails the 0.1 % tolerance: Back returns to the
    // curve page with its points and the failed verification recorded. A
    // device that reads right passes; Enter records it against the new
    // calibration and ends. Each point on the curve page kept its as-found
    // indication.
    void verificationAfterTheWrite_data() {
        QTest::addColumn<int>("gainIndex");
        QTest::newRow("128x") << 7;
        QTest::newRow("8x: another input range") << 3;
    }
    void verificationAfterTheWrite() {
        QFETCH(int, gainIndex);
        WindowHarness h;
        QByteArray image = h.device.block(DeviceModel::kTagBlock);
        image[4] = char(gainIndex);
        h.device.setBlock(DeviceModel::kTagBlock, image);
        h.device.reload();
        h.device.setFaults({.displayErrorPct = 0.3});
        MainWindow& w = h.openAt(3);
        w.session().liveTimer().stop();
        // Active before each dialog's answer waits, as after the dialog before.
        for (const auto& [signal, value] : {std::pair{0.5, "100"}, {1.5, "300"}}) {
            h.activate();
            h.settle(signal);
            testing::AnswerReferenceDialog(w.referenceDialog(), value);
            h.press(Qt::Key_F5);
        }
        const WindowSummary& window = w.session().stability().window();
        const int row = w.session().curve().FindSignal(float(window.meanSignal));
        QCOMPARE(w.session().curve().pointAt(row).indicated.value_or(0), window.meanDisplay);
        const QString line = h.child<QListWidget>("lstLinearity")->item(row - 1)->text();
        QCOMPARE(line.split(' ', Qt::SkipEmptyParts).size(), 3); // deviation, spread, as found
        const int points = w.session().curve().pointCount();
        const auto verifyAt = [&](double signal, const char* reference) {
            h.activate();
            w.session().liveTimer().stop();
            h.settle(signal);
            const double shown = h.text("lblVerifyReading").section(' ', 0, 0).toDouble();
            QVERIFY(std::abs(shown - w.session().live().display) < 0.01);
            testing::AnswerReferenceDialog(w.referenceDialog(), reference);
            h.press(Qt::Key_F5);
        };
        for (const bool readsRight : {false, true}) {
            h.messages.clear();
            h.press(Qt::Key_Return); // written, reset: the verification page
            h.expectPage(kVerifyPage);
            QCOMPARE(h.focused(), "tblVerify");
            QVERIFY(h.text("lblVerdict").startsWith(h.lang(kTextVerifyHowTo).left(20)));
            h.device.setFaults({.displayErrorPct = readsRight ? 0.0 : 0.3});
            verifyAt(1.0, "200");
            verifyAt(0.5, "100");
            QCOMPARE(h.messages.texts().join("|"), QString()); // settled: nothing to ask
            const auto* table = h.child<QTableWidget>("tblVerify");
            QCOMPARE(table->rowCount(), 2);
            const double error = table->item(1, 2)->text().toDouble(); // at 100
            QCOMPARE(error, readsRight ? 0.0 : 0.3);
            const int verdict = readsRight ? kTextVerifyPass : kTextVerifyFail;
            QVERIFY(h.text("lblVerdict").contains(h.lang(verdict).left(12)));
            if (!readsRight) {
                h.press(Qt::Key_Escape); // Cancel asks before the points go: No
                QCOMPARE(h.messages.last().text, h.lang(kTextDiscardPoints));
                h.click("cmdBack");
                h.expectPage(kCurvePage);
                QCOMPARE(w.session().curve().pointCount(), points);
                w.session().liveTimer().stop();
                h.activate();
                h.settle(1.0);
                testing::AnswerReferenceDialog(w.referenceDialog(), "200");
                h.press(Qt::Key_F5);
            }
        }
        h.messages.clear();
        h.press(Qt::Key_Return);
        QVERIFY(w.ended());
        QVERIFY(h.messages.texts().value(0).startsWith(h.lang(kTextStored)));
        const std::vector<CalibrationRecord> all = historyAt(); // newest first
        QCOMPARE(all.size(), size_t(4));
        QCOMPARE(all[0].kind, RecordKind::Verification);
        QCOMPARE(all[0].verdict, "pass");
        QCOMPARE(all[0].checks.value_or(0), all[1].id);
        QCOMPARE(all[1].kind, RecordKind::Calibration);
        QCOMPARE(all[1].points.size(), size_t(points + 1));
        QCOMPARE(all[2].verdict, "fail");
        QCOMPARE(all[2].checks.value_or(0), all[3].id);
        QVERIFY(all[3].points.at(1).indicated);
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
            if (recordLocally) h.finishWithoutVerifying();
            QCOMPARE(w.ended(), recordLocally);
            QCOMPARE(h.blockWritesSent() > 0, recordLocally);
            QCOMPARE(historyAt().size(), size_t(recordLocally));
        }
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
