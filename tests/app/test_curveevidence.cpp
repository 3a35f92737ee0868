// The curve page's evidence in the window on the virtual clock: averaged
// captures, the question while the signal settles, and plots and the
// linearity column that follow every change of the list.
#include "app/liveevidence.h"
#include "calibration/curveevidence.h"
#include "calibration/curveplot.h"
#include "calibration/deviationplot.h"
#include "calibration/linearity.h"
#include "calibration/plotsupport.h"
#include "support/referencedialog.h"
#include "windowharness.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

using namespace qm;

namespace {
QList<QPointF> seriesPoints(const QChart* chart, const char* name) {
    return SeriesNamed(chart, QLatin1String(name))->points();
}
} // namespace

class TestCurveEvidence : public QObject {
    Q_OBJECT
  private slots:
    // On a noisy settled signal the point is the mean of the window's 14
    // replies, not the latest one, and the list shows its spread.
    void captureTakesWindowMean() {
        WindowHarness h;
        h.settings.setValue("Stability", "Digits", "1000"); // stable despite the noise
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
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("10"));
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(h.messages.isEmpty());
        const int row = w.curve().FindSignal(mean);
        QVERIFY(row > 0);
        QCOMPARE(w.curve().pointAt(row).spread, w.stability().window().spreadDisplay);
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
        h.settings.setValue("Stability", "Digits", "-3"); // bad: 5 digits
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
            testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("50"));
        }
        h.click("cmdSCAN");
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(h.messages.last().defaultButton, MsgNo);
        QCOMPARE(w.curve().pointCount(), before + (take ? 1 : 0));
        QCOMPARE(w.curve().FindSignal(float(w.LiveSignal())) > 0, take);
    }

    // Auto-capture opens the reference dialog once the signal has settled on a
    // level at least 5 % of full scale from every point, and only then.
    void autoCapture_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<double>("level"); // points at 0 and 2 mV/V, one taken at 1
        QTest::addColumn<double>("settleSeconds");
        QTest::addColumn<bool>("opens");
        QTest::newRow("settled far") << "1" << 1.5 << 0.0 << true;
        QTest::newRow("off by default") << "" << 1.5 << 0.0 << false;
        QTest::newRow("off") << "0" << 1.5 << 0.0 << false;
        QTest::newRow("settling") << "true" << 1.5 << 5.0 << false;
        QTest::newRow("just far enough") << "1" << 1.11 << 0.0 << true; // full scale 2 mV/V
        QTest::newRow("too close") << "1" << 0.91 << 0.0 << false;
    }
    void autoCapture() {
        QFETCH(QString, setting);
        QFETCH(double, level);
        QFETCH(double, settleSeconds);
        QFETCH(bool, opens);
        WindowHarness h;
        h.settings.setValue("Stability", "AutoCapture", setting);
        h.device.setSignalOptions({0, settleSeconds, 0, 1});
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        h.capture(1.0, QStringLiteral("10"));
        const int before = w.curve().pointCount(); // with the device's own points
        h.device.setSignal(level, h.clock.tickMs());
        h.messages.clear();
        // Whenever the dialog is up, it is answered, and the point counted.
        QTimer answer;
        answer.callOnTimeout(&w.referenceDialog(), [&] {
            if (!w.referenceDialog().isVisible()) return;
            w.referenceDialog().pointField(1)->setText(QStringLiteral("20"));
            QTest::keyClick(w.referenceDialog().pointField(1), Qt::Key_Return);
        });
        answer.start(5);
        for (int i = 0; i < 24; ++i) // 3.6 s: settled for a whole window
            h.tick();
        QCOMPARE(h.messages.count(), 0); // never "take it anyway?"
        QCOMPARE(w.curve().pointCount(), before + (opens ? 1 : 0));
        QCOMPARE(w.curve().FindSignal(float(w.stability().window().meanSignal)) > 0, opens);
    }

    // Bad stability settings fall back to a 2000 ms window and 5 digits.
    void settingsFallBack_data() {
        QTest::addColumn<QString>("windowMs");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<int>("expectedWindowMs");
        QTest::addColumn<double>("expectedDigits");
        QTest::newRow("missing") << ""
                                 << "" << 2000 << 5.0;
        QTest::newRow("good") << " 500 "
                              << "2.5" << 500 << 2.5;
        QTest::newRow("limits") << "300"
                                << "1000" << 300 << 1000.0;
        QTest::newRow("too small") << "299"
                                   << "0" << 2000 << 5.0;
        QTest::newRow("too large") << "60001"
                                   << "1000.5" << 2000 << 5.0;
        QTest::newRow("not numbers") << "2s"
                                     << "five" << 2000 << 5.0;
        QTest::newRow("negative, not finite") << "-2000"
                                              << "inf" << 2000 << 5.0;
    }
    void settingsFallBack() {
        QFETCH(QString, windowMs);
        QFETCH(QString, digits);
        MemorySettingsStore s;
        s.setValue("Stability", "WindowMs", windowMs);
        s.setValue("Stability", "Digits", digits);
        const LiveEvidenceSettings read = ReadLiveEvidenceSettings(s);
        QTEST(read.stability.windowMs, "expectedWindowMs");
        QTEST(read.stability.digits, "expectedDigits");
    }

    // Capture, add, edit, delete and clear: the plots and the column show
    // the list's points every time; the screenshot shows the page with them.
    void plotsFollowTheList() {
        WindowHarness h;
        h.settings.setValue("Stability", "Digits", "1000"); // stable despite the noise
        h.device.setSignalOptions({0.001, 0, 0, 3});
        MainWindow& w = h.openAt(3);
        w.liveTimer().stop();
        auto* evidence = h.child<CurveEvidence>("fraEVIDENCE");
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
            // The plot draws the column's figures by value, its title the label's.
            QList<QPointF> column;
            for (size_t i = 0; i < points.size() && !deviations.isEmpty(); ++i)
                column << QPointF(
                    points[i].value,
                    evidence->linearityList()->item(int(i))->text().left(7).toDouble());
            std::stable_sort(column.begin(), column.end(),
                             [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
            for (qsizetype i = 0; i < column.size(); ++i)
                QVERIFY(std::abs(column[i].y() - deviations[i].y()) < 0.0006);
            const QString label = evidence->nonLinearityLabel()->text();
            QVERIFY(evidence->deviationPlot()->chart()->title().endsWith(label.section(':', 1)));
        };
        for (const auto& [signal, value] : {std::pair{0.5, "20"}, {1.0, "41"}, {2.0, "80"}}) {
            h.device.setSignal(signal);
            for (int i = 0; i < 16; ++i)
                h.tick();
            testing::AnswerReferenceDialog(w.referenceDialog(), QLatin1String(value));
            h.click("cmdSCAN");
            expectSameAsList();
        }
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("60"));
        h.click("cmdListAction0"); // add: the value at signal 0
        expectSameAsList();
        list->setCurrentRow(1);
        testing::AnswerReferenceDialog(w.referenceDialog(), QStringLiteral("19"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(1)).center());
        expectSameAsList();
        QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
        const QString path = QStringLiteral(QM_SCREENSHOT_DIR "/curve-evidence.png");
        // The charts lay out their titles and labels in the event loop; without
        // a pass the picture shows the state before the edit.
        QCoreApplication::processEvents();
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
