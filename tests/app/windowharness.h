#pragma once
// A main window on the virtual clock with scripted messages and file dialogs,
// in-memory settings and the in-process simulated device.
#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/filechooser.h"
#include "core/settings.h"
#include "sim/devicemodel.h"
#include "sim/simtransport.h"
#include "support/files.h"
#include "support/recordingtransport.h"
#include "support/referencedialog.h"
#include "support/scriptedmessages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace qm {

// Takes the answers in order; none left: cancelled.
struct ScriptedFiles final : FileChooser {
    QStringList answers;
    QString chooseFolder(const QString&, const QString&) override { return next(); }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override {
        return next();
    }
    QString next() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

// Which frames show and which of Back, Next, Cancel are enabled.
struct PageState {
    bool port, sensor, curve, display, back, next, cancel;
};
constexpr PageState kPortPage{true, false, false, false, false, true, true};
constexpr PageState kSensorPage{false, true, false, false, true, true, true};
constexpr PageState kCurvePage{false, false, true, true, true, true, true};
constexpr PageState kVerifyPage{false, false, false, true, true, true, true};

struct WindowHarness {
    VirtualClock clock;
    ScriptedMessages messages;
    ScriptedFiles files;
    MemorySettingsStore settings;
    SimTransportFactory ports{clock};
    RecordingTransportFactory sent{ports}; // what the window wrote to the ports
    DeviceModel device;                    // on COM3 unless the test says otherwise
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

    explicit WindowHarness(int devicePort = 3) {
        unblockDataFolder(); // the backups stay in this harness's folder
        ports.attach(devicePort, device);
        settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"),
                          QStringLiteral("3"));
        useShippedLanguage(); // a test may write its own or remove it
    }

    int blockWritesSent() const {
        int n = 0;
        for (const QByteArray& r : sent.requests())
            n += r.startsWith("$00KW");
        return n;
    }
    // The data folder cannot be made from now on (a file stands in its way).
    void blockDataFolder() {
        const QString file = testing::WriteFileBytes(dir.filePath(QStringLiteral("file")), "x");
        qputenv("XDG_DATA_HOME", (file + "/data").toLocal8Bit());
    }
    void unblockDataFolder() {
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    }
    QString backupFolder() const { return dir.filePath(QStringLiteral("data/QM-07R/backups")); }
    QString langPath() const { return dir.filePath(QStringLiteral("qm07r.lang")); }
    void writeLanguage(const QByteArray& bytes) { testing::WriteFileBytes(langPath(), bytes); }
    void useShippedLanguage() { writeLanguage(testing::FileBytes(QM_SHIPPED_LANG)); }

    // Opened and moved on with Next to the given step.
    MainWindow& openAt(int step, const QString& commandLine = {}) {
        window = std::make_unique<MainWindow>(
            AppServices{clock, messages, settings, sent, langPath(), commandLine, &files});
        window->show();
        for (int i = 1; i < step; ++i)
            click("cmdNext");
        return *window;
    }
    MainWindow& open(const QString& commandLine = {}) { return openAt(1, commandLine); }
    // One tick of the live display after the given time on the virtual clock.
    void tick(int ms = kLiveIntervalMs) {
        clock.advance(ms);
        window->session().pollLive();
    }
    // One tick collects the reply asked before the change, the next the new one.
    void showSignal(double signal) {
        device.setSignal(signal);
        tick();
        tick();
    }
    // The signal held until the stability window has settled on it.
    void settle(double signal) {
        device.setSignal(signal);
        for (int i = 0; i < 20; ++i)
            tick();
    }
    // Captured with the button, the reference dialog answered with value.
    void capture(double signal, const QString& value) {
        showSignal(signal);
        testing::AnswerReferenceDialog(window->referenceDialog(), value);
        messages.answerYes(); // two ticks never settle: take the point anyway
        click("cmdSCAN");
    }

    template <typename T = QWidget> T* child(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QString text(const char* name) const { return child<QLabel>(name)->text(); }
    QString lang(int n) const { return window->langText().text(n); }
    void click(const char* name) {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    void clickNext() { click("cmdNext"); }
    // Next on the curve page, then Next again past the verification page.
    void finishWithoutVerifying() {
        clickNext();
        if (visible("fraVERIFY")) clickNext();
    }
    // The window active, as a technician at the bench has it.
    void activate() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    // A key pressed where the focus stands.
    void press(Qt::Key key) {
        if (!window->isActiveWindow()) activate(); // back from a dialog

        QWidget* focused = window->focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, key);
    }
    QString focused() const {
        return window->focusWidget() ? window->focusWidget()->objectName() : QString();
    }
    bool visible(const char* name) const { return child(name) && child(name)->isVisible(); }
    bool enabled(const char* name) const { return child(name) && child(name)->isEnabled(); }

    void expectPage(const PageState& s) const {
        QCOMPARE(visible("fraCOMM"), s.port);
        QCOMPARE(visible("fraSNIMAC"), s.sensor);
        QCOMPARE(visible("fraCURVE"), s.curve);
        QCOMPARE(visible("fraDISPLAY"), s.display);
        QVERIFY(!visible("fraSTATUS"));
        QCOMPARE(enabled("cmdBack"), s.back);
        QCOMPARE(enabled("cmdNext"), s.next);
        QCOMPARE(enabled("cmdCancel"), s.cancel);
    }
};

} // namespace qm
