#include "calibration/curvepage.h"
#include "calibration/referenceinput.h"
#include "calibration/sensorpage.h"
#include "calibration/updatecalibration.h"
#include "calibration/workingcurve.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"
#include "support/scriptedmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QtTest>

using namespace qm;

namespace {
class NoDialog final : public ReferenceInput {
  public:
    void showModal() override { ETH = kCancelled; }
};

// A window's worth of state around one sensor page.
struct Fixture {
    SensorSession session;
    WorkingCurve curve;
    LangTable lang;
    ScriptedMessages messages;
    VirtualClock clock; // 4 December 2026, 22:30:15
    CalibrationContext ctx{session, curve, lang, messages, clock};
    NoDialog dialog;
    fraSNIMAC page{ctx};
    fraCURVE curvePage{ctx, dialog, [] { return 0.0; }};

    explicit Fixture(int digits = 5) {
        for (int n : {38, 39, 40, 41, 42, 43, 44, 60, 61, 66, 69, 80, 81})
            lang.set(n, QStringLiteral("T%1").arg(n));
        session.DisplayDigits = digits;
        page.setFormatList(digits);
    }
    // A valid record of n points (signals 1..n) shown on the pages.
    void show(SensorRecord rec, int points = 2) {
        rec.PointCount = points;
        for (int i = 0; i < points; ++i) {
            rec.Signal[i] = float(i + 1);
            rec.Value[i] = float(10 * (i + 1));
        }
        session.CurrentRecord = rec;
        UpdateCalibration(ctx, page, curvePage);
    }
};

SensorRecord sample() {
    SensorRecord r;
    r.SerialNo = QStringLiteral("12345678");
    r.Popis = QStringLiteral("Load cell").leftJustified(32);
    r.Jednotka = QStringLiteral("kg    ");
    r.Format = QStringLiteral("##0.000 ");
    r.Slide = 10;
    r.SlideRychl = 10;
    r.GainIndex = 7;
    r.Flags = 0xD0;
    r.DateSaved = QStringLiteral("240101");
    return r;
}
} // namespace

class TestSensorPage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void listSelections_data() {
        QTest::addColumn<int>("slide");
        QTest::addColumn<int>("slideRychl");
        QTest::addColumn<int>("gain");
        QTest::addColumn<QString>("slideText");
        QTest::addColumn<QString>("slideRychlText");
        QTest::addColumn<int>("gainIndex");
        QTest::newRow("11 between entries") << 11 << 11 << 3 << "12"
                                            << "OFF" << 3;
        QTest::newRow("exact") << 16 << 40 << 7 << "16"
                               << "40" << 7;
        QTest::newRow("off") << 1 << 0 << 0 << "OFF"
                             << "OFF" << 0;
        QTest::newRow("above every entry") << 40 << 51 << 8 << "OFF"
                                           << "OFF" << 0;
        QTest::newRow("negative gain") << 2 << 2 << -1 << "2"
                                       << "2" << 0;
    }
    void listSelections() {
        QFETCH(int, slide);
        QFETCH(int, slideRychl);
        QFETCH(int, gain);
        QFETCH(QString, slideText);
        QFETCH(QString, slideRychlText);
        QFETCH(int, gainIndex);
        Fixture f;
        SensorRecord r = sample();
        r.Slide = slide;
        r.SlideRychl = slideRychl;
        r.GainIndex = gain;
        f.show(r);
        QCOMPARE(f.page.cmbSlide()->currentText(), slideText);
        QCOMPARE(f.page.cmbSlideRychl()->currentText(), slideRychlText);
        QCOMPARE(f.page.cmbGain()->currentIndex(), gainIndex);
    }

    // What is shown comes back on save: the hidden SlideRychl list falls back to
    // OFF (1), Slide to the larger entry.
    void averagingRoundTrip() {
        Fixture f;
        SensorRecord r = sample();
        r.Slide = 11;
        r.SlideRychl = 11;
        f.show(r);
        QVERIFY(f.page.TXT2XXX(0xD0));
        QCOMPARE(f.session.CurrentRecord.Slide, 12);
        QCOMPARE(f.session.CurrentRecord.SlideRychl, 1);
    }

    void formatMask_data() {
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        QTest::newRow("6 decimals on 5 digits") << 5 << "0.000000"
                                                << "0.99999"
                                                << "#0.00000";
        QTest::newRow("6 decimals on 6 digits") << 6 << "0.000000"
                                                << "0.999999"
                                                << "0.000000";
        QTest::newRow("decoded, padded") << 5 << "###0.00 "
                                         << "999.99"
                                         << "####0.00";
        QTest::newRow("no decimals, 6 digits") << 6 << "######0 "
                                               << "999999"
                                               << "#######0";
        QTest::newRow("no decimals, 5 digits") << 5 << " ######0"
                                               << "99999"
                                               << "######0";
    }
    void formatMask() {
        QFETCH(int, digits);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        Fixture f(digits);
        SensorRecord r = sample();
        r.Format = stored;
        f.show(r);
        QCOMPARE(f.page.cmbFormat()->currentText(), shown);
        QVERIFY(f.page.TXT2XXX(0xD0));
        QCOMPARE(f.session.CurrentRecord.Format, saved);
    }

    void transferRefused_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("one point") << 1 << "x" << false << QStringList{"T39"};
        QTest::newRow("none") << 0 << "x" << false << QStringList{"T39"};
        QTest::newRow("eleven points") << 11 << "x" << false << QStringList{"T40"};
        QTest::newRow("blank description") << 2 << "    " << false << QStringList{"T41"};
        QTest::newRow("duplicate") << 3 << "x" << true << QStringList{"T42 10 T43", "T38"};
    }
    void transferRefused() {
        QFETCH(int, points);
        QFETCH(QString, description);
        QFETCH(bool, duplicate);
        QFETCH(QStringList, messages);
        Fixture f;
        f.show(sample(), std::min(points, 10));
        for (int i = 10; i < points; ++i)
            f.curve.Append(float(i + 1), float(10 * (i + 1)));
        if (duplicate) f.curve.Edit(3, 3, 10);
        f.page.txtPopis()->setText(description);
        const SensorRecord before = f.session.CurrentRecord;
        QVERIFY(!f.page.TXT2XXX(0xD0));
        QCOMPARE(f.messages.texts(), messages);
        QCOMPARE(f.messages.last().icon, MsgIcon::Critical);
        QCOMPARE(f.session.CurrentRecord, before);
    }

    void transferStoresPageAndCurve() {
        Fixture f;
        f.show(sample(), 3);
        f.curve.Append(0.5f, -4.25f); // unsorted on purpose
        f.page.txtPopis()->setText(QStringLiteral("  Force 5 kN  "));
        f.page.txtJednotka()->setText(QStringLiteral(" kN "));
        f.page.cmbGain()->setCurrentIndex(2);
        f.page.cmbSlide()->setCurrentIndex(0);
        QVERIFY(f.page.TXT2XXX(0xD8));
        QVERIFY(f.messages.isEmpty());
        const SensorRecord& r = f.session.CurrentRecord;
        QCOMPARE(r.Popis, QStringLiteral("Force 5 kN").leftJustified(32));
        QCOMPARE(r.Jednotka, QStringLiteral("kN    "));
        QCOMPARE(r.GainIndex, 2);
        QCOMPARE(r.Slide, 1);
        QCOMPARE(r.SlideRychl, 10);
        QCOMPARE(r.Flags, uint8_t(0xD8));
        QCOMPARE(r.DateSaved, QStringLiteral("261204"));
        QCOMPARE(r.SerialNo, QStringLiteral("12345678"));
        QCOMPARE(r.SpareSingle, 0.f);
        QCOMPARE(r.PointCount, 4);
        QCOMPARE(r.Signal[0], 0.5f);
        QCOMPARE(r.Value[0], -4.25f);
        QCOMPARE(r.Signal[3], 3.f);
    }

    void placeholderSerialIsReplaced() {
        Fixture f;
        SensorRecord r = sample();
        r.SerialNo = QStringLiteral("~0000000");
        f.show(r);
        QVERIFY(f.page.TXT2XXX(0xD0));
        const QString s = f.session.CurrentRecord.SerialNo;
        QCOMPARE(s.size(), 8);
        QVERIFY(s.startsWith(QStringLiteral("AC04WS"))); // made from the clock's now
    }

    void sensorTexts_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("32 and 3") << QString(32, 'a') << "kN " << QStringList{};
        QTest::newRow("33") << QString(33, 'a') << "kN" << QStringList{"T60"};
        QTest::newRow("blank description") << "   "
                                           << "kN" << QStringList{"T60"};
        QTest::newRow("unit of 4") << "x"
                                   << "mV/V" << QStringList{"T61"};
        QTest::newRow("both") << ""
                              << "  " << QStringList{"T60", "T61"};
    }
    void sensorTexts() {
        QFETCH(QString, description);
        QFETCH(QString, unit);
        QFETCH(QStringList, messages);
        Fixture f;
        f.page.txtPopis()->setText(description);
        f.page.txtJednotka()->setText(unit);
        QCOMPARE(f.page.CheckSensorTexts(), messages.isEmpty());
        QCOMPARE(f.messages.texts(), messages);
    }

    void rangeLabelsFollowTypedUnit() {
        Fixture f;
        f.page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.page));
        f.page.txtJednotka()->clear();
        QTest::keyClicks(f.page.txtJednotka(), QStringLiteral(" N"));
        QCOMPARE(f.page.lblRozsahPopis()->text(), QStringLiteral("T66 [N]"));
        QCOMPARE(f.page.lblRozsahNegPopis()->text(), QStringLiteral("T69 [N]"));
        QVERIFY(!f.page.lblRozsahPopis()->isVisible()); // below the visible area
    }

    void updateCalibrationShowsRecord_data() {
        QTest::addColumn<int>("tagPresent");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("bit24");
        QTest::newRow("device store") << 0 << 0xD0 << "T80 [ID:12345678]" << false;
        QTest::newRow("iTag, 24 bit") << 1 << 0xD8 << "T81 [ID:12345678]" << true;
    }
    void updateCalibrationShowsRecord() {
        QFETCH(int, tagPresent);
        QFETCH(int, flags);
        QFETCH(QString, title);
        QFETCH(bool, bit24);
        Fixture f;
        f.session.TagPresent = uint8_t(tagPresent);
        SensorRecord r = sample();
        r.Flags = uint8_t(flags);
        f.curve.Append(9, 9);
        f.curve.Append(8, 8);
        f.curve.Append(7, 7);
        f.show(r, 2);
        QCOMPARE(f.page.title(), title);
        QCOMPARE(f.curvePage.chk24bit()->isChecked(), bit24);
        QCOMPARE(f.page.txtPopis()->text(), r.Popis);
        QCOMPARE(f.page.txtJednotka()->text(), r.Jednotka);
        QCOMPARE(f.page.txtDateOfSave()->text(), QStringLiteral("240101"));
        QCOMPARE(f.curve.KrivkaCount(), 2);
        QCOMPARE(f.curvePage.lstKrivka()->count(), 2);
        // The hidden check box carries bit 3 through a save.
        QVERIFY(f.page.TXT2XXX(f.curvePage.chk24bit()->isChecked() ? 0xD8 : 0xD0));
        QCOMPARE(f.session.CurrentRecord.Flags, uint8_t(flags));
    }

    void serviceModeKeepsSlideRychlOutOfSight() {
        Fixture f;
        f.page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.page));
        QVERIFY(!f.page.cmbSlideRychl()->isVisibleTo(&f.page));
        f.page.setServiceControlsVisible();
        QVERIFY(f.page.cmbSlideRychl()->isVisibleTo(f.page.cmbSlideRychl()->parentWidget()));
        QVERIFY(!f.page.cmbSlideRychl()->isVisible());
        QVERIFY(f.page.cmbSlide()->isVisible());
    }
};

QTEST_MAIN(TestSensorPage)
#include "test_sensorpage.moc"
