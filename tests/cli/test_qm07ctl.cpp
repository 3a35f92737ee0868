// qm07ctl without a device: records as JSON, what it prints and the exit codes
// scripts rely on.
#include "cli/recordjson.h"
#include "sensor/recordrules.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <bit>
#include <cmath>

using namespace qm;
using qm::testing::LayoutBlock;
using qm::testing::LayoutImage;
using Run = qm::testing::CtlRun;

class TestQm07ctl : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    static QByteArray noValidFlag() {
        QByteArray img = LayoutBlock();
        img[99] = 0x50;
        return img;
    }

    Run qm07ctl(const QStringList& args, const QByteArray& input = {}) {
        return testing::RunCtl(args, m_dir.path(), QString(), input);
    }

  private slots:
    // Printed floats read back through a JSON double to the same float; JSON
    // has no NaN or infinities.
    void floatsReadBackExactly() {
        QCOMPARE(FloatJson(std::nanf("")) + FloatJson(-HUGE_VALF),
                 QByteArray(R"("NaN""-Infinity")"));
        QRandomGenerator rng(7);
        for (int i = 0; i < 200000; ++i) {
            const auto f = std::bit_cast<float>(rng.generate());
            const QJsonDocument d = QJsonDocument::fromJson("[" + FloatJson(f) + "]");
            QVERIFY2(!std::isfinite(f) || float(d.array().at(0).toDouble()) == f, d.toJson());
        }
    }

    // Quotes, tab and backslash in a text; floats that print long.
    void recordRoundTrip() {
        SensorSession s;
        LoadDefaultRecord(s, 1, QDate(2026, 12, 4));
        SensorRecord r = s.TagRecord;
        r.SerialNo = "AC04WSK7";
        r.Description = PadField("Snímač \"A\"\t\\", 32);
        r.PointCount = 4;
        for (int i = 0; i < 4; ++i) {
            r.Signal[i] = 0.1f * i;
            r.Value[i] = 1e-7f * i;
        }
        SensorRecord back;
        QString error;
        QVERIFY2(RecordFromJson(QJsonDocument::fromJson(RecordToJson(r)).object(), back, &error),
                 qPrintable(error));
        QCOMPARE(back, r);
    }

    // A refused image still shows what was read before the refusal.
    void refusedImageShowsWhatWasRead() {
        const Run r = qm07ctl({"decode", "-"}, noValidFlag());
        QCOMPARE(r.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o["result"].toInt(), -43);
        QCOMPARE(o["record"]["Popis"].toString(), "Load cell 500 kg");
        QCOMPARE(o["record"]["PointCount"].toInt(), 0);
    }

    void decodeThenEncodeGivesTheImageBack() {
        const Run dec = qm07ctl({"decode", "-"}, LayoutBlock());
        QCOMPARE(dec.exitCode, 0);
        const QString out = m_dir.filePath("back.img");
        const Run enc = qm07ctl({"encode", "-", "--date", "261204", "-o", out}, dec.out);
        QCOMPARE(enc.exitCode, 0);
        QCOMPARE(testing::FileBytes(out).toHex(), LayoutImage().toHex());
    }

    void encodeFillsMissingKeysFromTheDefault() {
        const Run r = qm07ctl({"encode", "-", "--date", "270101"}, R"({"Popis": "Síla"})");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.size(), 104 + 2 * 8);
        QCOMPARE(r.out.mid(8, 5), QByteArray("S\xEDla "));
        QCOMPARE(r.out.mid(49, 12), QByteArray("270101270101"));
    }

    // A failed write of the output is an error, not a success.
    void fullOutput() {
        QProcess p;
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(QM07CTL_PATH), {"decode", "-"});
        p.write(LayoutBlock());
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("standard output"));
    }

    // write and restore judge their input before they open the port.
    void exitCodes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // in the one line on stderr; empty: no message
        const QByteArray good = LayoutBlock();
        const QStringList encode{"encode", "-"};
        const QStringList port{"--port", "/no/such/port"};
        const QStringList write = port + QStringList{"write", "--block", "0x80", "-"};
        const QStringList restore = port + QStringList{"restore", "-"};
        auto row = [](const QByteArray& name, const QStringList& args, const QByteArray& input,
                      int exitCode, const char* message) {
            QTest::newRow(name.constData()) << args << input << exitCode << QString(message);
        };
        row("port before the command", {"--port", "COM3", "decode", "-"}, good, 0, "");
        row("port after the command", {"decode", "-", "--port", "COM3"}, good, 0, "");
        row("short image", {"decode", "-"}, good.left(100), 3, "");
        row("missing image", {"decode", "/no/such.img"}, {}, 2, "/no/such.img");
        row("unknown command", {"frob"}, {}, 2, "frob");
        row("bad json", encode, "{\"Popis\": ", 2, "bad JSON");
        row("bad date", encode + QStringList{"--date", "261332"}, "{}", 2, "261332");
        row("unwritable output", encode + QStringList{"-o", "/no/dir/out.img"}, "{}", 2,
            "/no/dir/out.img");
        for (const char* block : {"0x40", "-0", "0x-0", "+80"})
            row(QByteArray("write to block ") + block,
                port + QStringList{"write", "--block", block, "-"}, good, 2, "--block");
        row("write a cut image", write, LayoutImage().left(120), 2, "neither a 256-byte block");
        row("write a padded image", write, LayoutImage() + "x", 2, "an image of 128 bytes");
        row("write an image that does not decode", write, noValidFlag(), 3,
            "does not decode (-43)");
        // Nothing goes out that JSON cannot say, the block cannot hold or would refuse: one
        // line naming the field, before any port is opened.
        const std::pair<const char*, QByteArray> refused[] = {
            {"PointCount", R"({"PointCount": 41})"},
            {"PointCount", R"({"Signal": [1], "Value": [1]})"},
            {"Value", R"({"Signal": [0, 1, 2], "Value": [0, 1]})"},
            {"GainIndex", R"({"GainIndex": 2.5})"},
            {"GainIndex", R"({"GainIndex": 8})"},
            {"Slide", R"({"Slide": 256})"},
            {"FullScale", R"({"FullScale": 1e39})"},
            {"SerialNo", R"({"SerialNo": "123456789"})"},
            {"popis", R"({"popis": "x"})"},
            {"Signal", R"({"Signal": 1})"},
            {"Flags 0 lacks bit 7", R"({"Flags": 0})"},
            {"U+1F600", R"({"Popis": "ok 😀"})"},
            {"Popis holds the character (U+0009)", R"({"Popis": "a\tb"})"},
            {"Value[1] 1e-39 would read back as 0", R"({"Value": [0, 1e-39]})"},
        };
        for (const auto& [message, json] : refused) {
            row("encode " + json, encode, json, 2, message);
            row("write " + json, write, json, 2, message);
        }
        row("decode what encode writes", {"decode", "-"}, LayoutImage(), 0, "");
        row("decode a file over a block", {"decode", "-"}, good + "x", 2, "more than 256 bytes");
        row("empty port", {"--port", "", "read"}, {}, 2, "--port");
        row("restore without block", restore, good, 2, "give --block");
        row("restore a short file", restore + QStringList{"--block", "0x00"}, good.left(255), 2,
            "a backup holds 256 bytes, this file 255");
        row("restore against its name",
            port + QStringList{"restore", "--block", "0x80", "/x/S-00-20260101-000000.bin"}, {}, 2,
            "is a backup of block 0x00, not 0x80");
    }
    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        const Run r = qm07ctl(args, input);
        QTEST(r.exitCode, "exitCode");
        if (!message.isEmpty()) {
            QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
            QCOMPARE(r.err.count('\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestQm07ctl)
#include "test_qm07ctl.moc"
