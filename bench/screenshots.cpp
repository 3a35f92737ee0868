// Renders each page to a PNG under the build folder for a person to look at
// (run it offscreen: QT_QPA_PLATFORM=offscreen bin/screenshots).
#include "windowharness.h"

#include <QtTest>

using namespace qm;

class TestScreenshots : public QObject {
    Q_OBJECT
  private slots:
    void pages_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("normal") << QString();
        QTest::newRow("service") << QStringLiteral("savant");
    }
    void pages() {
        QFETCH(QString, commandLine);
        WindowHarness h;
        h.useShippedLanguage();
        h.device.setSignal(1.2345);
        h.open(commandLine);
        QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
        const std::pair<const char*, PageState> pages[] = {{"1-port", kPortPage},
                                                           {"2-sensor", kSensorPage},
                                                           {"3-curve", kCurvePage},
                                                           {"4-verify", kVerifyPage}};
        for (const auto& [page, shown] : pages) {
            h.expectPage(shown);
            for (int i = 0; h.window->session().step() == WizardStep::Curve && i < 2; ++i)
                h.tick(); // a live value on show
            if (h.window->session().step() == WizardStep::Verify) {
                // One point taken at the device's own reading.
                h.window->session().liveTimer().stop();
                h.activate();
                h.settle(1.2345);
                testing::AnswerReferenceDialog(
                    h.window->referenceDialog(),
                    QString::number(h.window->session().live().display * 0.999));
                QTest::keyClick(h.window.get(), Qt::Key_F5);
            }
            const QString path =
                QStringLiteral(QM_SCREENSHOT_DIR "/%1%2.png")
                    .arg(QLatin1String(page), commandLine.isEmpty() ? "" : "-service");
            QCoreApplication::processEvents(); // the charts lay out in the event loop
            QVERIFY2(h.window->grab().save(path), qPrintable(path));
            h.clickNext();
        }
    }
};

QTEST_MAIN(TestScreenshots)
#include "screenshots.moc"
