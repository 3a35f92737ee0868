#include "sensor/recordrules.h"

#include <QtTest>

using namespace qm;

namespace {
const QDateTime kNow(QDate(2026, 12, 4), QTime(22, 30, 15));
const RandomSource kZero = [] { return 0.0; };
} // namespace

class TestRecordRules : public QObject {
    Q_OBJECT
  private slots:
    void dateText() {
        QCOMPARE(DateYYMMDD(QDate(2026, 12, 4)), QString("261204"));
        QCOMPARE(DateYYMMDD(QDate(2000, 1, 1)), QString("000101"));
    }

    void makeSerial_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("digit");
        QTest::addColumn<double>("random");
        QTest::addColumn<QString>("expected");
        QTest::newRow("4 Dec 2026 22:30:15") << kNow << "" << 7 << 0.0 << "AC04WSA7";
        QTest::newRow("random near 1 gives Y") << kNow << "" << 7 << 0.99 << "AC04WSY7";
        QTest::newRow("random rounds to nearest") << kNow << "" << 7 << 0.5 / 24 << "AC04WSB7";
        QTest::newRow("prefix letter") << kNow << "QX" << 7 << 0.0 << "AC04WSQ7";
        QTest::newRow("digit modulo 10") << kNow << "Q" << 13 << 0.0 << "AC04WSQ3";
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
        QFETCH(QString, expected);
        QCOMPARE(MakeSerial(now, prefix, digit, [random] { return random; }), expected);
    }

    void defaultRandomIsALetterAToY() {
        for (int i = 0; i < 200; ++i) {
            const QString s = MakeSerial(kNow, QString(), 7);
            QVERIFY2(s[6] >= u'A' && s[6] <= u'Y', qPrintable(s));
        }
    }

    void checkSerial_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("expected");
        QTest::newRow("eight digits") << "12345678"
                                      << "12345678";
        QTest::newRow("up to Z and @") << "@ZAZ0909"
                                       << "@ZAZ0909";
        QTest::newRow("seven characters") << "1234567"
                                          << "AC04WSA7";
        QTest::newRow("nine characters") << "123456789"
                                         << "AC04WSA7";
        QTest::newRow("placeholder") << "~0000000"
                                     << "AC04WSA7";
        QTest::newRow("lower case") << "1234567a"
                                    << "AC04WSA7";
        QTest::newRow("blank inside") << "1234 678"
                                      << "AC04WSA7";
        QTest::newRow("empty") << ""
                               << "AC04WSA7";
    }
    void checkSerial() {
        QFETCH(QString, serial);
        QFETCH(QString, expected);
        QCOMPARE(CheckSerial(serial, kNow, kZero), expected);
    }

    void loadDefaultRecord_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("device") << 0;
        QTest::newRow("tag") << 1;
        QTest::newRow("other") << 2;
    }
    void loadDefaultRecord() {
        QFETCH(int, which);
        SensorSession s;
        s.DeviceRecord.SerialNo = s.TagRecord.SerialNo = "12345678";
        s.DeviceRecord.GainIndex = s.TagRecord.GainIndex = 5;
        s.DeviceRecord.Signal[7] = s.TagRecord.Signal[7] = 3;
        const SensorSession before = s;
        LoadDefaultRecord(s, which, QDate(2026, 12, 4));

        if (which == 2) {
            QCOMPARE(s.DeviceRecord, before.DeviceRecord);
            QCOMPARE(s.TagRecord, before.TagRecord);
            return;
        }
        const SensorRecord& r = which == 0 ? s.DeviceRecord : s.TagRecord;
        const SensorRecord& other = which == 0 ? s.TagRecord : s.DeviceRecord;
        QCOMPARE(other, which == 0 ? before.TagRecord : before.DeviceRecord);
        QCOMPARE(r.MemGroup, which == 0 ? kGroupDevice : kGroupTag);
        QCOMPARE(r.PointCount, 2);
        QCOMPARE(r.FullScale, 1.0f);
        QCOMPARE(r.Flags, uint8_t(0xD0));
        QCOMPARE(r.Popis, QString("Std mV/V").leftJustified(32));
        QCOMPARE(r.Format, QString("#0.0000 "));
        QCOMPARE(r.Jednotka, QString("mVV   "));
        QCOMPARE(r.Slide, 10);
        QCOMPARE(r.SlideRychl, 10);
        QCOMPARE(r.DateCreated, QString("261204"));
        QCOMPARE(r.DateSaved, QString("261204"));
        QCOMPARE(r.Signal[1], 1.0f);
        QCOMPARE(r.Value[1], 1.0f);
        QCOMPARE(r.Signal[7], 0.0f);
        QCOMPARE(r.SerialNo, QString("12345678"));
        QCOMPARE(r.GainIndex, 5);
    }
};

QTEST_GUILESS_MAIN(TestRecordRules)
#include "test_recordrules.moc"
