// The exchanges' polls, attempts and result codes on virtual time. Each rig
// opens with a measurement reply left on the line, so every exchange must flush.
#include "core/hex.h"
#include "device/protocol.h"
#include "support/scriptedline.h"

#include <QtTest>

using namespace qm;

namespace {
// Field i of a request frame ("$00" letters HH HH ...).
int field(const QByteArray& request, int i) {
    return int(HexVal(QString::fromLatin1(request.mid(5 + 2 * i, 2))));
}
QList<ReplyPiece> echo(int b) {
    return after(3, HexN(b, 2).toLatin1() + "\r");
}
QByteArray image256() {
    QByteArray image;
    for (int i = 0; i < 256; ++i)
        image += char(i * 7 + 3);
    return image;
}
} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
  private slots:
    // Judged only by length; may come in pieces; must be whole within 100 polls.
    void readBlock_data() {
        QTest::addColumn<QList<ReplyPiece>>("pieces");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("polls");
        const QByteArray hex = image256().toHex().toUpper() + "\r";
        QTest::newRow("whole") << after(5, hex) << 1 << 1;
        QTest::newRow("in pieces")
            << QList<ReplyPiece>{{0, hex.left(100)}, {215, hex.mid(100, 300)}, {240, hex.mid(400)}}
            << 1 << 4;
        QTest::newRow("whole at poll 100") << after(200 + 1000, hex) << 1 << 100;
        QTest::newRow("whole at poll 101") << after(200 + 1010, hex) << -1 << 101;
        QTest::newRow("514 characters") << after(5, hex + "X") << -1 << 101;
        QTest::newRow("silent") << QList<ReplyPiece>{} << -1 << 101;
        QByteArray notHex = hex, noEnd = hex;
        notHex[301] = 'G';
        noEnd[512] = '0';
        QTest::newRow("not a hex digit") << after(5, notHex) << -3 << 1;
        QTest::newRow("no terminator") << after(5, noEnd) << -3 << 1;
    }
    void readBlock() {
        QFETCH(QList<ReplyPiece>, pieces);
        QFETCH(int, result);
        LineRig rig;
        ScriptedLine& line = rig.open(1);
        line.respond = [&](const QByteArray&, int) { return pieces; };
        QByteArray image = "untouched";
        const int before = line.polls;
        QCOMPARE(rig.link.readBlock(image, 0, 4, 0), result);
        QCOMPARE(line.requests, QList<QByteArray>{"$00KB80"});
        QFETCH(int, polls);
        QCOMPARE(line.polls - before, 1 + polls); // the flush read, then the polls
        QCOMPARE(rig.clock.tickMs(), 200 + 200 + 10 * polls);
        QCOMPARE(image, result == 1 ? image256() : QByteArray("untouched"));
    }

    // Each byte: up to three attempts of a flush, the request, Delay(10) and
    // up to 21 polls for a 3-character echo.
    void writeBlock_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("silentAt2");      // attempts of byte 2 that get no echo
        QTest::addColumn<QByteArray>("echoAt3"); // what byte 3 gets ("" = its echo)
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        const QByteArray img("\x11\x22\x00\x44", 4), noZero("\x11\x22\x33\x44");
        QTest::newRow("all confirmed") << img << 0 << QByteArray() << 0 << 4;
        QTest::newRow("echo on third attempt") << img << 2 << QByteArray() << 0 << 6;
        QTest::newRow("no echo") << img << 3 << QByteArray() << -2 << 4;
        QTest::newRow("zero echo for zero") << img << 0 << QByteArray("00\r") << 0 << 4;
        QTest::newRow("zero echo for non-zero") << noZero << 0 << QByteArray("00\r") << -10003 << 4;
        QTest::newRow("echo too long") << img << 0 << QByteArray("000\r") << -3 << 5;
        QTest::newRow("garbled echo") << img << 0 << QByteArray("0G\r") << -10003 << 4;
        QTest::newRow("echo without terminator") << img << 0 << QByteArray("00X") << -10003 << 4;
    }
    void writeBlock() {
        QFETCH(QByteArray, image);
        QFETCH(int, silentAt2);
        QFETCH(QByteArray, echoAt3);
        QFETCH(int, result);
        LineRig rig;
        ScriptedLine& line = rig.open(1);
        line.respond = [&](const QByteArray& request, int) -> QList<ReplyPiece> {
            if (field(request, 1) == 1 && silentAt2-- > 0) return {};
            if (field(request, 1) == 2 && !echoAt3.isEmpty()) return after(3, echoAt3);
            return echo(field(request, 2));
        };
        QList<int> progress;
        QCOMPARE(rig.link.writeBlock(image, 0, 4, 0,
                                     [&](int p, int n) { progress.append(p * 100 + n); }),
                 result);
        QTEST(int(line.requests.size()), "requests");
        QVERIFY(line.requests[0].startsWith("$00KW8000"));
        if (result == -2) // three attempts of 10 ms + 21 polls after the first byte
            QCOMPARE(rig.clock.tickMs(), 200 + 20 + 3 * (10 + 21 * 10));
        if (result == 0) QCOMPARE(progress, (QList<int>{104, 204, 304, 404}));
    }

    // One wrong echo is a slip of the line: the byte is sent once more. A
    // second wrong echo gives the write up.
    void wrongEchoRetriedOnce() {
        for (auto [wrongEchoes, result] : {std::pair{1, 0}, {2, -10002}}) {
            LineRig rig;
            ScriptedLine& line = rig.open(1);
            line.respond = [&](const QByteArray& request, int) {
                const bool wrong = field(request, 1) == 1 && wrongEchoes-- > 0;
                return echo(field(request, 2) ^ (wrong ? 1 : 0));
            };
            QCOMPARE(rig.link.writeBlock(QByteArray("\x11\x22\x33"), 0, 4, 0), result);
            QCOMPARE(line.requests.count("$00KW800122"), 2);
        }
    }

    // "ER": (time-out / 10) + 1 polls per attempt, four attempts. "EW" is sent
    // once; an echo arriving in a later pass still counts.
    void memory_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("answerOn"); // request index answered; 0 never
        QTest::addColumn<QList<ReplyPiece>>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        QTest::addColumn<qint64>("elapsed");
        auto row = [](const char* name, const char* request, int timeout, int answerOn,
                      QList<ReplyPiece> reply, int result, int requests, qint64 elapsed) {
            QTest::newRow(name) << QByteArray(request) << timeout << answerOn << reply << result
                                << requests << elapsed;
        };
        row("ER first attempt", "$00ER20", 100, 1, after(2, "7f\r"), 127, 1, 20);
        row("ER third attempt", "$00ER20", 100, 3, after(2, "06\r"), 6, 3, 2 * 120 + 20);
        row("ER never", "$00ER20", 100, 0, {}, -1, 4, 4 * 120);
        row("ER short time-out", "$00ER20", 25, 0, {}, -1, 4, 4 * 40);
        row("ER wrong length", "$00ER20", 100, 1, after(2, "7F"), -1, 4, 4 * 120);
        row("ER not hex", "$00ER20", 100, 1, after(2, "7G\r"), -1, 4, 20 + 3 * 120);
        row("ER no terminator", "$00ER20", 100, 1, after(2, "7F0"), -1, 4, 20 + 3 * 120);
        row("EW at once", "$00EW20A5", 100, 1, after(2, "A5\r"), 0xA5, 1, 10);
        row("EW late", "$00EW20A5", 100, 1, after(300, "A5\r"), 0xA5, 1, 300);
        row("EW across passes", "$00EW20A5", 100, 1, {{105, "A5"}, {130, "\r"}}, 0xA5, 1, 130);
        row("EW wrong", "$00EW20A5", 100, 1, after(2, "A4\r"), -1, 1, 10 + 4 * 10);
        row("EW no terminator", "$00EW20A5", 100, 1, after(2, "A5X"), -1, 1, 10 + 4 * 10);
        row("EW too late", "$00EW20A5", 100, 1, after(500, "A5\r"), -1, 1, 4 * 120);
    }
    void memory() {
        QFETCH(QByteArray, request);
        QFETCH(int, timeout);
        QFETCH(int, answerOn);
        QFETCH(QList<ReplyPiece>, reply);
        LineRig rig;
        ScriptedLine& line = rig.open(1);
        line.respond = [&](const QByteArray&, int i) {
            return i == answerOn ? reply : QList<ReplyPiece>{};
        };
        QTEST(request.startsWith("$00ER") ? rig.link.eeRead(0, 0x20, timeout)
                                          : rig.link.eeWrite(0, 0x20, 0xA5, timeout),
              "result");
        QTEST(int(line.requests.size()), "requests");
        QCOMPARE(line.requests.first(), request);
        QTEST(rig.clock.tickMs(), "elapsed");
    }

    // A closed port costs no time; a single of failed reads is all ones.
    void closedPortAndSilentSingle() {
        LineRig rig;
        QByteArray image;
        QCOMPARE(rig.link.readBlock(image, 0, 0, 0), -2);
        QCOMPARE(rig.link.writeBlock("x", 0, 0, 0), -20000);
        QCOMPARE(rig.clock.tickMs(), 0);
        ScriptedLine& line = rig.open(1);
        QCOMPARE(SingleBytes(float(rig.link.eeReadSingle(0, 0x90, 100))),
                 QByteArray(4, char(0xFF)));
        QCOMPARE(line.requests.size(), 16);
    }

    // A single goes low byte first; every byte is tried even after one failed.
    void singleWriteTriesEveryByte() {
        LineRig rig;
        ScriptedLine& line = rig.open(1);
        line.respond = [&](const QByteArray& request, int) {
            return echo(field(request, 0) == 0x92 ? 0x55 : field(request, 1)); // byte 3 fails
        };
        QCOMPARE(rig.link.eeWriteSingle(0, 0x90, 8388608.0, 100), 0);
        QCOMPARE(line.requests,
                 (QList<QByteArray>{"$00EW9000", "$00EW9100", "$00EW9200", "$00EW934B"}));
    }

    void measurementReply() {
        const QByteArray mk = "00000A3F80000042C80000" + QByteArray(10, '0') + '\r';
        const auto m = ParseMeasurement(mk);
        QVERIFY(m);
        QCOMPARE(m->div, 10.0);
        QCOMPARE(m->signal, 1.0);
        QCOMPARE(m->display, 100.0);
        QVERIFY(!ParseMeasurement(mk.left(32)));
        QVERIFY(!ParseMeasurement(mk + 'x'));
        for (int at : {0, 5, 13, 21}) // every character of the three numbers is a hex digit
            QVERIFY(!ParseMeasurement(QByteArray(mk).replace(at, 1, "G")));
        QVERIFY(!ParseMeasurement(QByteArray(mk).replace(32, 1, "0"))); // no terminator
        QCOMPARE(TagPresentFromReply("03\r"), 1); // bit 0 of a 3-character reply
        QCOMPARE(TagPresentFromReply("01"), 0);
        QCOMPARE(TagPresentFromReply("0G\r"), 0);
        QCOMPARE(ParseByteReply("7f\r"), std::optional<int>(127));
        QCOMPARE(ParseByteReply("7f\n"), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
