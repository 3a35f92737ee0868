// qm07ctl without a device: what it prints and the exit codes scripts rely on.
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using qm::testing::LayoutBlock;
using qm::testing::LayoutImage;

namespace {

using Run = qm::testing::CtlRun;

Run Qm07ctl(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(QM07CTL_PATH), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError(), 0};
}

QByteArray NoValidFlag() {
    QByteArray img = LayoutBlock();
    img[99] = 0x50;
    return img;
}

} // namespace

class TestQm07ctl : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    // A refused image still shows what was read before the refusal.
    void refusedImageShowsWhatWasRead() {
        const Run r =
            Qm07ctl({"decode", qm::testing::WriteFileBytes(m_dir.filePath("in"), NoValidFlag())});
        QCOMPARE(r.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("result").toInt(), -43);
        const QJsonObject rec = o.value("record").toObject();
        QCOMPARE(rec.value("Popis").toString(), QString("Load cell 500 kg"));
        QCOMPARE(rec.value("PointCount").toInt(), 0);
    }

    void decodeThenEncodeGivesTheImageBack() {
        const Run dec = Qm07ctl({"decode", "-"}, LayoutBlock());
        QCOMPARE(dec.exitCode, 0);
        const QString out = m_dir.filePath("back.img");
        const Run enc = Qm07ctl({"encode", "-", "--date", "261204", "-o", out}, dec.out);
        QCOMPARE(enc.exitCode, 0);
        QCOMPARE(qm::testing::FileBytes(out).toHex(), LayoutImage().toHex());
    }

    void encodeFillsMissingKeysFromTheDefault() {
        const Run r = Qm07ctl({"encode", "-", "--date", "270101"}, R"({"Popis": "Síla"})");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.size(), 104 + 2 * 8);
        QCOMPARE(r.out.mid(8, 5), QByteArray("S\xEDla "));
        QCOMPARE(r.out.mid(49, 12), QByteArray("270101270101"));
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
        row("gain 8", encode, R"({"GainIndex": 8})", 2, "GainIndex");
        row("bad date", encode + QStringList{"--date", "261332"}, "{}", 2, "261332");
        row("unwritable output", encode + QStringList{"-o", "/no/dir/out.img"}, "{}", 2,
            "/no/dir/out.img");
        for (const char* block : {"0x40", "-0", "0x-0", "+80"})
            row(QByteArray("write to block ") + block,
                port + QStringList{"write", "--block", block, "-"}, good, 2, "--block");
        row("write a cut image", write, LayoutImage().left(120), 2, "neither a 256-byte block");
        row("write a padded image", write, LayoutImage() + "x", 2, "an image of 128 bytes");
        row("write an image that does not decode", write, NoValidFlag(), 3,
            "does not decode (-43)");
        // Nothing goes out that the block cannot hold or would refuse: one
        // line naming the field, before any port is opened.
        const QByteArray twenty = R"({"Signal": [)" + QByteArray("1,").repeated(19) +
                                  R"(1], "Value": [)" + QByteArray("2,").repeated(19) + "2]}";
        const std::pair<const char*, QByteArray> refused[] = {
            {"PointCount 20: the points take 264 bytes", twenty},
            {"Flags 0 lacks bit 7", R"({"Flags": 0})"},
            {"Popis holds the character С (U+0421)", R"({"Popis": "Сила"})"},
            {"Jednotka holds the character ε (U+03B5)", R"({"Jednotka": "µε"})"},
            {"U+1F600", R"({"Popis": "ok 😀"})"},
            {"Popis holds the character (U+0009)", R"({"Popis": "a\tb"})"},
            {"Slide 0 would read back as 10", R"({"Slide": 0})"},
            {"Value[1] 1e-39 would read back as 0", R"({"Value": [0, 1e-39]})"},
        };
        for (const auto& [message, json] : refused) {
            row(QByteArray("encode: ") + message, encode, json, 2, message);
            row(QByteArray("write: ") + message, write, json, 2, message);
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

    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        const Run r = Qm07ctl(args, input);
        QTEST(r.exitCode, "exitCode");
        if (!message.isEmpty()) {
            QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
            QCOMPARE(r.err.count('\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestQm07ctl)
#include "test_qm07ctl.moc"
