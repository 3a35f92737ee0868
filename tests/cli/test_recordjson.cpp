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
    r.Popis = PadField("Snímač \"A\"\t\\", 32);
    return r;
}

QJsonObject Parse(const QByteArray& json) {
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(json, &e);
    if (e.error != QJsonParseError::NoError) qWarning() << e.errorString() << json;
    return d.object();
}

} // namespace

class TestRecordJson : public QObject {
    Q_OBJECT
  private slots:
    void floatText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("0.1") << 0.1f << QByteArray("0.1");
        QTest::newRow("k") << 4.647601e-7f << QByteArray("4.647601e-07");
        QTest::newRow("whole") << 500.0f << QByteArray("500");
        QTest::newRow("negative") << -0.75f << QByteArray("-0.75");
        QTest::newRow("NaN") << std::nanf("") << QByteArray("\"NaN\"");
        QTest::newRow("-inf") << -HUGE_VALF << QByteArray("\"-Infinity\"");
    }
    void floatText() {
        QFETCH(float, value);
        QFETCH(QByteArray, text);
        QCOMPARE(FloatJson(value), text);
    }

    // Printed floats read back through a JSON double to the same float.
    void floatsReadBackExactly() {
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

    void keysInFieldOrderAndTextsTrimmed() {
        const QByteArray json = RecordToJson(Sample());
        const QStringList order = {"SerialNo", "SpareSingle", "Signal", "Value",     "PointCount",
                                   "Slide",    "SlideRychl",  "Flags",  "FullScale", "GainIndex",
                                   "Popis",    "Jednotka",    "Format", "DateSaved", "DateCreated",
                                   "MemGroup", "MemSub"};
        qsizetype last = -1;
        for (const QString& key : order) {
            const qsizetype at = json.indexOf('"' + key.toLatin1() + "\":");
            QVERIFY2(at > last, qPrintable(key));
            last = at;
        }
        const QJsonObject o = Parse(json);
        QCOMPARE(o.value("Jednotka").toString(), QString("mVV"));
        QCOMPARE(o.value("Popis").toString(), QString("Snímač \"A\"\t\\"));
        QCOMPARE(o.value("Signal").toArray().size(), 2);
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        QTest::newRow("point count 1") << QByteArray(R"({"PointCount": 1})") << "PointCount";
        QTest::newRow("point count 41") << QByteArray(R"({"PointCount": 41})") << "PointCount";
        QTest::newRow("count without curve") << QByteArray(R"({"PointCount": 3})") << "PointCount";
        QTest::newRow("curve of one point")
            << QByteArray(R"({"Signal": [1], "Value": [1]})") << "PointCount";
        QTest::newRow("curves differ in length")
            << QByteArray(R"({"Signal": [0, 1, 2], "Value": [0, 1]})") << "Value";
        QTest::newRow("gain 8") << QByteArray(R"({"GainIndex": 8})") << "GainIndex";
        QTest::newRow("gain -1") << QByteArray(R"({"GainIndex": -1})") << "GainIndex";
        QTest::newRow("gain 2.5") << QByteArray(R"({"GainIndex": 2.5})") << "GainIndex";
        QTest::newRow("gain as text") << QByteArray(R"({"GainIndex": "2"})") << "GainIndex";
        QTest::newRow("slide 256") << QByteArray(R"({"Slide": 256})") << "Slide";
        QTest::newRow("float too big") << QByteArray(R"({"FullScale": 1e39})") << "FullScale";
        QTest::newRow("NaN text") << QByteArray(R"({"SpareSingle": "NaN"})") << "SpareSingle";
        QTest::newRow("text too long") << QByteArray(R"({"SerialNo": "123456789"})") << "SerialNo";
        QTest::newRow("text as number") << QByteArray(R"({"Popis": 5})") << "Popis";
        QTest::newRow("unknown key") << QByteArray(R"({"popis": "x"})") << "popis";
        QTest::newRow("curve not a list") << QByteArray(R"({"Signal": 1})") << "Signal";
    }
    void refusals() {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        SensorRecord r = Sample();
        const SensorRecord before = r;
        QString error;
        QVERIFY(!RecordFromJson(Parse(json), r, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(!error.contains('\n'));
        QCOMPARE(r, before);
    }

    void missingKeysKeepValues() {
        SensorRecord r = Sample();
        QString error;
        QVERIFY(RecordFromJson(Parse(R"({"Signal": [0, 1, 2], "Value": [0, 5, 10]})"), r, &error));
        QCOMPARE(r.PointCount, 3);
        QCOMPARE(r.Value[2], 10.0f);
        QCOMPARE(r.SerialNo, Sample().SerialNo);
    }
};

QTEST_GUILESS_MAIN(TestRecordJson)
#include "test_recordjson.moc"
