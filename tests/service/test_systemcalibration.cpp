#include "core/clock.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"
#include "service/serviceactions.h"
#include "service/systemcalibration.h"
#include "support/scriptedmessages.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

using namespace qm;

namespace {
// The window's side and the clock written down as one log, so the waits show
// in their place.
class Recorder final : public ServiceActions, public Clock {
  public:
    QStringList log;
    double raw = 0;
    QList<double> written; // N, k
    QString backupError;   // set: the backup fails

    double liveDiv() const override { return raw; }
    void stopLive() override { log << "stopLive"; }
    void startLive() override { log << "startLive"; }
    void disableNavigation() override { log << "disableNavigation"; }
    void enableNavigation() override { log << "enableNavigation"; }
    void showStatus(const std::optional<QString>& text) override {
        log << "status " + text.value_or(QString());
    }
    void hideStatus() override { log << "hideStatus"; }
    bool writeConstants(double N, double k) override {
        written << N << k;
        log << "write";
        return true;
    }
    QString backUpConstants(QString& error) override {
        log << "backup";
        error = backupError;
        return backupError.isEmpty() ? QStringLiteral("/backups/device-90.bin") : QString();
    }
    void sendReset() override { log << "$00X"; }
    void readAll() override { log << "readAll"; }

    qint64 tickMs() const override { return 0; }
    QDateTime now() const override { return {}; }
    void delay(int ms) override { log << QStringLiteral("delay %1").arg(ms); }
    void processEvents() override {}
};

struct Fixture {
    SensorSession session;
    Recorder device;
    ScriptedMessages messages;
    LangTable lang;
    SystemCalibrationPanel panel{session, device, messages, device, lang};
    Fixture() { lang.set(29, QStringLiteral("Wait")); }
    QString fields() const {
        return panel.constantNField()->text() + ' ' + panel.constantKField()->text();
    }
};

void click(QPushButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

const QStringList kResetSequence{"disableNavigation", "status Wait", "stopLive",
                                 "delay 200",         "$00X",        "delay 1000",
                                 "enableNavigation",  "hideStatus"};
} // namespace

class TestSystemCalibration : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Both capture buttons change the fields and the held N and k, never the device.
    void setNulaThenSet2mVV_data() {
        QTest::addColumn<double>("zero");
        QTest::addColumn<double>("raw");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<double>("k");
        QTest::addColumn<QString>("warning");
        auto row = [](const char* name, double zero, double raw, const char* fields, double k,
                      const char* warning) {
            QTest::newRow(name) << zero << raw << QString(fields) << k << QString(warning);
        };
        row("mid-scale", 8388608, 12691908, "8388608 4.647596 E-07", 2.0 / 4303300, "");
        row("below N", 8388608, 8388508, "8388608 -2.000000 E-02", -0.02, "");
        // No quotient: k stays as it stands and the user is told why.
        row("raw equals N", 8388608, 8388608, "8388608 0,001544225", 1e-6, "equals the zero count");
        row("no reading yet", std::nan(""), std::nan(""), "8388500 0,001544225", 1e-6,
            "no valid raw count");
    }
    void setNulaThenSet2mVV() {
        QFETCH(double, zero);
        QFETCH(double, raw);
        QFETCH(QString, warning);
        Fixture f;
        f.session.k = 1e-6;
        f.device.raw = zero;
        click(f.panel.setZeroButton());
        f.device.raw = raw;
        click(f.panel.setGainButton());
        QTEST(f.fields(), "fields");
        QCOMPARE(f.session.N, std::isnan(zero) ? 0.0 : zero); // no reading: N kept
        QTEST(f.session.k, "k");
        QVERIFY(f.device.log.isEmpty());
        QCOMPARE(f.messages.isEmpty(), warning.isEmpty());
        if (!warning.isEmpty()) QVERIFY(f.messages.last().text.contains(warning));
        click(f.panel.resetButton()); // a reset alone leaves live stopped
        QCOMPARE(f.device.log, kResetSequence);
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
        row("blank before the exponent", "8388500", "4,64760 E-7", {8388500, 4.6476e-7}, backup);
        row("blanks inside: refused", "8 388 500", "4,64760 E-7", {}, "8 388 500");
        row("not a number: refused", "8388500", "abc", {}, "abc");
        row("beyond a single: nothing", "8388500", "1E39", {}, "1E39");
        row("no backup: nothing", "8388500", "0.001", {}, "the disk is full", "the disk is full");
    }
    void save() {
        QFETCH(QString, nText);
        QFETCH(QString, kText);
        QFETCH(QList<double>, written);
        QFETCH(QString, backupError);
        Fixture f;
        f.device.backupError = backupError;
        f.messages.answerYes(); // write them?
        f.session.k = 6;
        if (nText.isNull()) {
            click(f.panel.loadDefaultsButton());
            QCOMPARE(f.session.k, 6.0); // only the fields change
            QCOMPARE(f.fields(), QStringLiteral("8388608 4.64760 E-7"));
        } else {
            f.panel.constantNField()->setText(nText);
            f.panel.constantKField()->setText(kText);
        }
        QVERIFY(f.device.log.isEmpty());
        click(f.panel.saveConstantsButton());
        QCOMPARE(f.device.written, written);
        QFETCH(QString, named);
        QVERIFY(f.messages.last().text.contains(named));
        QStringList log;
        if (!written.isEmpty()) {
            QCOMPARE(f.messages.texts().first(),
                     f.lang.text(kTextAskWriteConstants)
                         .arg(f.panel.constantNField()->text().trimmed(),
                              f.panel.constantKField()->text().trimmed()));
            log = QStringList{"disableNavigation", "backup", "stopLive",  "delay 200",
                              "status ",           "write",  "delay 100", "hideStatus"} +
                  kResetSequence + QStringList{"readAll", "startLive", "enableNavigation"};
        } else if (!backupError.isEmpty()) {
            log = {"disableNavigation", "backup", "enableNavigation"};
        }
        QCOMPARE(f.device.log, log);
    }
};

QTEST_MAIN(TestSystemCalibration)
#include "test_systemcalibration.moc"
