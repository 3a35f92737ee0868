#include "windowharness.h"

#include <QtTest>

using namespace qm;

namespace {
// The controls whose captions come from the language file.
const char* const kCaptioned[] = {"lblPortPopis", "cmdSCANQM07", "cmdBack", "cmdNext", "cmdCancel"};
} // namespace

class TestWindow : public QObject {
    Q_OBJECT
  private slots:
    void titleCarriesTheVersion() {
        QCOMPARE(WindowTitle(1, 1, 51), QStringLiteral("QM-07 Calibrator v1.1.51"));
        WindowHarness h;
        h.open();
        QVERIFY(h.window->windowTitle().startsWith(QStringLiteral("QM-07 Calibrator v")));
    }

    void serviceModeByCommandLine_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("level");
        QTest::newRow("word") << "savant" << 2;
        QTest::newRow("capitals with blanks") << "  SAVANT  " << 2;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("second word") << "savant now" << 0;
        QTest::newRow("other word") << "service" << 0;
    }
    void serviceModeByCommandLine() {
        QFETCH(QString, commandLine);
        QFETCH(int, level);
        WindowHarness h;
        QCOMPARE(h.open(commandLine).ServiceLevel(), level);
    }

    void storedPortSelectsEntry_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::newRow("absent") << QString() << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("3") << "3" << 2;
        QTest::newRow("19") << "19" << 18;
        QTest::newRow("20") << "20" << 0;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("not a number") << "x" << 0;
    }
    void storedPortSelectsEntry() {
        QFETCH(QString, stored);
        QFETCH(int, index);
        WindowHarness h;
        if (stored.isNull())
            h.settings = MemorySettingsStore();
        else
            h.settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"), stored);
        h.open();
        auto* cmb = h.child<QComboBox>("cmbPort");
        QCOMPARE(cmb->count(), 19);
        QCOMPARE(cmb->currentIndex(), index);
        QVERIFY(cmb->itemText(18).startsWith(QStringLiteral("COM19")));
        QVERIFY(cmb->itemText(2).contains(QStringLiteral("simulated QM-07R")));
        QCOMPARE(cmb->itemText(3), QStringLiteral("COM4"));
    }

    void portPageAtFirstActivation() {
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        QCOMPARE(w.WizardStep(), 1);
        QVERIFY(h.visible("fraCOMM"));
        for (const char* hidden : {"fraSNIMAC", "fraCURVE", "fraDISPLAY", "fraSTATUS"})
            QVERIFY2(!h.visible(hidden), hidden);
        QVERIFY(!h.enabled("cmdBack"));
        QVERIFY(h.enabled("cmdNext"));
        QVERIFY(h.enabled("cmdCancel"));
        QCOMPARE(w.width(), Twips(w.logicalDpiX())(kFormWidth));
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpět"));
        QCOMPARE(h.text("cmdSCANQM07"), QStringLiteral("Vyhledat"));
    }

    void noLanguageFileLeavesCaptionsBlank() {
        WindowHarness h;
        h.open();
        for (const char* name : kCaptioned)
            QVERIFY2(h.text(name).isEmpty(), name);
    }

    void ctrlRightClickOnPopisSwitchesServiceOn_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("level");
        QTest::newRow("Ctrl right") << int(Qt::RightButton) << int(Qt::ControlModifier) << 2;
        QTest::newRow("Ctrl Shift right")
            << int(Qt::RightButton) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0;
        QTest::newRow("Ctrl Alt right")
            << int(Qt::RightButton) << int(Qt::ControlModifier | Qt::AltModifier) << 0;
        QTest::newRow("right alone") << int(Qt::RightButton) << int(Qt::NoModifier) << 0;
        QTest::newRow("Ctrl left") << int(Qt::LeftButton) << int(Qt::ControlModifier) << 0;
    }
    void ctrlRightClickOnPopisSwitchesServiceOn() {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, level);
        WindowHarness h;
        frmQORCalibration& w = h.open();
        QTest::mousePress(h.child("Label2"), Qt::MouseButton(button),
                          Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.ServiceLevel(), level);
    }

    // Each double-click shows the captions in the next character set.
    void backgroundDoubleClickTriesCharsets() {
        WindowHarness h;
        h.writeLanguage("charset=238\r\n3=Zp\xEC"
                        "t\r\n2=Hled\xE1n\xED\r\n");
        frmQORCalibration& w = h.open();
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpět"));
        const QPoint background(2, w.height() - 2);
        QVERIFY(w.childAt(background) == nullptr);
        QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier, background);
        QCOMPARE(w.CharsetTrial(), 201);
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpìt"));
        QCOMPARE(h.text("cmdSCANQM07"), QStringLiteral("Hledání"));
        // A double-click on a frame is not the background.
        QTest::mouseDClick(h.child("fraCOMM"), Qt::LeftButton);
        QCOMPARE(w.CharsetTrial(), 201);
        // Messages keep the file's own reading.
        QCOMPARE(w.LangText().text(3), QStringLiteral("Zpět"));
    }

    void escapeCancelsAndEnds() {
        WindowHarness h;
        frmQORCalibration& w = h.open();
        QSignalSpy ended(&w, &frmQORCalibration::programEnded);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(ended.count(), 1);
        QVERIFY(w.ended());
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
