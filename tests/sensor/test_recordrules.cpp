#include "sensor/recordrules.h"

#include <QtTest>

using namespace qm;

namespace {
const QDateTime kNow(QDate(2026, 12, 4), QTime(22, 30, 15));
} // namespace

class TestRecordRules : public QObject {
    Q_OBJECT
  private slots:
    void makeSerial_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("digit");
        QTest::addColumn<double>("random");
        QTest::addColumn<QString>("expected");
        QTest::newRow("4 Dec 2026 22:30:15") << kNow << "" << 7 << 0.0 << "AC04WSA7";
        QTest::newRow("random near 1 gives Y") << kNow << "" << 7 << 0.99 << "AC04WSY7";
        QTest::newRow("prefix, digit modulo 10") << kNow << "QX" << 13 << 0.0 << "AC04WSQ3";
        QTest::newRow("digit 0 is a letter") << kNow << "Q" << 0 << 0.5 << "AC04WSQM";
        QTest::newRow("year wraps at 16, midnight")
            << QDateTime(QDate(2016, 1, 9), QTime(0, 0, 0)) << "" << 7 << 0.0 << "0109AAA7";
        QTest::newRow("last second of the day")
            << QDateTime(QDate(2031, 10, 31), QTime(23, 59, 59)) << "" << 7 << 0.0 << "FA31ZWA7";
    }
    void makeSerial() {
        QFETCH(QDateTime, now);
        QFETCH(QString, prefix);
        QFETCH(int, digit);
        QFETCH(double, random);
        QTEST(MakeSerial(now, prefix, digit, [random] { return random; }), "expected");
    }

    // A valid serial number is kept, any other replaced by a new one.
    void checkSerial_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("kept");
        QTest::newRow("eight digits") << "12345678" << true;
        QTest::newRow("up to Z and @") << "@ZAZ0909" << true;
        QTest::newRow("seven characters") << "1234567" << false;
        QTest::newRow("nine characters") << "123456789" << false;
        QTest::newRow("placeholder") << "~0000000" << false;
        QTest::newRow("lower case") << "1234567a" << false;
        QTest::newRow("blank inside") << "1234 678" << false;
    }
    void checkSerial() {
        QFETCH(QString, serial);
        QFETCH(bool, kept);
        QCOMPARE(CheckSerial(serial, kNow, [] { return 0.0; }), kept ? serial : "AC04WSA7");
    }
};

QTEST_GUILESS_MAIN(TestRecordRules)
#include "test_recordrules.moc"
