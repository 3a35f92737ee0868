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
// The window's side, written down as one log with the waits.
class LoggingClock final : public Clock {
  public:
    explicit LoggingClock(QStringList& log) : m_log(log) {}
    qint64 tickMs() const override { return m_ticks; }
    QDateTime now() const override { return {}; }
    void delay(int ms) override {
        m_ticks += ms;
        m_log << QStringLiteral("delay %1").arg(ms);
    }
    void processEvents() override {}

  private:
    QStringList& m_log;
    qint64 m_ticks = 0;
};

class RecordingActions final : public ServiceActions {
  public:
    explicit RecordingActions(QStringList& log) : m_log(log) {}
    double raw = 0;
    QList<std::pair<double, double>> written;

    double liveDiv() const override { return raw; }
    void stopLive() override { m_log << "stopLive"; }
    void startLive() override { m_log << "startLive"; }
    void disableNavigation() override { m_log << "disableNavigation"; }
    void enableNavigation() override { m_log << "enableNavigation"; }
    void showStatus(const std::optional<QString>& text) override {
        m_log << (text ? QStringLiteral("status ") + *text : QStringLiteral("status"));
    }
    void hideStatus() override { m_log << "hideStatus"; }
    bool writeConstants(double N, double k) override {
        written.append({N, k});
        m_log << "write";
        return true;
    }
    void sendReset() override { m_log << "$00X"; }
    void readAll() override { m_log << "readAll"; }

  private:
    QStringList& m_log;
};

struct Fixture {
    QStringList log;
    SensorSession session;
    RecordingActions actions{log};
    ScriptedMessages messages;
    LoggingClock clock{log};
    LangTable lang;
    fraQORSETUP panel{session, actions, messages, clock, lang};
    Fixture() { lang.set(29, QStringLiteral("Wait")); }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
};

const QStringList kResetSequence{"disableNavigation", "status Wait", "stopLive",
                                 "delay 200",         "$00X",        "delay 1000",
                                 "enableNavigation",  "hideStatus"};
} // namespace

class TestSystemCalibration : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void setNulaThenSet2mVV_data() {
        QTest::addColumn<double>("zero");
        QTest::addColumn<double>("raw");
        QTest::addColumn<QString>("nText");
        QTest::addColumn<QString>("kText");
        QTest::newRow("mid-scale") << 8388608.0 << 12691908.0 << "8388608"
                                   << "4.647596 E-07";
        QTest::newRow("one count") << 10.0 << 11.0 << "10"
                                   << "2.000000 E00";
        QTest::newRow("below N") << 8388608.0 << 8388508.0 << "8388608"
                                 << "-2.000000 E-02";
    }
    void setNulaThenSet2mVV() {
        QFETCH(double, zero);
        QFETCH(double, raw);
        QFETCH(QString, nText);
        QFETCH(QString, kText);
        Fixture f;
        f.actions.raw = zero;
        f.click(f.panel.cmdSKSetNula());
        QCOMPARE(f.panel.txtskN()->text(), nText);
        QCOMPARE(f.session.N, zero);
        f.actions.raw = raw;
        f.click(f.panel.cmdSKSetGain());
        QCOMPARE(f.panel.txtskK()->text(), kText);
        QCOMPARE(f.session.k, 2.0 / (raw - zero));
        QVERIFY(f.log.isEmpty()); // nothing goes to the device
        QVERIFY(f.messages.isEmpty());
    }

    void set2mVVWithoutQuotientKeepsK_data() {
        QTest::addColumn<double>("zero");
        QTest::addColumn<QString>("reason");
        QTest::newRow("raw equals N") << 8388608.0 << "equals the zero count N";
        QTest::newRow("N not a number") << std::nan("") << "N is not a number";
    }
    void set2mVVWithoutQuotientKeepsK() {
        QFETCH(double, zero);
        QFETCH(QString, reason);
        Fixture f;
        f.session.N = zero;
        f.session.k = 1e-6;
        f.actions.raw = 8388608;
        f.click(f.panel.cmdSKSetGain());
        QCOMPARE(f.panel.txtskK()->text(), QStringLiteral("0,001544225"));
        QCOMPARE(f.session.k, 1e-6);
        QCOMPARE(f.messages.count(), 1);
        QVERIFY2(f.messages.last().text.contains(reason), qPrintable(f.messages.last().text));
        QVERIFY(f.messages.last().text.contains(QStringLiteral("unchanged")));
        QCOMPARE(f.messages.last().icon, MsgIcon::Exclamation);
    }

    void defaultsThenSave() {
        Fixture f;
        f.session.N = 5;
        f.session.k = 6;
        f.click(f.panel.cmdLoadDef());
        QCOMPARE(f.panel.txtskN()->text(), QStringLiteral("8388608"));
        QCOMPARE(f.panel.txtskK()->text(), QStringLiteral("4.64760 E-7"));
        QCOMPARE(f.session.N, 5.0); // only the fields change
        QCOMPARE(f.session.k, 6.0);
        QVERIFY(f.log.isEmpty());

        f.click(f.panel.cmdSKSave());
        QCOMPARE(f.actions.written.size(), 1);
        QCOMPARE(f.actions.written[0].first, 8388608.0);
        QCOMPARE(f.actions.written[0].second, 4.6476e-07);
        QStringList expected{"stopLive", "delay 200", "status", "write", "delay 100", "hideStatus"};
        expected << kResetSequence << "readAll"
                 << "startLive";
        QCOMPARE(f.log, expected);
    }

    void typedConstantsAreParsed_data() {
        QTest::addColumn<QString>("nText");
        QTest::addColumn<QString>("kText");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("k");
        QTest::newRow("comma") << "8388500"
                               << "0,001544225" << 8388500.0 << 0.001544225;
        QTest::newRow("point") << " 8388500 "
                               << "0.001544225" << 8388500.0 << 0.001544225;
        QTest::newRow("blank exponent") << "8 388 500"
                                        << "4,64760 E-7" << 8388500.0 << 4.6476e-7;
        QTest::newRow("not a number") << "abc"
                                      << "" << 0.0 << 0.0;
    }
    void typedConstantsAreParsed() {
        QFETCH(QString, nText);
        QFETCH(QString, kText);
        QFETCH(double, n);
        QFETCH(double, k);
        Fixture f;
        f.panel.txtskN()->setText(nText);
        f.panel.txtskK()->setText(kText);
        f.click(f.panel.cmdSKSave());
        QCOMPARE(f.actions.written.size(), 1);
        QCOMPARE(f.actions.written[0].first, n);
        QCOMPARE(f.actions.written[0].second, k);
    }

    void constantBeyondSingleIsNotWritten() {
        Fixture f;
        f.panel.txtskK()->setText(QStringLiteral("1E39"));
        f.click(f.panel.cmdSKSave());
        QVERIFY(f.actions.written.isEmpty());
        QVERIFY(f.log.isEmpty());
        QCOMPARE(f.messages.count(), 1);
        QVERIFY(f.messages.last().text.contains(QStringLiteral("1E39")));
        QCOMPARE(f.messages.last().icon, MsgIcon::Critical);
    }

    void resetLeavesLiveStopped() {
        Fixture f;
        f.click(f.panel.cmdReset());
        QCOMPARE(f.log, kResetSequence);
    }
};

QTEST_MAIN(TestSystemCalibration)
#include "test_systemcalibration.moc"
