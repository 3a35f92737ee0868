#include "calibration/inputbox.h"
#include "support/scriptedmessages.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {
// Shows the dialog modally and lets `user` act on it while it is open.
void runDialog(frmQORCalibInputBox& dlg, const std::function<void()>& user) {
    bool ran = false;
    QTimer::singleShot(0, &dlg, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        user();
        ran = true;
        if (dlg.isVisible()) // a failed check must not leave the test hanging
            dlg.done(QDialog::Rejected);
    });
    dlg.showModal();
    QVERIFY(ran);
}
} // namespace

class TestInputBox : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void fieldsAreRightAligned_data() {
        QTest::addColumn<float>("sig");
        QTest::addColumn<float>("eth");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("sigText");
        QTest::addColumn<QString>("ethText");
        QTest::newRow("spec") << 0.5f << 12.5f << "###0.000"
                              << "    0.50000"
                              << "  12.500";
        QTest::newRow("integer mask") << -1.25f << 300.f << "######0"
                                      << "   -1.25000"
                                      << "    300";
    }
    void fieldsAreRightAligned() {
        QFETCH(float, sig);
        QFETCH(float, eth);
        QFETCH(QString, mask);
        QFETCH(QString, sigText);
        QFETCH(QString, ethText);
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.SIG = sig;
        dlg.ETH = eth;
        dlg.ETHFormat = mask;
        runDialog(dlg, [&] {
            QCOMPARE(dlg.txtCalBod(0)->text(), sigText);
            QCOMPARE(dlg.txtCalBod(1)->text(), ethText);
        });
    }

    void focusFollowsSignalFocus_data() {
        QTest::addColumn<bool>("signalFocus");
        QTest::addColumn<int>("focused");
        QTest::newRow("signal") << true << 0;
        QTest::newRow("reference") << false << 1;
    }
    void focusFollowsSignalFocus() {
        QFETCH(bool, signalFocus);
        QFETCH(int, focused);
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        QVERIFY(dlg.SignalFocus); // set when loaded
        dlg.SignalFocus = signalFocus;
        dlg.ETHFormat = QStringLiteral("##0.0000");
        runDialog(dlg, [&] {
            QLineEdit* f = dlg.txtCalBod(focused);
            QCOMPARE(QApplication::focusWidget(), f);
            QCOMPARE(f->selectedText(), f->text());
            // Tabbing to the other field selects its whole text too.
            QTest::keyClick(f, focused == 0 ? Qt::Key_Tab : Qt::Key_Backtab);
            QCoreApplication::processEvents();
            QLineEdit* other = dlg.txtCalBod(1 - focused);
            QCOMPARE(QApplication::focusWidget(), other);
            QCOMPARE(other->selectedText(), other->text());
        });
    }

    void typedNumbersAreRead_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<float>("sig");
        QTest::addColumn<float>("eth");
        QTest::newRow("comma") << 1 << "2,75" << 0.25f << 2.75f;
        QTest::newRow("point") << 1 << "-1.5" << 0.25f << -1.5f;
        QTest::newRow("letters give 0") << 0 << "abc" << 0.f << 7.f;
        QTest::newRow("blanks inside") << 0 << "1 234,5" << 1234.5f << 7.f;
        QTest::newRow("exponent") << 1 << "1,5E3" << 0.25f << 1500.f;
    }
    void typedNumbersAreRead() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(float, sig);
        QFETCH(float, eth);
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.SIG = 0.25f;
        dlg.ETH = 7;
        dlg.ETHFormat = QStringLiteral("###0.000");
        dlg.SignalFocus = field == 0;
        runDialog(dlg, [&] {
            QLineEdit* f = dlg.txtCalBod(field);
            QTest::keyClicks(f, typed); // replaces the selected text
            QTest::keyClick(f, Qt::Key_Return);
        });
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.SIG, sig);
        QCOMPARE(dlg.ETH, eth);
        QVERIFY(sink.isEmpty());
    }

    void cancelKeepsSignal_data() {
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("Esc") << true;
        QTest::newRow("button") << false;
    }
    void cancelKeepsSignal() {
        QFETCH(bool, byEsc);
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.SIG = 0.75f;
        dlg.ETH = 3;
        dlg.ETHFormat = QStringLiteral("###0.000");
        runDialog(dlg, [&] {
            QTest::keyClicks(dlg.txtCalBod(0), QStringLiteral("9"));
            if (byEsc)
                QTest::keyClick(dlg.txtCalBod(0), Qt::Key_Escape);
            else
                QTest::mouseClick(dlg.cmdOK(1), Qt::LeftButton);
        });
        QCOMPARE(dlg.ETH, ReferenceInput::kCancelled);
        QCOMPARE(dlg.SIG, 0.75f);
    }

    void outOfFloatRangeIsRefused() {
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.SIG = 1;
        dlg.ETH = 2;
        dlg.ETHFormat = QStringLiteral("###0.000");
        dlg.SignalFocus = false;
        runDialog(dlg, [&] {
            QTest::keyClicks(dlg.txtCalBod(1), QStringLiteral("5e39"));
            QTest::keyClick(dlg.txtCalBod(1), Qt::Key_Return);
            QVERIFY(dlg.isVisible());
            QCOMPARE(sink.count(), 1);
            QVERIFY(sink.last().text.contains(QStringLiteral("5e39")));
            QCOMPARE(sink.last().icon, MsgIcon::Critical);
            QCOMPARE(dlg.ETH, 2.f); // nothing taken yet
            QCOMPARE(dlg.txtCalBod(1)->selectedText(), QStringLiteral("5e39"));
            QTest::keyClicks(dlg.txtCalBod(1), QStringLiteral("-3.4e38"));
            QTest::keyClick(dlg.txtCalBod(1), Qt::Key_Return);
        });
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.ETH, -3.4e38f);
    }

    void backgroundDoubleClickRefills() {
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.SIG = 0.5f;
        dlg.ETH = 1;
        dlg.ETHFormat = QStringLiteral("###0.000");
        dlg.SignalFocus = true;
        runDialog(dlg, [&] {
            QTest::keyClicks(dlg.txtCalBod(0), QStringLiteral("42"));
            QCOMPARE(dlg.txtCalBod(0)->text(), QStringLiteral("42"));
            QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
            QCOMPARE(dlg.txtCalBod(0)->text(), QStringLiteral("    0.50000"));
            QTest::keyClick(dlg.txtCalBod(0), Qt::Key_Return);
        });
        QCOMPARE(dlg.SIG, 0.5f);
    }

    // The dialog lives on: shown again, it shows the numbers of its last use.
    void reusedDialogKeepsVariables() {
        ScriptedMessages sink;
        frmQORCalibInputBox dlg(sink);
        dlg.ETHFormat = QStringLiteral("##0.0000");
        dlg.SignalFocus = false;
        runDialog(dlg, [&] {
            QTest::keyClicks(dlg.txtCalBod(1), QStringLiteral("4,5"));
            QTest::keyClick(dlg.txtCalBod(1), Qt::Key_Return);
        });
        runDialog(dlg, [&] {
            QCOMPARE(QApplication::focusWidget(), dlg.txtCalBod(1));
            QCOMPARE(dlg.txtCalBod(1)->text(), QStringLiteral("  4.5000"));
            QTest::keyClick(dlg.txtCalBod(1), Qt::Key_Return);
        });
        QCOMPARE(dlg.ETH, 4.5f);
    }
};

QTEST_MAIN(TestInputBox)
#include "test_inputbox.moc"
