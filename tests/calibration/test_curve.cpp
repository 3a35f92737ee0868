#include "calibration/referencedialog.h"
#include "support/calibrationpages.h"

#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointF>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace qm;
using namespace qm::testing;

namespace {
// The curve page with its list and buttons at hand.
struct Fixture : CalibrationPages {
    QListWidget* list = curvePage.pointList();
    QPushButton* addButton = curvePage.listButton(0);
    QPushButton* deleteButton = curvePage.listButton(1);
    QPushButton* clearButton = curvePage.listButton(2);

    Fixture() { curvePage.show(); }
    void capture(double signal, float value) {
        live = signal;
        dialog.confirm(value);
        curvePage.capture();
    }
    QStringList lines() const {
        QStringList l;
        for (int i = 0; i < list->count(); ++i)
            l << list->item(i)->text();
        return l;
    }
    QPoint linePos(int line) const { return list->visualItemRect(list->item(line)).center(); }
    void clickLine(int line) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, linePos(line));
    }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
};

enum Finish { Enter, Escape, CancelButton, RefillThenEnter };
struct DialogCase {
    bool signalFocus;
    QString typed;
    Finish finish;
    float sig, eth;
    bool refused = false; // beyond a float: a message, the dialog stays open
};
} // namespace
Q_DECLARE_METATYPE(DialogCase)

class TestCurve : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // The first twin is reported, named by its float's exact digits.
    void duplicates_data() {
        QTest::addColumn<QList<QPointF>>("points"); // (signal, value), appended in turn
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, QList<QPointF> points, const char* message) {
            QTest::newRow(name) << points << QString(message);
        };
        row("all distinct", {{1, 10}, {2, 20}}, nullptr);
        row("signal twin", {{1.5, 1}, {1.5, 2}}, "T44 1.5 T43");
        // Sorted, point 1's signal twin comes before point 2's value twin.
        row("first point first", {{2, 6}, {1, 5}, {1, 6}}, "T44 1 T43");
        // Within one point the value is reported before the signal.
        row("value before signal", {{1, 4}, {1, 4}}, "T42 4 T43");
        row("float digits", {{1, 0.1}, {2, 0.1}}, "T42 0.100000001490116 T43");
    }
    void duplicates() {
        QFETCH(QList<QPointF>, points);
        QFETCH(QString, message);
        CalibrationPages f;
        for (const QPointF& p : points)
            f.curve.Append(float(p.x()), float(p.y()));
        QCOMPARE(f.curve.CheckDuplicates(f.messages, f.lang), message.isNull());
        QCOMPARE(f.messages.texts(), message.isNull() ? QStringList() : QStringList{message});
        QCOMPARE(f.curve.pointCount(), points.size()); // reported, never removed
    }

    // A whole record sorted at once: equal signals keep their order; a damaged
    // record's point count must not run past the table.
    void recordSortedStably() {
        SensorRecord rec;
        rec.PointCount = 40;
        for (int i = 0; i < 40; ++i) {
            rec.Signal[i] = float((i * 7) % 5 - 2);
            rec.Value[i] = float(i);
        }
        WorkingCurve c;
        c.FillFromRecord(rec);
        c.sortBySignal();
        for (int i = 2; i <= 40; ++i) {
            const WorkingCurve::Row a = c.pointAt(i - 1), b = c.pointAt(i);
            QVERIFY(a.signal < b.signal || (a.signal == b.signal && a.value < b.value));
        }
        for (const auto& [stored, used] : {std::pair{41, 40}, {-3, 0}}) {
            rec.PointCount = stored;
            c.FillFromRecord(rec);
            QCOMPARE(c.pointCount(), used);
        }
    }

    // Capture asks for the value, Add for the signal too; the list stays
    // sorted with the new line selected; twins are reported and kept.
    void captureAndAdd() {
        Fixture f;
        f.capture(3, 30);
        f.capture(0.1, 10); // taken as a float: the new line is still found
        QCOMPARE(f.lines(), (QStringList{"   0.10000    10.000", "   3.00000    30.000"}));
        QCOMPARE(f.list->currentRow(), 0);
        QVERIFY(!f.deleteButton->isEnabled()); // until the user presses in the list
        QCOMPARE(f.dialog.shown.last(), "0.1 0 ###0.000 value");
        f.dialog.confirm(7, 0.25f);
        f.click(f.addButton);
        QCOMPARE(f.dialog.shown.last(), "0 0 ###0.000 signal");
        QCOMPARE(f.lines()[1], QStringLiteral("   0.25000     7.000"));
        f.dialog.cancel(); // a cancelled dialog adds nothing
        f.curvePage.capture();
        QCOMPARE(f.lines().size(), 3);
        f.capture(3, 99); // the older line of a signal twin is selected
        QCOMPARE(f.list->currentRow(), 2);
        QCOMPARE(f.messages.texts(), QStringList{"T44 3 T43"});
        QCOMPARE(f.lines().size(), 4);
    }

    // Add refuses before the dialog, Capture after it; Delete frees a row.
    void fortyPointLimit() {
        Fixture f;
        for (int i = 40; i >= 1; --i)
            f.curve.Append(float(i), float(i));
        f.curvePage.fillPointList();
        f.click(f.addButton);
        QCOMPARE(f.dialog.shown.size(), 0);
        f.dialog.confirm(50);
        f.click(f.curvePage.captureButton());
        QCOMPARE(f.dialog.shown.size(), 1);
        QCOMPARE(f.messages.texts(), (QStringList{"T67", "T67"}));
        QCOMPARE(f.lines().size(), 40);
        f.clickLine(0);
        f.messages.answerYes();
        f.click(f.deleteButton);
        f.curve.CountPoints(); // as a save does: the freed top row is no point
        QCOMPARE(f.curve.pointCount(), 39);
        QCOMPARE(f.lines().first(), QStringLiteral("   2.00000     2.000"));
    }

    void editMovesLineAndKeepsFocusChoice() {
        Fixture f;
        f.capture(1, 10);
        f.capture(2, 20);
        f.capture(3, 30); // leaves SignalFocus false
        f.clickLine(0);
        f.dialog.confirm(15, 2.5f);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.linePos(0));
        QCOMPARE(f.dialog.shown.last(), "1 10 ###0.000 value");
        QCOMPARE(f.lines(), (QStringList{"   2.00000    20.000", "   2.50000    15.000",
                                         "   3.00000    30.000"}));
        QVERIFY(!f.deleteButton->isEnabled());
    }

    // Delete and Clear ask first, No the default; with nothing to act on they say so.
    void deleteAndClearAskFirst() {
        Fixture f;
        f.curvePage.Clear();
        f.curvePage.Delete();
        QCOMPARE(f.messages.texts(), (QStringList{"T72", "T62"}));
        f.capture(1, 10);
        f.capture(2, 12.5f);
        f.messages.clear();
        f.clickLine(1);
        f.click(f.deleteButton);
        QCOMPARE(f.messages.texts(), QStringList{"T63 12.500 kg     ?"});
        QCOMPARE(f.messages.last().defaultButton, MsgNo);
        QCOMPARE(f.lines().size(), 2);
        f.messages.answerYes();
        f.click(f.deleteButton);
        QCOMPARE(f.lines(), QStringList{"   1.00000    10.000"});
        f.click(f.clearButton);
        QCOMPARE(f.messages.texts().last(), QStringLiteral("T71"));
        QCOMPARE(f.lines().size(), 1);
        f.messages.answerYes();
        f.click(f.clearButton);
        QCOMPARE(f.lines().size(), 0);
        QVERIFY(!f.clearButton->isEnabled());
        f.curve.CountPoints(); // as a save does: the numbers stay, but no point
        QCOMPARE(f.curve.pointCount(), 0);
    }

    void dialogAnswers_data() {
        QTest::addColumn<DialogCase>("c");
        auto row = [](const char* name, DialogCase c) { QTest::newRow(name) << c; };
        const float cancelled = ReferenceInput::kCancelled;
        row("comma in the value", {false, "2,75", Enter, 0.25f, 2.75f});
        row("letters in the signal", {true, "abc", Enter, 0.25f, cancelled, true});
        row("a blank inside the value", {false, "12 34", Enter, 0.25f, cancelled, true});
        row("Esc keeps the signal", {true, "9", Escape, 0.25f, cancelled});
        row("cancel button", {true, "9", CancelButton, 0.25f, cancelled});
        row("double-click refills", {true, "42", RefillThenEnter, 0.25f, 7});
        row("largest float", {false, "-3.4e38", Enter, 0.25f, -3.4e38f});
        row("beyond a float", {false, "5e39", Enter, 0.25f, cancelled, true});
    }
    void dialogAnswers() {
        QFETCH(DialogCase, c);
        ScriptedMessages sink;
        const LangTable lang;
        ReferenceDialog dlg(sink, lang);
        // The real dialog as the page prepares it, shown modally while the user acts on it.
        dlg.SIG = 0.25f;
        dlg.ETH = 7;
        dlg.ETHFormat = QStringLiteral("###0.000");
        dlg.SignalFocus = c.signalFocus;
        bool ran = false;
        QTimer::singleShot(0, &dlg, [&] {
            [&] { // a failed check returns from here only: the dialog still closes
                QVERIFY(QTest::qWaitForWindowActive(&dlg));
                QCOMPARE(dlg.pointField(0)->text(), QStringLiteral("    0.25000"));
                QCOMPARE(dlg.pointField(1)->text(), QStringLiteral("   7.000"));
                QLineEdit* field = dlg.pointField(c.signalFocus ? 0 : 1);
                QCOMPARE(QApplication::focusWidget(), field);
                QTest::keyClicks(field, c.typed); // replaces the selected text
                if (c.finish == RefillThenEnter)
                    QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
                if (c.finish == CancelButton)
                    QTest::mouseClick(dlg.cmdOK(1), Qt::LeftButton);
                else
                    QTest::keyClick(field, c.finish == Escape ? Qt::Key_Escape : Qt::Key_Return);
                if (c.refused) {
                    QVERIFY(dlg.isVisible());
                    QCOMPARE(dlg.ETH, 7.f);                   // nothing taken
                    QCOMPARE(field->selectedText(), c.typed); // ready to be typed over
                    QTest::keyClick(field, Qt::Key_Escape);
                }
            }();
            ran = true;
            if (dlg.isVisible()) dlg.done(QDialog::Rejected);
        });
        dlg.showModal();
        QVERIFY(ran);
        QCOMPARE(dlg.SIG, c.sig);
        QCOMPARE(dlg.ETH, c.eth);
        QCOMPARE(sink.count(), c.refused ? 1 : 0);
        if (c.refused) QVERIFY(sink.last().text.contains(c.typed));
    }
};

QTEST_MAIN(TestCurve)
#include "test_curve.moc"
