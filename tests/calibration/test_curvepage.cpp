#include "calibration/curvepage.h"
#include "calibration/inputbox.h"
#include "calibration/referenceinput.h"
#include "calibration/workingcurve.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"
#include "support/scriptedmessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace qm;

namespace {
// Stands in for the user at the dialog: answers from a queue (a value typed,
// optionally a new signal, or cancel) and records how it was prepared.
class ScriptedDialog final : public ReferenceInput {
  public:
    struct Answer {
        float eth;
        std::optional<float> sig;
    };
    struct Shown {
        float sig, eth;
        QString format;
        bool signalFocus;
    };
    QList<Answer> answers;
    QList<Shown> shown;

    void confirm(float eth, std::optional<float> sig = {}) { answers.append(Answer{eth, sig}); }
    void cancel() { answers.append(Answer{kCancelled, {}}); }

    void showModal() override {
        shown.append(Shown{SIG, ETH, ETHFormat, SignalFocus});
        QVERIFY2(!answers.isEmpty(), "dialog shown without a scripted answer");
        const Answer a = answers.takeFirst();
        ETH = a.eth;
        if (a.sig) SIG = *a.sig;
    }
};

struct Fixture {
    SensorSession session;
    WorkingCurve curve;
    LangTable lang;
    ScriptedMessages messages;
    VirtualClock clock;
    CalibrationContext ctx{session, curve, lang, messages, clock};
    ScriptedDialog dialog;
    double live = 0;
    fraCURVE page{ctx, dialog, [this] { return live; }};

    Fixture() {
        for (int n : {42, 43, 44, 62, 63, 67, 71, 72})
            lang.set(n, QStringLiteral("T%1").arg(n));
        session.CurrentRecord.Format = QStringLiteral("###0.000");
        session.CurrentRecord.Jednotka = QStringLiteral("kg    ");
        page.show();
    }
    void capture(double signal, float value) {
        live = signal;
        dialog.confirm(value);
        page.Capture();
    }
    QStringList lines() const {
        QStringList l;
        for (int i = 0; i < page.lstKrivka()->count(); ++i)
            l << page.lstKrivka()->item(i)->text();
        return l;
    }
    QPoint linePos(int line) const {
        return page.lstKrivka()->visualItemRect(page.lstKrivka()->item(line)).center();
    }
    void clickLine(int line) {
        QTest::mouseClick(page.lstKrivka()->viewport(), Qt::LeftButton, {}, linePos(line));
    }
    QPushButton* deleteButton() const { return page.cmdListAction(1); }
    QPushButton* clearButton() const { return page.cmdListAction(2); }
};
} // namespace

class TestCurvePage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void lineFormat_data() {
        QTest::addColumn<double>("signal");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("line");
        QTest::newRow("spec") << 0.5 << 12.5 << "###0.000"
                              << "   0.50000    12.500";
        QTest::newRow("negative") << -1.25 << -3.0 << "######0"
                                  << "  -1.25000       -3";
        // The sign is cut when the number is wider than its field.
        QTest::newRow("too wide") << 12345.678 << 1.0 << "0.000000"
                                  << "2345.67800  1.000000";
    }
    void lineFormat() {
        QFETCH(double, signal);
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, line);
        QCOMPARE(KrivkaLine(signal, value, mask), line);
    }

    void captureSortsAndSelectsNewLine() {
        Fixture f;
        f.capture(3, 30);
        f.capture(2, 20);
        f.capture(1, 10);
        QCOMPARE(f.lines(), (QStringList{"   1.00000    10.000", "   2.00000    20.000",
                                         "   3.00000    30.000"}));
        QCOMPARE(f.page.lstKrivka()->currentRow(), 0);
        QVERIFY(!f.deleteButton()->isEnabled()); // until the user presses in the list
        QVERIFY(f.clearButton()->isEnabled());
        const auto& s = f.dialog.shown.last();
        QCOMPARE(s.sig, 1.f);
        QCOMPARE(s.eth, 0.f);
        QCOMPARE(s.format, QStringLiteral("###0.000"));
        QVERIFY(!s.signalFocus);
        QVERIFY(f.messages.isEmpty());
    }

    void captureTakesLiveSignalAsFloat() {
        Fixture f;
        f.capture(0.1, 1);
        QCOMPARE(f.dialog.shown.last().sig, 0.1f);
        QCOMPARE(f.curve.Krivka(1).signal, double(0.1f));
    }

    void duplicateCaptureIsReportedAndKept_data() {
        QTest::addColumn<double>("signal");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("selected");
        QTest::newRow("same signal") << 2.0 << 99.f << "T44 2 T43" << 1;
        QTest::newRow("same value") << 5.0 << 0.f << "T42 0 T43" << 2;
    }
    void duplicateCaptureIsReportedAndKept() {
        QFETCH(double, signal);
        QFETCH(float, value);
        QFETCH(QString, message);
        QFETCH(int, selected);
        Fixture f;
        f.capture(1, 0);
        f.capture(2, 20);
        f.capture(signal, value);
        QCOMPARE(f.messages.texts(), QStringList{message});
        QCOMPARE(f.curve.KrivkaCount(), 3);
        QCOMPARE(f.lines().size(), 3);
        QCOMPARE(f.page.lstKrivka()->currentRow(), selected); // the older line of a twin
    }

    void cancelAddsNothing() {
        Fixture f;
        f.capture(1, 10);
        f.dialog.cancel();
        f.page.Capture();
        f.dialog.cancel();
        f.page.Add();
        QCOMPARE(f.curve.KrivkaCount(), 1);
        QCOMPARE(f.lines().size(), 1);
        QVERIFY(f.messages.isEmpty());
    }

    void fortyPointLimit() {
        Fixture f;
        for (int i = 1; i <= 40; ++i)
            f.curve.Append(float(i), float(i));
        f.page.FillKrivkaList();

        QTest::mouseClick(f.page.cmdListAction(0), Qt::LeftButton);
        QCOMPARE(f.dialog.shown.size(), 0); // Add refuses before the dialog
        QCOMPARE(f.messages.texts(), QStringList{"T67"});
        QCOMPARE(f.messages.last().icon, MsgIcon::Critical);

        f.live = 50;
        f.dialog.confirm(50);
        QTest::mouseClick(f.page.cmdSCAN(), Qt::LeftButton);
        QCOMPARE(f.dialog.shown.size(), 1); // Capture asks first, refuses after
        QCOMPARE(f.messages.texts(), (QStringList{"T67", "T67"}));
        QCOMPARE(f.curve.KrivkaCount(), 40);
        QCOMPARE(f.lines().size(), 40);
    }

    void addPreparesSignalField() {
        Fixture f;
        f.dialog.confirm(7, 0.25f);
        QTest::mouseClick(f.page.cmdListAction(0), Qt::LeftButton);
        const auto& s = f.dialog.shown.last();
        QCOMPARE(s.sig, 0.f);
        QVERIFY(s.signalFocus);
        QCOMPARE(f.lines(), QStringList{"   0.25000     7.000"});
    }

    void editMovesLineAndKeepsFocusChoice() {
        Fixture f;
        f.capture(1, 10);
        f.capture(2, 20);
        f.capture(3, 30); // SignalFocus false from the capture
        f.clickLine(0);
        QVERIFY(f.deleteButton()->isEnabled());
        f.dialog.confirm(15, 2.5f);
        QTest::mouseDClick(f.page.lstKrivka()->viewport(), Qt::LeftButton, {}, f.linePos(0));
        QCOMPARE(f.dialog.shown.size(), 4);
        const auto& s = f.dialog.shown.last();
        QCOMPARE(s.sig, 1.f);
        QCOMPARE(s.eth, 10.f);
        QVERIFY(!s.signalFocus);
        QCOMPARE(f.lines(), (QStringList{"   2.00000    20.000", "   2.50000    15.000",
                                         "   3.00000    30.000"}));
        QCOMPARE(f.page.lstKrivka()->selectedItems().size(), 0);
        QVERIFY(!f.deleteButton()->isEnabled());
    }

    void deleteAsksFirst() {
        Fixture f;
        f.capture(1, 10);
        f.capture(2, 12.5f);
        f.page.lstKrivka()->clearSelection();
        QTest::mouseClick(f.deleteButton(), Qt::LeftButton); // disabled: nothing
        QVERIFY(f.messages.isEmpty());
        f.page.Delete();
        QCOMPARE(f.messages.texts(), QStringList{"T62"});
        f.page.Edit(); // nothing selected: no dialog
        QCOMPARE(f.dialog.shown.size(), 2);

        f.messages.clear();
        f.clickLine(1);
        f.messages.answerNo();
        QTest::mouseClick(f.deleteButton(), Qt::LeftButton);
        QCOMPARE(f.messages.texts(), QStringList{"T63 12.500 kg     ?"});
        QCOMPARE(f.messages.last().icon, MsgIcon::Question);
        QCOMPARE(f.messages.last().defaultButton, MsgNo);
        QCOMPARE(f.curve.KrivkaCount(), 2);

        f.messages.answerYes();
        QTest::mouseClick(f.deleteButton(), Qt::LeftButton);
        QCOMPARE(f.lines(), QStringList{"   1.00000    10.000"});
        QVERIFY(!f.deleteButton()->isEnabled());

        f.clickLine(0);
        f.messages.answerYes();
        QTest::mouseClick(f.deleteButton(), Qt::LeftButton);
        QCOMPARE(f.lines().size(), 0);
        QVERIFY(!f.clearButton()->isEnabled());
    }

    void clear() {
        Fixture f;
        f.page.Clear();
        QCOMPARE(f.messages.texts(), QStringList{"T72"});
        QCOMPARE(f.messages.last().icon, MsgIcon::Exclamation);

        f.capture(1, 10);
        f.capture(2, 20);
        f.messages.clear();
        f.messages.answerNo();
        QTest::mouseClick(f.clearButton(), Qt::LeftButton);
        QCOMPARE(f.messages.texts(), QStringList{"T71"});
        QCOMPARE(f.lines().size(), 2);

        f.messages.answerYes();
        QTest::mouseClick(f.clearButton(), Qt::LeftButton);
        QCOMPARE(f.lines().size(), 0);
        QCOMPARE(f.curve.KrivkaCount(), 0);
        QVERIFY(!f.clearButton()->isEnabled());
    }

    // The real dialog behind the page: a comma typed as the decimal separator.
    void captureThroughTheDialog() {
        SensorSession session;
        session.CurrentRecord.Format = QStringLiteral("##0.0000");
        WorkingCurve curve;
        LangTable lang;
        ScriptedMessages messages;
        VirtualClock clock;
        CalibrationContext ctx{session, curve, lang, messages, clock};
        frmQORCalibInputBox dialog(messages);
        fraCURVE page(ctx, dialog, [] { return 1.5; });
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            QCOMPARE(QApplication::focusWidget(), dialog.txtCalBod(1));
            QCOMPARE(dialog.txtCalBod(0)->text(), QStringLiteral("    1.50000"));
            QTest::keyClicks(dialog.txtCalBod(1), QStringLiteral("2,75"));
            QTest::keyClick(dialog.txtCalBod(1), Qt::Key_Return);
        });
        page.Capture();
        QCOMPARE(curve.KrivkaCount(), 1);
        QCOMPARE(curve.Krivka(1).value, 2.75);
        QCOMPARE(curve.Krivka(1).signal, 1.5);
    }

    // The columns only line up in a fixed-pitch font.
    void listIsFixedPitch() {
        Fixture f;
        QVERIFY(QFontInfo(f.page.lstKrivka()->font()).fixedPitch());
        QVERIFY(!f.deleteButton()->isEnabled());
        QVERIFY(!f.clearButton()->isEnabled());
    }
};

QTEST_MAIN(TestCurvePage)
#include "test_curvepage.moc"
