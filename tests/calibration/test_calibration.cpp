// The calibration pages, the reference dialog, the record built from them, the curve's evidence
// and the system calibration panel. Language text n reads "Tn"; numbers worked out by hand.
#include "calibration/curvepage.h"
#include "calibration/curveplot.h"
#include "calibration/linearity.h"
#include "calibration/plotsupport.h"
#include "calibration/recordfrompage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorpage.h"
#include "calibration/stability.h"
#include "calibration/trendplot.h"
#include "calibration/updatecalibration.h"
#include "calibration/verification.h"
#include "calibration/workingcurve.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "core/settings.h"
#include "service/serviceactions.h"
#include "service/systemcalibration.h"
#include "support/scriptedmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace qm;
using namespace Qt::StringLiterals;

using Points = std::vector<CurvePoint>; // {signal, value}
using Numbers = QList<double>;
Q_DECLARE_METATYPE(Points)

namespace {
LangTable numberedTexts() {
    LangTable lang;
    for (int n = 1; n <= LangTable::kSize; ++n)
        lang.set(n, u"T%1"_s.arg(n));
    return lang;
}

// A load cell's record as the device holds it, its serial a blank sensor's placeholder.
SensorRecord loadCell() {
    SensorRecord r;
    r.SerialNo = u"~0000000"_s;
    r.Description = u"Load cell"_s;
    r.Unit = u"kg    "_s;
    r.Format = u"##0.000 "_s;
    r.Averaging = r.AveragingSpeed = 10;
    r.GainIndex = 7;
    r.DateSaved = u"240101"_s;
    r.SpareSingle = 5;
    return r;
}

// Answers the dialog from a queue (a value typed, optionally a new signal, or
// cancel) and records each showing: "signal reference referenceMask" and the focused field.
class ScriptedDialog final : public ReferenceInput {
  public:
    QList<std::pair<float, std::optional<float>>> answers;
    QStringList shown;

    void confirm(float eth, std::optional<float> sig = {}) { answers.append(std::pair{eth, sig}); }
    void cancel() { answers.append({kCancelled, std::nullopt}); }
    void showModal() override {
        shown << u"%1 %2 %3 %4"_s.arg(signal).arg(reference).arg(
            referenceMask, signalFocus ? u"signal"_s : u"value"_s);
        QVERIFY2(!answers.isEmpty(), "dialog shown without a scripted answer");
        const auto [eth, sig] = answers.takeFirst();
        reference = eth;
        if (sig) signal = *sig;
    }
};

// The two pages around one session, on a clock at 4 December 2026, 22:30:15.
struct Pages {
    SensorSession session;
    WorkingCurve curve;
    LangTable lang = numberedTexts();
    ScriptedMessages messages;
    VirtualClock clock;
    CalibrationContext ctx{session, curve, lang, messages, clock};
    ScriptedDialog dialog;
    double live = 0; // the live signal in mV/V
    SensorPage sensorPage{ctx};
    CurvePage curvePage{ctx, dialog, [this] { return live; }};
    QListWidget* list = curvePage.pointList();

    explicit Pages(int displayDigits = 5) {
        session.DisplayDigits = displayDigits;
        sensorPage.setFormatList(displayDigits);
        session.CurrentRecord.Format = u"###0.000"_s;
        session.CurrentRecord.Unit = u"kg    "_s;
        curvePage.show();
    }
    // The pages into CurrentRecord as the session stores them; the messages of a fault shown.
    bool store(uint8_t flags) {
        curve.sortBySignal();
        curve.CountPoints();
        const PageRecord r = recordFromPage(sensorPage.values(), curve, session.CurrentRecord,
                                            session.DisplayDigits, flags, clock.now());
        for (const QString& m : pageFaultMessages(r.fault, curve, lang))
            messages.critical(m);
        if (r.fault == PageFault::None) session.CurrentRecord = r.record;
        return r.fault == PageFault::None;
    }
    // rec with n points onto the pages: signals n..1, unsorted as a device may hold them.
    void show(SensorRecord rec, int points = 2) {
        rec.PointCount = points;
        for (int i = 0; i < points; ++i) {
            rec.Signal[i] = float(points - i);
            rec.Value[i] = float(10 * (points - i));
        }
        session.CurrentRecord = rec;
        curve.FillFromRecord(session.CurrentRecord);
        showRecordOnPages(ctx, sensorPage, curvePage);
    }
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
    QPushButton* button(int i) const { return curvePage.listButton(i); } // add, delete, clear
};

enum Finish { Enter, Escape, RefillThenEnter };

struct ListCase {
    int digits;
    QString format;
    QList<int> slideRychlGainTagFlags;
    QString shown, saved;
};

struct PageCase {
    QList<QPointF> points; // (signal, value)
    SensorPageValues page;
    QString serial;
    int digits = 5;
    PageFault fault = PageFault::None;
    QStringList messages;
    // Description|Unit|Format|GainIndex|Averaging|AveragingSpeed|Flags|serial's first 6|DateSaved|
    // PointCount|first signal|last value|SpareSingle
    QString saved;
};

QList<QPointF> line(int n) {
    QList<QPointF> points;
    for (int i = n; i >= 1; --i)
        points << QPointF(i, 10 * i);
    return points;
}

const SensorPageValues kBlank{u"  "_s, u"kg"_s, -1, -1, u"10"_s, u"10"_s};

constexpr qint64 kPollMs = 150;

// Display value at sample k; the signal is a thousandth of it, the count 100 per unit.
double displayAt(const QString& kind, int k) {
    if (kind == u"ramp") return 0.01 * k;                        // one digit a sample
    if (kind == u"step") return 100 * (1 - std::exp(-k * 0.15)); // from 0 to 100, tau 1 s
    if (kind == u"noise 4") return 50 + (k % 2 ? 0.02 : -0.02);
    if (kind == u"noise 6") return 50 + (k % 2 ? 0.03 : -0.03);
    return 0;
}

// The session behind the column, as one log.
class Recorder final : public ServiceActions {
  public:
    QStringList log;
    double raw = 0;
    QList<double> written; // N, k
    QString backupError;   // set: nothing is written

    double liveDiv() const override { return raw; }
    QString writeConstants(double N, double k, QString& error) override {
        log << "write";
        error = backupError;
        if (!backupError.isEmpty()) return {};
        written << N << k;
        return QStringLiteral("/backups/device-90.bin");
    }
    void resetDevice() override { log << "reset"; }
};

struct Panel {
    SensorSession session;
    Recorder device;
    ScriptedMessages messages;
    LangTable lang;
    SystemCalibrationPanel panel{session, device, messages, lang};
    QString fields() const {
        return panel.constantNField()->text() + ' ' + panel.constantKField()->text();
    }
};
} // namespace
Q_DECLARE_METATYPE(ListCase)
Q_DECLARE_METATYPE(PageCase)

class TestCalibration : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

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
    void captureAddEdit() {
        Pages f;
        f.capture(3, 30);
        f.capture(0.1, 10); // taken as a float: the new line is still found
        QCOMPARE(f.lines(), (QStringList{"   0.10000    10.000", "   3.00000    30.000"}));
        QCOMPARE(f.list->currentRow(), 0);
        QVERIFY(!f.button(1)->isEnabled()); // until the user presses in the list
        QCOMPARE(f.dialog.shown.last(), "0.1 0 ###0.000 value");
        f.dialog.confirm(7, 0.25f);
        QTest::mouseClick(f.button(0), Qt::LeftButton);
        QCOMPARE(f.dialog.shown.last(), "0 0 ###0.000 signal");
        QCOMPARE(f.lines()[1], u"   0.25000     7.000"_s);
        f.dialog.cancel(); // a cancelled dialog adds nothing
        f.curvePage.capture();
        QCOMPARE(f.lines().size(), 3);
        f.capture(3, 99); // the older line of a signal twin is selected
        QCOMPARE(f.list->currentRow(), 2);
        QCOMPARE(f.messages.texts(), QStringList{"T44 3 T43"});
        QCOMPARE(f.lines().size(), 4);
        f.clickLine(0); // an edit keeps the last focus choice, the line moves
        f.dialog.confirm(15, 2.5f);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.linePos(0));
        QCOMPARE(f.dialog.shown.last(), "0.1 10 ###0.000 value");
        QCOMPARE(f.lines()[1], u"   2.50000    15.000"_s);
    }

    // A signal beyond the sensor's input range cannot be a reading of it,
    // captured, added or edited in; a curve that falls as the signal rises is
    // kept, and the page says so.
    void implausibleSignalAndFallingCurve() {
        Pages f;
        f.lang.set(kTextSignalOutsideRange, u"T454 %1 %2"_s);
        f.session.CurrentRecord.GainIndex = 6; // +/-7.81 mV/V
        f.capture(12345.678, 1);
        f.dialog.confirm(5, -7.82f);
        QTest::mouseClick(f.button(0), Qt::LeftButton);
        f.capture(7.8, 20);
        f.capture(1, 10);
        QCOMPARE(f.lines().size(), 2);
        QVERIFY(f.curvePage.fallingNote()->isHidden());
        f.clickLine(1);
        f.dialog.confirm(5, 8.0f);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.linePos(1));
        QCOMPARE(f.messages.texts(),
                 (QStringList{"T454 12345.6777 7.81", "T454 -7.8200 7.81", "T454 8.0000 7.81"}));
        f.dialog.confirm(5, 7.0f);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.linePos(1));
        QCOMPARE(f.lines()[1], u"   7.00000     5.000"_s);
        QVERIFY(!f.curvePage.fallingNote()->isHidden());
        QCOMPARE(f.curvePage.fallingNote()->text(), f.lang.text(kTextCurveFalls));
    }

    // Add refuses before the dialog, Capture after it; Delete frees a row.
    void fortyPointLimit() {
        Pages f;
        for (int i = 40; i >= 1; --i)
            f.curve.Append(float(i), float(i));
        f.curvePage.fillPointList();
        QTest::mouseClick(f.button(0), Qt::LeftButton);
        QCOMPARE(f.dialog.shown.size(), 0);
        f.dialog.confirm(50);
        QTest::mouseClick(f.curvePage.captureButton(), Qt::LeftButton);
        QCOMPARE(f.dialog.shown.size(), 1);
        QCOMPARE(f.messages.texts(), (QStringList{"T67", "T67"}));
        f.clickLine(0);
        f.messages.answerYes();
        QTest::mouseClick(f.button(1), Qt::LeftButton);
        f.curve.CountPoints(); // as a save does: the freed top row is no point
        QCOMPARE(f.curve.pointCount(), 39);
        QCOMPARE(f.lines().first(), u"   2.00000     2.000"_s);
    }

    // Delete and Clear ask first, No the default; with nothing to act on they say so.
    void deleteAndClearAskFirst() {
        Pages f;
        f.curvePage.Clear();
        f.curvePage.Delete();
        QCOMPARE(f.messages.texts(), (QStringList{"T72", "T62"}));
        f.capture(1, 10);
        f.capture(2, 12.5f);
        f.messages.clear();
        f.clickLine(1);
        QTest::mouseClick(f.button(1), Qt::LeftButton);
        QCOMPARE(f.messages.texts(), QStringList{"T63 12.500 kg     ?"});
        QCOMPARE(f.messages.last().defaultButton, MsgNo);
        QCOMPARE(f.lines().size(), 2);
        f.messages.answerYes();
        QTest::mouseClick(f.button(1), Qt::LeftButton);
        QCOMPARE(f.lines(), QStringList{"   1.00000    10.000"});
        QTest::mouseClick(f.button(2), Qt::LeftButton);
        QCOMPARE(f.messages.texts().last(), u"T71"_s);
        QCOMPARE(f.lines().size(), 1);
        f.messages.answerYes();
        QTest::mouseClick(f.button(2), Qt::LeftButton);
        QCOMPARE(f.lines().size(), 0);
        QVERIFY(!f.button(2)->isEnabled());
        f.curve.CountPoints(); // as a save does: the numbers stay, but no point
        QCOMPARE(f.curve.pointCount(), 0);
    }

    // The real dialog as the page prepares it: the chosen field has the focus
    // and typing replaces it; refused text keeps it open, selected to type over.
    void dialogAnswers_data() {
        QTest::addColumn<bool>("signalFocus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("finish");
        QTest::addColumn<float>("eth");
        QTest::addColumn<bool>("refused");
        auto row = [](const char* name, bool signalFocus, const QString& typed, Finish finish,
                      float eth, bool refused = false) {
            QTest::newRow(name) << signalFocus << typed << int(finish) << eth << refused;
        };
        const float cancelled = ReferenceInput::kCancelled;
        row("letters in the signal", true, u"abc"_s, Enter, cancelled, true);
        row("Esc keeps the signal", true, u"9"_s, Escape, cancelled);
        row("double-click refills", true, u"42"_s, RefillThenEnter, 7);
        row("largest float", false, u"-3.4e38"_s, Enter, -3.4e38f);
        row("beyond a float", false, u"5e39"_s, Enter, cancelled, true);
        row("a single changes it: asked, No", false, u"123456789"_s, Enter, cancelled, true);
        row("a single keeps its digits", false, u"1234567.5"_s, Enter, 1234567.5f);
    }
    void dialogAnswers() {
        QFETCH(bool, signalFocus);
        QFETCH(QString, typed);
        QFETCH(int, finish);
        QFETCH(bool, refused);
        ScriptedMessages sink;
        const LangTable lang;
        ReferenceDialog dlg(sink, lang);
        dlg.signal = 0.25f;
        dlg.reference = 7;
        dlg.referenceMask = u"###0.000"_s;
        dlg.signalFocus = signalFocus;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(dlg.pointField(0)->text() + '|' + dlg.pointField(1)->text(),
                 u"    0.25000|   7.000"_s);
        QLineEdit* field = dlg.pointField(signalFocus ? 0 : 1);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, typed);
        if (finish == RefillThenEnter) QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::keyClick(field, finish == Escape ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(dlg.isVisible(), refused);
        QCOMPARE(sink.count(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(dlg.reference, 7.f); // nothing taken
            QCOMPARE(field->selectedText(), typed);
            QVERIFY(sink.last().text.contains(typed));
            QTest::keyClick(field, Qt::Key_Escape);
        }
        QCOMPARE(dlg.signal, 0.25f);
        QTEST(dlg.reference, "eth");
    }

    // The record as the page shows it (title, format, Averaging, AveragingSpeed, gain), then
    // as saved again (format, Averaging, AveragingSpeed, GainIndex, Flags through chk24bit).
    void shownThenSaved_data() {
        QTest::addColumn<ListCase>("c");
        auto row = [](const char* name, ListCase c) { QTest::newRow(name) << c; };
        row("slide 11",
            {5, "##0.000 ", {11, 11, 3, 0, 0xD0}, "T80 99.999 12 OFF 3", "###0.000 12 1 3 d0"});
        row("exact entries, iTag, 24 bit",
            {6, "######0 ", {16, 40, 7, 1, 0xD8}, "T81 999999 16 40 7", "#######0 16 40 7 d8"});
        row("below 2 is off",
            {5, " ######0", {1, 0, 0, 0, 0xD0}, "T80 99999 OFF OFF 0", "######0 1 1 0 d0"});
        row("above every entry",
            {6, "0.000000", {40, 51, 8, 0, 0xD0}, "T80 0.999999 OFF OFF 0", "0.000000 1 1 0 d0"});
        row("6 decimals on 5 digits, kept",
            {5, "0.000000", {2, 2, 1, 0, 0xD0}, "T80 0.99999 2 2 1", "0.000000 2 2 1 d0"});
    }
    void shownThenSaved() {
        QFETCH(ListCase, c);
        Pages f(c.digits);
        SensorRecord rec = loadCell();
        rec.Format = c.format;
        rec.Averaging = c.slideRychlGainTagFlags[0];
        rec.AveragingSpeed = c.slideRychlGainTagFlags[1];
        rec.GainIndex = c.slideRychlGainTagFlags[2];
        f.session.TagPresent = uint8_t(c.slideRychlGainTagFlags[3]);
        rec.Flags = uint8_t(c.slideRychlGainTagFlags[4]);
        f.show(rec);
        const SensorPage& p = f.sensorPage;
        const QString five = u"%1 %2 %3 %4 %5"_s;
        QCOMPARE(five.arg(p.title().left(3), p.formatList()->currentText(),
                          p.averagingList()->currentText(), p.averagingSpeedList()->currentText(),
                          QString::number(p.gainList()->currentIndex())),
                 c.shown);
        QVERIFY(f.store(f.curvePage.bit24Box()->isChecked() ? 0xD8 : 0xD0));
        const SensorRecord& r = f.session.CurrentRecord;
        QCOMPARE(five.arg(r.Format, QString::number(r.Averaging), QString::number(r.AveragingSpeed),
                          QString::number(r.GainIndex), QString::number(r.Flags, 16)),
                 c.saved);
    }

    // The record onto the page; a curve left from another sensor goes. A refused transfer shows
    // the conversion's messages and keeps the record; description and unit are checked alone.
    void recordShownAndRefusedTransfer() {
        Pages f;
        for (float s : {9.f, 8.f, 7.f, 6.f})
            f.curve.Append(s, s);
        f.show(loadCell(), 3);
        const SensorPage& p = f.sensorPage;
        QCOMPARE((QStringList{p.title(), p.descriptionField()->text(), p.unitField()->text(),
                              p.dateSavedField()->text()}),
                 (QStringList{"T80 [ID:~0000000]", "Load cell", "kg    ", "240101"}));
        QCOMPARE(f.list->count(), 3);
        f.curve.Append(99, 10);
        const SensorRecord before = f.session.CurrentRecord;
        QVERIFY(!f.store(0xD0));
        QCOMPARE(f.messages.texts(), (QStringList{"T42 10 T43", "T38"}));
        QCOMPARE(f.session.CurrentRecord, before);
        const std::tuple<QString, QString, QStringList> cases[] = {
            {QString(32, 'a'), "kN ", {}},
            {QString(33, 'a'), "kN", {"T60"}},
            {"x", "mV/V", {"T61"}},
            {"", "  ", {"T60", "T61"}}};
        for (const auto& [description, unit, messages] : cases) {
            f.messages.clear();
            f.sensorPage.descriptionField()->setText(description);
            f.sensorPage.unitField()->setText(unit);
            QCOMPARE(f.sensorPage.CheckSensorTexts(), messages.isEmpty());
            QCOMPARE(f.messages.texts(), messages);
        }
    }

    // The checks in their order: duplicates, too few, too many, then the
    // description. The first twin is named by its float's exact digits, a
    // value twin before a signal twin of the same point.
    void recordFromPage_data() {
        QTest::addColumn<PageCase>("c");
        auto refused = [](const char* name, QList<QPointF> points, PageFault fault,
                          QStringList messages) {
            QTest::newRow(name) << PageCase{points, kBlank, "1234ABCD", 5, fault, messages, {}};
        };
        auto stored = [](const char* name, QList<QPointF> points, SensorPageValues page,
                         const char* serial, int digits, const char* saved) {
            QTest::newRow(name) << PageCase{points,          page, serial, digits,
                                            PageFault::None, {},   saved};
        };
        refused("twin point, blank description", {{1, 0.1}, {1, 0.1}}, PageFault::DuplicatePoint,
                {"T42 0.100000001490116 T43", "T38"});
        refused("first point's twin first", {{2, 6}, {1, 5}, {1, 6}}, PageFault::DuplicatePoint,
                {"T44 1 T43", "T38"});
        refused("one point, blank description", line(1), PageFault::TooFewPoints, {"T39"});
        refused("eleven points", line(11), PageFault::TooManyPoints, {"T40"});
        refused("blank description", line(2), PageFault::NoDescription, {"T41"});
        // Nothing chosen in the lists keeps the record's format and gain.
        stored("ten points, lists unchosen", line(10), {"x", "kg", -1, -1, "10", "10"}, "1234ABCD",
               5, "x|kg    |##0.000 |7|10|10|d8|1234AB|261204|10|1|100|0");
        stored("fields trimmed and padded, placeholder serial replaced", line(2),
               {"  Force 5 kN  ", " kN ", 2, 2, "OFF", "20"}, "~0000000", 5,
               "Force 5 kN|kN    |####0.00|2|1|20|d8|AC04WS|261204|2|1|20|0");
        stored("six digits, last format", line(2), {"x", "kg", 6, 0, "", ""}, "short", 6,
               "x|kg    |0.000000|0|1|1|d8|AC04WS|261204|2|1|20|0");
    }
    void recordFromPage() {
        QFETCH(PageCase, c);
        WorkingCurve curve;
        for (const QPointF& p : c.points)
            curve.Append(float(p.x()), float(p.y()));
        SensorRecord current = loadCell();
        current.SerialNo = c.serial;
        const QDateTime now(QDate(2026, 12, 4), QTime(22, 30, 15));
        const PageRecord r =
            qm::recordFromPage(c.page, curve, current, c.digits, 0xD8, now, [] { return 0.0; });
        QCOMPARE(r.fault, c.fault);
        QCOMPARE(pageFaultMessages(r.fault, curve, numberedTexts()), c.messages);
        if (c.fault != PageFault::None) return;
        const SensorRecord& s = r.record;
        const auto n = [](double v) { return QString::number(v); };
        QCOMPARE((QStringList{s.Description.trimmed(), s.Unit, s.Format, n(s.GainIndex),
                              n(s.Averaging), n(s.AveragingSpeed), QString::number(s.Flags, 16),
                              s.SerialNo.left(6), s.DateSaved, n(s.PointCount), n(s.Signal[0]),
                              n(s.Value[s.PointCount - 1]), n(s.SpareSingle)})
                     .join(u'|'),
                 c.saved);
        QCOMPARE(s.Description.size(), SensorRecord::kDescriptionLen);
    }

    // {slope, intercept, deviations in % of full scale..., worst point}; empty: no linearity.
    void linearity_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<Numbers>("expected");
        // means 1.5 and 2.75, Sxx 5, Sxy 9.5: v = -0.1 + 1.9 s; residuals
        // 0.1, 0.2, -0.7, 0.4 of full scale 6; another order keeps them per point
        QTest::newRow("bent") << Points{{0, 0}, {1, 2}, {2, 3}, {3, 6}}
                              << Numbers{1.9, -0.1, 10. / 6, 20. / 6, -70. / 6, 40. / 6, 2};
        QTest::newRow("unsorted") << Points{{2, 3}, {0, 0}, {3, 6}, {1, 2}}
                                  << Numbers{1.9, -0.1, -70. / 6, 10. / 6, 40. / 6, 20. / 6, 0};
        // full scale is the largest absolute value, here of a negative point:
        // v = -250/3 + 375 s, residuals -125/3, 250/3, -125/3 of 500
        QTest::newRow("negative") << Points{{-1, -500}, {0, 0}, {1, 250}}
                                  << Numbers{375, -250. / 3, -25. / 3, 50. / 3, -25. / 3, 1};
        QTest::newRow("one point") << Points{{1, 5}} << Numbers{};
        QTest::newRow("one signal") << Points{{1, 5}, {1, 7}} << Numbers{};
        QTest::newRow("all values 0") << Points{{0, 0}, {1, 0}} << Numbers{};
        QTest::newRow("not finite") << Points{{0, 0}, {qInf(), 1}} << Numbers{};
    }
    void linearity() {
        QFETCH(Points, points);
        QFETCH(Numbers, expected);
        const std::optional<Linearity> lin = AnalyseLinearity(points);
        QCOMPARE(lin.has_value(), !expected.empty());
        if (!lin) return;
        Numbers got{lin->line.slope, lin->line.intercept};
        got << Numbers(lin->deviationPct.begin(), lin->deviationPct.end()) << lin->worstPoint;
        QCOMPARE(got.size(), expected.size());
        for (qsizetype i = 0; i < got.size(); ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) < 1e-9, qPrintable(QString::number(got[i])));
        QCOMPARE(lin->nonLinearityPct, std::abs(lin->deviationPct[size_t(lin->worstPoint)]));
    }

    // Digit 0.01 (two decimals), 5 digits allowed, a 2 s window of 150 ms polls. The step's
    // spread over the window falls to 100 (e^-7.5 - e^-9.45) = 0.0474 at 9450 ms; at 9300 ms
    // it is still 0.0551.
    void stability_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("samples");
        QTest::addColumn<qint64>("firstStableMs"); // -1 never
        QTest::addColumn<double>("spread");        // display units, at the end
        QTest::addColumn<double>("mean");
        QTest::newRow("ramp") << "ramp" << 31 << qint64(-1) << 0.13 << 0.235;
        QTest::newRow("step") << "step" << 64 << qint64(9450) << 0.0474394805 << 99.9751110949;
        QTest::newRow("noise within") << "noise 4" << 15 << qint64(2100) << 0.04 << 50.0;
        QTest::newRow("noise beyond") << "noise 6" << 40 << qint64(-1) << 0.06 << 50.0;
    }
    void stability() {
        QFETCH(QString, kind);
        QFETCH(int, samples);
        QFETCH(double, spread);
        QFETCH(double, mean);
        StabilityDetector d({2000, 5, DisplayDigit(u"###0.00"_s), 30000});
        qint64 firstStable = -1;
        for (int k = 0; k < samples; ++k) {
            const double v = displayAt(kind, k);
            d.add({k * kPollMs, v / 1000, v, 1000 + 100 * v});
            if (d.isStable() && firstStable < 0) firstStable = k * kPollMs;
            QVERIFY2(!(firstStable >= 0 && !d.isStable()), "stable, then settling again");
        }
        QTEST(firstStable, "firstStableMs");
        const WindowSummary& w = d.window();
        const double got[] = {w.spreadDisplay, w.spreadCount, w.spreadSignal,
                              w.meanDisplay,   w.meanCount,   w.meanSignal};
        const double want[] = {spread, 100 * spread,      spread / 1000,
                               mean,   1000 + 100 * mean, mean / 1000};
        for (int i = 0; i < 6; ++i)
            QVERIFY2(std::abs(got[i] - want[i]) < 1e-6, qPrintable(QString::number(got[i])));
    }

    // A flat signal is stable after a whole window of watching, and again
    // after a gap longer than the window; late samples and broken numbers are
    // dropped; the trend keeps 30 s and is drawn so. Samples that stop coming
    // end the stability within a second and leave the window after it.
    void stabilityWatching() {
        StabilityDetector d({2000, 5, 0.01, 30000});
        for (const auto& [from, to, stable] : {std::tuple{0, 1950, false},
                                               {2100, 2100, true},
                                               {4400, 4400, false},
                                               {4550, 6350, false},
                                               {6500, 6500, true},
                                               {6650, 39950, true}}) {
            for (qint64 t = from; t <= to; t += kPollMs)
                d.add({t, 1, 10, 100});
            d.add({to - 1, 1, 99, 100}); // older than the last
            d.add({to, qQNaN(), 99, 100});
            QCOMPARE(d.isStable(), stable);
        }
        TrendPlot trend; // the last 30 s up to now, and the state
        trend.setStateWords(u"settling"_s, u"stable"_s, u"dead"_s);
        trend.setDisplayFormat(u"###0.0"_s, u"kg    "_s);
        trend.showTrend(d.trend(), d.window(), d.state());
        const QList<QPointF> xy = SeriesNamed(trend.chart(), u"signal"_s)->points();
        QCOMPARE(xy.size(), qsizetype(d.trend().size()));
        QCOMPARE(xy.first(), QPointF(-30, 1));
        QCOMPARE(xy.last(), QPointF(0, 1));
        const QString text = trend.stateLabel()->text();
        QVERIFY2(text.startsWith("<b>stable</b>") && text.contains(" kg&"), qPrintable(text));
        for (const auto& [now, state, samples] : {std::tuple{40550, LiveState::Stable, 10},
                                                  {40551, LiveState::NoReading, 10},
                                                  {41951, LiveState::NoReading, 0}}) {
            d.setNow(now);
            QCOMPARE(d.state(), state);
            QCOMPARE(d.isStable(), state == LiveState::Stable);
            QCOMPARE(d.window().samples, samples);
        }
        trend.showTrend(d.trend(), d.window(), d.state());
        QCOMPARE(trend.stateLabel()->text(), u"<b>dead</b>"_s);
        d.clear();
        QVERIFY(!d.isStable() && d.trend().empty() && d.window().samples == 0);
        // Display values come as singles, 0.001 apart near 10000: five digits
        // of 0.01 may read as 0.0508 and still pass, six never do.
        for (const auto& [hi, stable] : {std::pair{10000.07f, true}, {10000.08f, false}}) {
            StabilityDetector big({2000, 5, 0.01, 30000});
            for (qint64 t = 0; t <= 2100; t += kPollMs)
                big.add({t, 1, double(t / kPollMs % 2 ? hi : 10000.02f), 100});
            QCOMPARE(big.isStable(), stable);
        }
        // A scientific mask's digit is a step of the level's leading decimal.
        QCOMPARE(DisplayDigit(u"0.000 E-00"_s, 0.0015), 1e-6);
        QVERIFY(!AutoCaptureDue(true, 125, {0}, 0)); // no full scale yet: no auto-capture
    }

    // The curve straight between neighbours and carried on beyond the ends; the points drawn
    // sorted, the curve through them on to the edges, the live marker on it.
    void curvePlot() {
        const Points curve{{0, 0}, {1, 250}, {2, 400}};
        for (const auto& [signal, value] : {std::pair{0.5, 125.0}, {-1.0, -250.0}, {3.0, 550.0}})
            QCOMPARE(InterpolateCurve(curve, signal).value_or(qQNaN()), value);
        QCOMPARE(InterpolateCurve({{1, 5}, {1, 7}}, 3.0).value_or(qQNaN()), 5.0);
        CurvePlot plot;
        plot.setLiveSignal(1.5);
        plot.setPoints({{1, 250}, {0, 0}, {2, 400}});
        const QList<QPointF> sorted{{0, 0}, {250, 1}, {400, 2}};
        QCOMPARE(SeriesNamed(plot.chart(), u"points"_s)->points(), sorted);
        QCOMPARE(SeriesNamed(plot.chart(), u"curve"_s)->points().size(), 5);
        QCOMPARE(SeriesNamed(plot.chart(), u"curve"_s)->points().mid(1, 3), sorted);
        QCOMPARE(SeriesNamed(plot.chart(), u"live"_s)->points(), (QList<QPointF>{{325, 1.5}}));
        plot.setPoints({{2, 500}});
        QVERIFY(SeriesNamed(plot.chart(), u"curve"_s)->points().isEmpty());
        QVERIFY(SeriesNamed(plot.chart(), u"live"_s)->points().isEmpty());
    }

    // Two points on one signal (two added with signal 0, or a zero captured a
    // hair off 0): the curve extrapolates steeply; the value axis still spans
    // the points and the live marker, and the curve is cut at its edges.
    void valueAxisFollowsThePoints() {
        for (double secondZero : {0.0, 1e-6}) {
            CurvePlot plot;
            plot.setPoints({{0, 0}, {secondZero, 60}, {1, 41}, {2, 80}});
            plot.setLiveSignal(1.5);
            const auto* x = qobject_cast<QValueAxis*>(plot.chart()->axes(Qt::Horizontal)[0]);
            QVERIFY(x->min() >= -10 && x->min() < 0 && x->max() > 80 && x->max() <= 90);
            for (const QPointF& p : SeriesNamed(plot.chart(), u"curve"_s)->points())
                QVERIFY2(p.x() >= x->min() - 1e-9 && p.x() <= x->max() + 1e-9,
                         qPrintable(QString::number(p.x())));
        }
    }

    // Both capture buttons change the fields and the held N and k, never the device.
    void setNulaThenSet2mVV_data() {
        QTest::addColumn<double>("zero");
        QTest::addColumn<double>("raw");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<double>("k");
        QTest::addColumn<QString>("warning");
        QTest::newRow("mid-scale")
            << 8388608.0 << 12691908.0 << u"8388608 4.647596 E-07"_s << 2.0 / 4303300 << QString();
        // No quotient: k stays as it stands and the user is told why.
        QTest::newRow("raw equals N") << 8388608.0 << 8388608.0 << u"8388608 0,001544225"_s << 1e-6
                                      << u"equals the zero count"_s;
        QTest::newRow("no reading yet")
            << qQNaN() << qQNaN() << u"8388500 0,001544225"_s << 1e-6 << u"no valid raw count"_s;
    }
    void setNulaThenSet2mVV() {
        QFETCH(double, zero);
        QFETCH(double, raw);
        QFETCH(QString, warning);
        Panel f;
        f.session.k = 1e-6;
        f.device.raw = zero;
        QTest::mouseClick(f.panel.setZeroButton(), Qt::LeftButton);
        f.device.raw = raw;
        QTest::mouseClick(f.panel.setGainButton(), Qt::LeftButton);
        QTEST(f.fields(), "fields");
        QCOMPARE(f.session.N, std::isnan(zero) ? 0.0 : zero); // no reading: N kept
        QTEST(f.session.k, "k");
        QVERIFY(f.device.log.isEmpty());
        QCOMPARE(f.messages.isEmpty(), warning.isEmpty());
        if (!warning.isEmpty()) QVERIFY(f.messages.last().text.contains(warning));
        QTest::mouseClick(f.panel.resetButton(), Qt::LeftButton);
        QCOMPARE(f.device.log, QStringList{"reset"});
    }

    // Zápis asks, backs the constants up, writes both, resets, reads back and
    // goes live again; text that is no number or that a 4-byte number cannot
    // hold is refused, and so is a write without a backup. No text: DEF! first.
    void save_data() {
        QTest::addColumn<QString>("nText");
        QTest::addColumn<QString>("kText");
        QTest::addColumn<QList<double>>("written");
        QTest::addColumn<QString>("named"); // by the last message
        QTest::addColumn<QString>("backupError");
        auto row = [](const char* name, const char* n, const char* k, QList<double> written,
                      const char* named, const char* backupError = "") {
            QTest::newRow(name) << QString(n) << QString(k) << written << QString(named)
                                << QString(backupError);
        };
        const char* backup = "/backups/device-90.bin";
        row("DEF!", nullptr, nullptr, {8388608, 4.6476e-07}, backup);
        row("comma", "8388500", "0,001544225", {8388500, 0.001544225}, backup);
        row("point, blanks around", " 8388500 ", "0.001544225", {8388500, 0.001544225}, backup);
        row("blanks inside: refused", "8 388 500", "4,64760 E-7", {}, "8 388 500");
        row("not a number: refused", "8388500", "abc", {}, "abc");
        row("beyond a single: nothing", "8388500", "1E39", {}, "1E39");
        row("not written: said", "8388500", "0.001", {}, "the disk is full", "the disk is full");
        row("N beyond 24 bits: nothing", "16777216", "0.001", {}, "16777216");
        row("N below 0: nothing", "-1", "0.001", {}, "-1");
        row("k 0: nothing", "8388500", "0,0", {}, "0,0");
        row("k below a single: nothing", "8388500", "1E-46", {}, "1E-46");
    }
    void save() {
        QFETCH(QString, nText);
        QFETCH(QString, kText);
        QFETCH(QList<double>, written);
        QFETCH(QString, backupError);
        Panel f;
        f.device.backupError = backupError;
        f.messages.answerYes(); // write them?
        f.session.k = 6;
        if (nText.isNull()) {
            QTest::mouseClick(f.panel.loadDefaultsButton(), Qt::LeftButton);
            QCOMPARE(f.session.k, 6.0); // only the fields change
            QCOMPARE(f.fields(), QStringLiteral("8388608 4.64760 E-7"));
        } else {
            f.panel.constantNField()->setText(nText);
            f.panel.constantKField()->setText(kText);
        }
        QVERIFY(f.device.log.isEmpty());
        QTest::mouseClick(f.panel.saveConstantsButton(), Qt::LeftButton);
        QCOMPARE(f.device.written, written);
        QFETCH(QString, named);
        QVERIFY(f.messages.last().text.contains(named));
        if (!written.isEmpty())
            QCOMPARE(f.messages.texts().first(),
                     f.lang.text(kTextAskWriteConstants)
                         .arg(f.panel.constantNField()->text().trimmed(),
                              f.panel.constantKField()->text().trimmed()));
        const bool asked = !written.isEmpty() || !backupError.isEmpty();
        QCOMPARE(f.device.log, asked ? QStringList{"write"} : QStringList{});
    }

    // A verification series on a 100-unit sensor with 0.01 digits and a
    // reference of 0.1 % (k = 2): up 0-50-100, down 50-0 reading 0.2 and
    // 0.05 high, so hysteresis 0.2 at 50; repeats at 10 spread 0.06; a load
    // within one digit joins its group. Expected: max |error| %FS, max
    // |hysteresis| %FS, max repeatability %FS, largest U. At 50 down,
    // u = sqrt(0.025^2 + (0.01^2 + 0.2^2)/12) = 0.0629815, U = 0.1259630.
    void verification_data() {
        QTest::addColumn<Numbers>("refs");
        QTest::addColumn<Numbers>("shown");
        QTest::addColumn<double>("fullScale");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QString>("directions");
        QTest::addColumn<Numbers>("expected");
        QTest::addColumn<bool>("pass");
        const Numbers cycle{0, 50, 100, 50, 0}, read{0, 50.1, 100.2, 50.3, 0.05};
        const Numbers cycleWant{0.3, 0.2, 0, 0.1259630};
        QTest::newRow("cycle within")
            << cycle << read << 100.0 << 0.5 << "AAADD" << cycleWant << true;
        QTest::newRow("cycle beyond")
            << cycle << read << 100.0 << 0.4 << "AAADD" << cycleWant << false;
        // at 10.005: u = sqrt(0.0050025^2 + (0.01^2 + 0.06^2)/12) = 0.0182581
        QTest::newRow("repeats") << Numbers{10, 10.005, 10, 10.02}
                                 << Numbers{10.02, 10.05, 9.99, 10} << 100.0 << 0.1 << "AAAA"
                                 << Numbers{0.045, 0, 0.06, 0.0365162} << true;
        QTest::newRow("no full scale") << Numbers{0} << Numbers{0} << 0.0 << 0.1 << "A"
                                       << Numbers{0, 0, 0, 0.0057735} << false;
        QTest::newRow("no points")
            << Numbers{} << Numbers{} << 100.0 << 0.1 << "" << Numbers{0, 0, 0, 0} << false;
    }
    void verification() {
        QFETCH(Numbers, refs);
        QFETCH(Numbers, shown);
        QFETCH(double, fullScale);
        QFETCH(double, tolerance);
        std::vector<VerificationPoint> series;
        for (int i = 0; i < refs.size(); ++i)
            series.push_back({refs[i], shown[i], 0, 0});
        const VerificationSummary v = Verify(series, {fullScale, 0.01, 0.1, tolerance});
        QString dirs;
        for (const PointVerdict& p : v.points)
            dirs += p.direction == LoadDirection::Descending ? u'D' : u'A';
        QTEST(dirs, "directions");
        const double got[] = {v.maxErrorFS, v.hysteresisFS, v.repeatabilityFS, v.maxExpanded};
        QFETCH(Numbers, expected);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) < 1e-6, qPrintable(QString::number(got[i])));
        QTEST(v.pass, "pass");
    }

    // The capture's own share: displays 1, 2, 3 have a standard deviation of
    // 1, of their mean 1/sqrt(3). Settings fall back to their defaults.
    void verificationInputs() {
        StabilityDetector d({2000, 500, 0.01, 30000});
        for (int k = 0; k < 3; ++k)
            d.add({k * kPollMs, 0, k + 1.0, 0});
        QCOMPARE(d.window().sdMeanDisplay, 1 / std::sqrt(3.0));
        MemorySettingsStore s;
        QCOMPARE(ToleranceSetting(s), 0.1);
        s.setValue(u"Verification"_s, u"Tolerance"_s, u"-1"_s);
        s.setValue(u"Verification"_s, u"ReferenceUncertainty"_s, u"0,02"_s);
        QCOMPARE(ToleranceSetting(s), 0.1);
        QCOMPARE(ReferenceUncertaintySetting(s), 0.02);
    }
};

QTEST_MAIN(TestCalibration)
#include "test_calibration.moc"
