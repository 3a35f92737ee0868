// Renders each page to a PNG under the build folder for a person to look at.
#include "windowharness.h"

#include <QDir>
#include <QtTest>

using namespace qm;

class TestScreenshots : public QObject {
    Q_OBJECT
  private:
    static void save(QWidget& w, const QString& name) {
        QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
        const QString path = QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(name + ".png");
        QVERIFY2(w.grab().save(path), qPrintable(path));
    }

  private slots:
    void pages_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("normal") << QString();
        QTest::newRow("service") << QStringLiteral("savant");
    }
    void pages() {
        QFETCH(QString, commandLine);
        const QString suffix = commandLine.isEmpty() ? QString() : QStringLiteral("-service");
        WindowHarness h;
        h.useShippedLanguage();
        h.device.setSignal(1.2345);
        frmQORCalibration& w = h.open(commandLine);
        save(w, "1-port" + suffix);

        h.clickNext();
        QCOMPARE(w.WizardStep(), 2);
        save(w, "2-sensor" + suffix);

        h.clickNext();
        QCOMPARE(w.WizardStep(), 3);
        w.tmrCasovac().stop();
        w.tmrCasovac_Timer();
        h.clock.advance(150);
        w.tmrCasovac_Timer();
        save(w, "3-curve" + suffix);
    }

    // The status overlay, as a failing step leaves it under its message.
    void statusOverlay() {
        WindowHarness h;
        h.useShippedLanguage();
        frmQORCalibration& w = h.open();
        h.selectPort(1);
        h.messages.setOnShow([&](const Message&) { save(w, "0-status"); });
        h.clickNext();
        QCOMPARE(h.messages.count(), 1);
    }
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
