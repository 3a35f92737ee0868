#include "calibration/updatecalibration.h"
#include "support/calibrationpages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QtTest>

using namespace qm;
using namespace qm::testing;

namespace {
QString n(int i) {
    return QString::number(i);
}

struct Fixture : CalibrationPages {
    using CalibrationPages::CalibrationPages;
    SensorRecord rec = [] {
        SensorRecord r;
        r.SerialNo = QStringLiteral("~0000000"); // a blank sensor's placeholder
        r.Description = QStringLiteral("Load cell");
        r.Unit = QStringLiteral("kg    ");
        r.Format = QStringLiteral("##0.000 ");
        r.Averaging = r.AveragingSpeed = 10;
        r.GainIndex = 7;
        r.DateSaved = QStringLiteral("240101");
        return r;
    }();

    // rec with n points onto the pages: signals n..1, unsorted as a device may hold them.
    void show(int points = 2) {
        rec.PointCount = points;
        for (int i = 0; i < points; ++i) {
            rec.Signal[i] = float(points - i);
            rec.Value[i] = float(10 * (points - i));
        }
        session.CurrentRecord = rec;
        showRecordOnPages(ctx, sensorPage, curvePage);
    }
};

struct ListCase {
    int digits;
    QString format;
    QList<int> slideRychlGainTagFlags;
    QString shown, saved;
};
} // namespace
Q_DECLARE_METATYPE(ListCase)

class TestSensorPage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

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
        row("6 decimals on 5 digits",
            {5, "0.000000", {2, 2, 1, 0, 0xD0}, "T80 0.99999 2 2 1", "#0.00000 2 2 1 d0"});
        row("decoded, padded",
            {5, "###0.00 ", {10, 10, 7, 0, 0xD0}, "T80 999.99 10 10 7", "####0.00 10 10 7 d0"});
    }
    void shownThenSaved() {
        QFETCH(ListCase, c);
        Fixture f(c.digits);
        f.rec.Format = c.format;
        f.rec.Averaging = c.slideRychlGainTagFlags[0];
        f.rec.AveragingSpeed = c.slideRychlGainTagFlags[1];
        f.rec.GainIndex = c.slideRychlGainTagFlags[2];
        f.session.TagPresent = uint8_t(c.slideRychlGainTagFlags[3]);
        f.rec.Flags = uint8_t(c.slideRychlGainTagFlags[4]);
        f.show();
        const SensorPage& p = f.sensorPage;
        const QString five = QStringLiteral("%1 %2 %3 %4 %5");
        QCOMPARE(five.arg(p.title().left(3), p.formatList()->currentText(),
                          p.averagingList()->currentText(), p.averagingSpeedList()->currentText(),
                          n(p.gainList()->currentIndex())),
                 c.shown);
        QVERIFY(f.sensorPage.storeInRecord(f.curvePage.bit24Box()->isChecked() ? 0xD8 : 0xD0));
        const SensorRecord& r = f.session.CurrentRecord;
        QCOMPARE(five.arg(r.Format, n(r.Averaging), n(r.AveragingSpeed), n(r.GainIndex),
                          QString::number(r.Flags, 16)),
                 c.saved);
    }

    // The record onto the page; a curve left from another sensor goes. A
    // refused transfer shows the conversion's messages and keeps the record.
    void recordShownAndRefusedTransfer() {
        Fixture f;
        for (float s : {9.f, 8.f, 7.f, 6.f})
            f.curve.Append(s, s);
        f.show(3);
        const SensorPage& p = f.sensorPage;
        QCOMPARE((QStringList{p.title(), p.descriptionField()->text(), p.unitField()->text(),
                              p.dateSavedField()->text()}),
                 (QStringList{"T80 [ID:~0000000]", f.rec.Description, f.rec.Unit, "240101"}));
        QCOMPARE(f.curvePage.pointList()->count(), 3);
        f.curve.Append(99, 10);
        const SensorRecord before = f.session.CurrentRecord;
        QVERIFY(!f.sensorPage.storeInRecord(0xD0));
        QCOMPARE(f.messages.texts(), (QStringList{"T42 10 T43", "T38"}));
        QCOMPARE(f.session.CurrentRecord, before);
    }

    void sensorTexts() {
        const std::tuple<QString, QString, QStringList> cases[] = {
            {QString(32, 'a'), "kN ", {}},
            {QString(33, 'a'), "kN", {"T60"}},
            {"x", "mV/V", {"T61"}},
            {"", "  ", {"T60", "T61"}}};
        for (const auto& [description, unit, messages] : cases) {
            Fixture f;
            f.sensorPage.descriptionField()->setText(description);
            f.sensorPage.unitField()->setText(unit);
            QCOMPARE(f.sensorPage.CheckSensorTexts(), messages.isEmpty());
            QCOMPARE(f.messages.texts(), messages);
        }
    }
};

QTEST_MAIN(TestSensorPage)
#include "test_sensorpage.moc"
