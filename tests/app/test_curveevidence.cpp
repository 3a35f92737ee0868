// The curve page's evidence in the window on the virtual clock: averaged
// captures, the question while the signal settles, and plots and the
// linearity column that follow every change of the list.
#include "app/liveevidence.h"
#include "calibration/curveevidence.h"
#include "calibration/curveplot.h"
#include "calibration/deviationplot.h"
#include "calibration/linearity.h"
#include "calibration/plotsupport.h"
#include "calibration/referencedialog.h"
#include "support/referencedialog.h"
#include "windowharness.h"

#include <QChart>
#include <QListWidget>
#include <QXYSeries>

using namespace qm;

namespace {

QList<QPointF> seriesPoints(const QChart* chart, const char* name) {
    return SeriesNamed(chart, QLatin1String(name))->points();
}

} // namespace

class TestCurveEvidence : public QObject {
    Q_OBJECT
  private slots:
    void settingsFallBack_data() {
        QTest::addColumn<QString>("windowMs");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("autoCapture");
        QTest::addColumn<int>("expectedWindow");
        QTest::addColumn<double>("expectedDigits");
        QTest::addColumn<bool>("expectedAuto");
        QTest::newRow("missing") << ""
                                 << ""
                                 << "" << 2000 << 5.0 << false;
        QTest::newRow("set") << " 3000 "
                             << "2.5"
                             << "true" << 3000 << 2.5 << true;
        QTest::newRow("words") << "two"
                               << "five"
                               << "yes" << 2000 << 5.0 << false;
        QTest::newRow("out of range") << "100"
                                      << "0"
                                      << "1" << 2000 << 5.0 << true;
        QTest::newRow("not finite") << "inf"
                                    << "nan"
                                    << "0" << 2000 << 5.0 << false;
    }
    void settingsFallBack() {
        QFETCH(QString, windowMs);
        QFETCH(QString, digits);
        QFETCH(QString, autoCapture);
        MemorySettingsStore s;
        s.setValue(QStringLiteral("Stability"), QStringLiteral("WindowMs"), windowMs);
        s.setValue(QStringLiteral("Stability"), QStringLiteral("Digits"), digits);
        s.setValue(QStringLiteral("Stability"), QStringLiteral("AutoCapture"), autoCapture);
        const LiveEvidenceSettings got = ReadLiveEvidenceSettings(s);
        QTEST(got.stability.windowMs, "expectedWindow");
        QTEST(got.stability.digits, "expectedDigits");
        QTEST(got.autoCapture, "expectedAuto");
    }

    void linearityLines() {
        QCOMPARE(linearityLine(0.01234, -1, QStringLiteral("0.00")), QStringLiteral(" +0.012"));
        QCOMPARE(linearityLine(-1.5, 0.02, QStringLiteral("0.00")),
                 QStringLiteral(" -1.500  0.02"));
        QCOMPARE(linearityLine(std::nullopt, 3, QStringLiteral("##0")),
                 QStringLiteral("           3"));
    }

    // On a noisy settled signal the point is the mean of the window's 14
    // replies, not the latest one, and the list shows its spread.
    void captureTakesWindowMean() {
        WindowHarness h;
        h.settings.setValue(QStringLiteral("Stability"), QStringLiteral("Digits"),
                            QStringLiteral("1000"));
        h.device.setSignalOptions({0.002, 0, 0, 7});
        h.device.setSignal(1.0);
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        QList<double> seen;
        for (int i = 0; i < 30; ++i) {
            h.tick();
            seen << w.LiveSignal();
        }
        QVERIFY(w.stability().isStable());
        double sum = 0;
        for (int i = seen.size() - 14; i < seen.size(); ++i)
            sum += seen[i];
        const float mean = float(sum / 14);
        QVERIFY(mean != float(seen.last()));
        testing::AnswerReferenceDialog(w.inputBox(), QStringLiteral("10"));
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(h.messages.isEmpty());
        const int row = w.curve().FindSignal(mean);
        QVERIFY(row > 0);
        QCOMPARE(w.curve().pointAt(row).spread, w.stability().window().spreadDisplay);
        QVERIFY(w.curve().pointAt(row).spread > 0);
        const QString line = h.child<QListWidget>("lstLinearity")->item(row - 1)->text();
        QVERIFY2(line.size() > 7, qPrintable(line));
    }

    // While the signal settles Capture asks, No by default; Yes takes the
    // latest reading.
    void captureWhileSettlingAsks_data() {
        QTest::addColumn<bool>("take");
        QTest::newRow("wait") << false;
        QTest::newRow("take anyway") << true;
    }
    void captureWhileSettlingAsks() {
        QFETCH(bool, take);
        WindowHarness h;
        h.device.setSignalOptions({0, 5, 0, 1});
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        h.tick();
        h.device.setSignal(1.5, h.clock.tickMs());
        for (int i = 0; i < 20; ++i)
            h.tick();
        QVERIFY(!w.stability().isStable());
        const int before = w.curve().pointCount();
        h.messages.clear();
        if (take) {
            h.messages.answerYes();
            testing::AnswerReferenceDialog(w.inputBox(), QStringLiteral("50"));
        }
        h.click("cmdSCAN");
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(h.messages.last().defaultButton, MsgNo);
        QVERIFY(h.messages.last().text.startsWith(
            h.lang(kTextTakeUnsettled).section(QLatin1Char('%'), 0, 0)));
        QCOMPARE(w.curve().pointCount(), before + (take ? 1 : 0));
        QCOMPARE(w.curve().FindSignal(float(w.LiveSignal())) > 0, take);
    }

    // Capture, add, edit, delete and clear: the plots and the column show
    // the list's points every time; the screenshot shows the page with them.
    void plotsFollowTheList() {
        WindowHarness h;
        h.useShippedLanguage();
        h.settings.setValue(QStringLiteral("Stability"), QStringLiteral("Digits"),
                            QStringLiteral("1000"));
        h.device.setSignalOptions({0.001, 0, 0, 3});
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        auto* evidence = h.child<CurveEvidence>("fraEVIDENCE");
        QVERIFY(evidence->isVisible());
        QVERIFY(w.rect().contains(evidence->geometry()));
        auto* list = h.child<QListWidget>("lstKrivka");
        auto expectSameAsList = [&] {
            const std::vector<CurvePoint> points = CurvePoints(w.curve());
            QList<QPointF> expected;
            for (const CurvePoint& p : points)
                expected << QPointF(p.value, p.signal);
            QList<QPointF> shown = seriesPoints(evidence->curvePlot()->chart(), "points");
            std::sort(shown.begin(), shown.end(),
                      [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
            QCOMPARE(shown, expected);
            QCOMPARE(evidence->linearityList()->count(), list->count());
            const auto deviations = seriesPoints(evidence->deviationPlot()->chart(), "deviation");
            QCOMPARE(deviations.size(), points.size() >= 2 ? qsizetype(points.size()) : 0);
        };
        for (const auto& [signal, value] : {std::pair{0.5, "20"}, {1.0, "41"}, {2.0, "80"}}) {
            h.device.setSignal(signal);
            for (int i = 0; i < 16; ++i)
                h.tick();
            testing::AnswerReferenceDialog(w.inputBox(), QLatin1String(value));
            h.click("cmdSCAN");
            expectSameAsList();
        }
        testing::AnswerReferenceDialog(w.inputBox(), QStringLiteral("60"));
        h.click("cmdListAction0"); // add: the value at signal 0
        expectSameAsList();
        list->setCurrentRow(1);
        testing::AnswerReferenceDialog(w.inputBox(), QStringLiteral("19"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(1)).center());
        expectSameAsList();
        QVERIFY(evidence->nonLinearityLabel()->text().contains(QStringLiteral("% FS")));
        QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
        const QString path = QStringLiteral(QM_SCREENSHOT_DIR "/curve-evidence.png");
        QVERIFY2(w.grab().save(path), qPrintable(path));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        h.messages.answerYes();
        h.click("cmdListAction1");
        expectSameAsList();
        h.messages.answerYes();
        h.click("cmdListAction2");
        expectSameAsList();
    }
};

QTEST_MAIN(TestCurveEvidence)
#include "test_curveevidence.moc"
