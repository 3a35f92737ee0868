#include "cli/recordjson.h"
#include "sensor/recordrules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>
#include <cmath>

using namespace qm;

namespace {

SensorRecord Sample() {
    SensorSession s;
    LoadDefaultRecord(s, 1, QDate(2026, 12, 4));
    SensorRecord r = s.TagRecord;
    r.SerialNo = "AC04WSK7";
    r.Description = PadField("Snímač \"A\"\t\\", 32);
    return r;
}

QJsonObject Parse(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class TestRecordJson : public QObject {
    Q_OBJECT
  private slots:
    // Printed floats read back through a JSON double to the same float; JSON
    // has no NaN or infinities.
    void floatsReadBackExactly() {
        QCOMPARE(FloatJson(std::nanf("")), QByteArray("\"NaN\""));
        QCOMPARE(FloatJson(-HUGE_VALF), QByteArray("\"-Infinity\""));
        QRandomGenerator rng(7);
        for (int i = 0; i < 200000; ++i) {
            const auto bits = rng.generate();
            float f;
            std::memcpy(&f, &bits, 4);
            if (!std::isfinite(f)) continue;
            const QJsonDocument d = QJsonDocument::fromJson("[" + FloatJson(f) + "]");
            QVERIFY2(float(d.array().at(0).toDouble()) == f, FloatJson(f).constData());
        }
    }

    // Quotes, tab and backslash in a text; floats that print long.
    void roundTrip() {
        SensorRecord r = Sample();
        r.PointCount = 4;
        for (int i = 0; i < 4; ++i) {
            r.Signal[i] = 0.1f * i;
            r.Value[i] = 1e-7f * i;
        }
        SensorRecord back;
        QString error;
        QVERIFY2(RecordFromJson(Parse(RecordToJson(r)), back, &error), qPrintable(error));
        QCOMPARE(back, r);
    }

    // One line naming the key, and the record untouched.
    void refusals_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("key");
        QTest::newRow("point count 41") << QByteArray(R"({"PointCount": 41})") << "PointCount";
        QTest::newRow("curve of one point")
            << QByteArray(R"({"Signal": [1], "Value": [1]})") << "PointCount";
        QTest::newRow("curves differ in length")
            << QByteArray(R"({"Signal": [0, 1, 2], "Value": [0, 1]})") << "Value";
        QTest::newRow("gain 2.5") << QByteArray(R"({"GainIndex": 2.5})") << "GainIndex";
        QTest::newRow("slide 256") << QByteArray(R"({"Slide": 256})") << "Slide";
        QTest::newRow("float too big") << QByteArray(R"({"FullScale": 1e39})") << "FullScale";
        QTest::newRow("text too long") << QByteArray(R"({"SerialNo": "123456789"})") << "SerialNo";
        QTest::newRow("unknown key") << QByteArray(R"({"popis": "x"})") << "popis";
        QTest::newRow("curve not a list") << QByteArray(R"({"Signal": 1})") << "Signal";
    }
    void refusals() {
        QFETCH(QByteArray, json);
        QFETCH(QString, key);
        SensorRecord r = Sample();
        QString error;
        QVERIFY(!RecordFromJson(Parse(json), r, &error));
        QVERIFY2(error.contains(key) && !error.contains('\n'), qPrintable(error));
        QCOMPARE(r, Sample());
    }
};

QTEST_GUILESS_MAIN(TestRecordJson)
#include "test_recordjson.moc"
