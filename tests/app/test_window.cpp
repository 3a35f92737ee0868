#include "windowharness.h"

#include <QtTest>

using namespace qm;

class TestWindow : public QObject {
    Q_OBJECT
  private slots:
    // By the command line or by Ctrl+right-click on the sensor page; either
    // widens the curve page to uncover the system calibration column.
    void serviceMode_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("service");
        QTest::newRow("capitals with blanks") << "  SAVANT  " << 0 << 0 << true;
        QTest::newRow("second word") << "savant x" << 0 << 0 << false;
        QTest::newRow("Ctrl right")
            << "" << int(Qt::RightButton) << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl Shift right")
            << "" << int(Qt::RightButton) << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl left")
            << "" << int(Qt::LeftButton) << int(Qt::ControlModifier) << false;
    }
    void serviceMode() {
        QFETCH(QString, commandLine);
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(bool, service);
        WindowHarness h;
        MainWindow& w = h.openAt(2, commandLine);
        QCOMPARE(w.width(), h.twips(kFormWidth));
        if (button)
            QTest::mousePress(h.child("Label2"), Qt::MouseButton(button),
                              Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.ServiceLevel(), service ? 2 : 0);
        h.clickNext();
        QCOMPARE(w.width(), h.twips((service ? kFormWidthService : kFormWidth) + kEvidenceWidth));
        h.clickBack();
        QCOMPARE(w.width(), h.twips(kFormWidth));
    }

    void storedPortSelectsEntry_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("port");
        for (auto [stored, port] :
             {std::pair{"19", "COM19"}, {"0", "COM1"}, {"20", "COM1"}, {"not a number", "COM1"}})
            QTest::newRow(stored) << QString(stored) << QString(port);
    }
    void storedPortSelectsEntry() {
        QFETCH(QString, stored);
        WindowHarness h;
        h.settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"), stored);
        h.open();
        QTEST(h.child<QComboBox>("cmbPort")->currentText().section(u' ', 0, 0), "port");
    }

    void noLanguageFileLeavesCaptionsBlank() {
        WindowHarness h;
        QFile::remove(h.langPath());
        h.open();
        for (const char* name : {"lblPortPopis", "cmdSCANQM07", "cmdBack", "cmdNext", "cmdCancel"})
            QVERIFY2(h.text(name).isEmpty(), name);
    }

    // Each double-click on the background shows the captions in the next
    // character set; messages keep the file's own reading.
    void backgroundDoubleClickTriesCharsets() {
        WindowHarness h;
        h.writeLanguage("charset=238\r\n3=Zp\xEC"
                        "t\r\n");
        MainWindow& w = h.open();
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpět"));
        QTest::mouseDClick(h.child("fraCOMM"), Qt::LeftButton); // not the background
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpět"));
        const QPoint background(2, w.height() - 2);
        QVERIFY(w.childAt(background) == nullptr);
        QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier, background);
        QCOMPARE(h.text("cmdBack"), QStringLiteral("Zpìt")); // 201 reads as western
        QCOMPARE(h.lang(3), QStringLiteral("Zpět"));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
