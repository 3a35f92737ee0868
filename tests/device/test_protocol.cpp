#include "core/hex.h"
#include "device/protocol.h"
#include "fakeline.h"

#include <QtTest>
#include <cmath>
#include <cstring>

using namespace qm;

namespace {

QByteArray blockReply(int fill = 0x5A) {
    QByteArray hex;
    for (int i = 0; i < 256; ++i)
        hex += HexN((i + fill) & 0xFF, 2).toLatin1();
    return hex + "\r";
}

// One port, opened, on a virtual clock.
struct Rig {
    VirtualClock clock;
    FakeFactory factory{clock};
    FakeLine& line = factory.line(1);
    SerialLayer layer{factory, clock};
    Rig() { layer.OpenPort(1, QStringLiteral("115200"), true); }
    int requestsStartingWith(const char* prefix) const {
        int n = 0;
        for (const QByteArray& r : line.requests)
            n += r.startsWith(prefix) ? 1 : 0;
        return n;
    }
};

QByteArray echo(int b) {
    return HexN(b, 2).toLatin1() + "\r";
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
  private slots:
    void framing_data() {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("expected");
        QTest::newRow("KB") << DeviceCommand(0, "KB", {0x80}) << QStringLiteral("$00KB80\r");
        QTest::newRow("KW") << DeviceCommand(0, "KW", {0x80, 10, 5})
                            << QStringLiteral("$00KW800A05\r");
        QTest::newRow("ER wraps") << DeviceCommand(0, "ER", {300}) << QStringLiteral("$00ER2C\r");
        QTest::newRow("EW") << DeviceCommand(0, "EW", {0x90, 255}) << QStringLiteral("$00EW90FF\r");
    }
    void framing() {
        QFETCH(QString, frame);
        QFETCH(QString, expected);
        QCOMPARE(frame, expected);
    }

    // The reply is judged only by length; it may come in pieces; it must be
    // complete within 100 polls.
    void readBlock_data() {
        QTest::addColumn<QList<Piece>>("pieces");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("polls");
        const QByteArray full = blockReply();
        QTest::newRow("whole") << at(5, full) << 1 << 1;
        QTest::newRow("in pieces")
            << QList<Piece>{{0, full.left(100)}, {215, full.mid(100, 300)}, {240, full.mid(400)}}
            << 1 << 4;
        QTest::newRow("complete at poll 100") << at(200 + 1000, full) << 1 << 100;
        QTest::newRow("complete at poll 101") << at(200 + 1010, full) << -1 << 101;
        QTest::newRow("514 characters") << at(5, full + "X") << -1 << 101;
        QTest::newRow("grows past 513")
            << QList<Piece>{{5, full.left(500)}, {230, full.mid(500) + "XY"}} << -1 << 101;
        QTest::newRow("silent") << QList<Piece>{} << -1 << 101;
    }
    void readBlock() {
        QFETCH(QList<Piece>, pieces);
        QFETCH(int, result);
        QFETCH(int, polls);
        Rig rig;
        rig.line.stale = "stale bytes from an earlier session";
        rig.layer.ClosePort(1);
        rig.layer.OpenPort(1, QStringLiteral("115200"), true);
        rig.line.respond = [&](const QByteArray&, int) { return pieces; };
        QByteArray image = "untouched";
        const int before = rig.line.pendingReads;
        QCOMPARE(ReadConfigBlock(rig.layer, rig.clock, 1, image, 0, 4, 0), result);
        QCOMPARE(rig.line.requests, QList<QByteArray>{"$00KB80"});
        QCOMPARE(rig.line.pendingReads - before, 1 + polls); // the flush read, then the polls
        QCOMPARE(rig.clock.tickMs(), 200 + 200 + 10 * polls);
        if (result == 1) {
            QCOMPARE(image.size(), 256);
            QCOMPARE(uint8_t(image[0]), uint8_t(0x5A));
            QCOMPARE(uint8_t(image[255]), uint8_t(0x59));
        } else {
            QCOMPARE(image, QByteArray("untouched"));
        }
    }

    void closedPortResults() {
        VirtualClock clock;
        FakeFactory factory(clock);
        SerialLayer layer(factory, clock);
        QByteArray image;
        QCOMPARE(ReadConfigBlock(layer, clock, 1, image, 0, 0, 0), -2);
        QCOMPARE(WriteConfigBlock(layer, clock, 1, QByteArray(4, 'x'), 0, 0, 0), -20000);
        QCOMPARE(clock.tickMs(), 0);
    }

    // Each byte: up to three attempts of a flush, the request, Delay(10) and
    // up to 21 polls for a 3-character echo.
    void writeBlock_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("failAttemptsAt2"); // attempts of byte 2 that get no echo
        QTest::addColumn<QByteArray>("echoAt3");  // the echo byte 3 gets ("" = right)
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        const QByteArray img("\x11\x22\x00\x44", 4);
        QTest::newRow("all confirmed") << img << 0 << QByteArray() << 0 << 4;
        QTest::newRow("echo on third attempt") << img << 2 << QByteArray() << 0 << 6;
        QTest::newRow("no echo") << img << 3 << QByteArray() << -2 << 4;
        QTest::newRow("zero echo for zero") << img << 0 << QByteArray("00\r") << 0 << 4;
        QTest::newRow("zero echo for non-zero")
            << QByteArray("\x11\x22\x33\x44") << 0 << QByteArray("00\r") << -10003 << 3;
        QTest::newRow("garbled echo")
            << QByteArray("\x11\x22\x33\x44") << 0 << QByteArray("G3\r") << -10003 << 3;
        QTest::newRow("echo too long") << img << 0 << QByteArray("000\r") << -3 << 5;
    }
    void writeBlock() {
        QFETCH(QByteArray, image);
        QFETCH(int, failAttemptsAt2);
        QFETCH(QByteArray, echoAt3);
        QFETCH(int, result);
        QFETCH(int, requests);
        Rig rig;
        int attemptsAt2 = 0;
        rig.line.respond = [&](const QByteArray& line, int) -> QList<Piece> {
            const int offset = int(HexVal(QString::fromLatin1(line.mid(7, 2))));
            const int value = int(HexVal(QString::fromLatin1(line.mid(9, 2))));
            if (offset == 1 && ++attemptsAt2 <= failAttemptsAt2) return {};
            if (offset == 2 && !echoAt3.isEmpty()) return at(3, echoAt3);
            return at(3, echo(value));
        };
        QList<int> progress;
        const int r = WriteConfigBlock(rig.layer, rig.clock, 1, image, 0, 0, 0,
                                       [&](int p, int n) { progress.append(p * 100 + n); });
        QCOMPARE(r, result);
        QCOMPARE(rig.line.requests.size(), requests);
        QVERIFY(rig.line.requests[0].startsWith("$00KW0000"));
        if (result == -2) // three attempts of 10 ms + 21 polls after the first byte
            QCOMPARE(rig.clock.tickMs(), 200 + 20 + 3 * (10 + 21 * 10));
        if (result == 0) QCOMPARE(progress, (QList<int>{104, 204, 304, 404}));
    }

    // A measurement reply left over from the live display is thrown away by the flush.
    void leftoverReplyIsFlushed() {
        Rig rig;
        rig.line.stale = QByteArray(32, '0') + "\r";
        rig.layer.ClosePort(1);
        rig.layer.OpenPort(1, QStringLiteral("115200"), true);
        rig.line.respond = [&](const QByteArray& line, int) {
            return at(3, echo(int(HexVal(QString::fromLatin1(line.mid(9, 2))))));
        };
        QCOMPARE(WriteConfigBlock(rig.layer, rig.clock, 1, QByteArray("\x07\x08", 2), 0, 4, 0), 0);
        QCOMPARE(rig.line.requests.size(), 2);
        QVERIFY(rig.line.requests[0].startsWith("$00KW8000"));
    }

    // (time-out / 10) + 1 polls per attempt, four attempts.
    void eeRead_data() {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("answerOn"); // request index answered; 0 never
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("reads");
        QTest::newRow("first attempt") << 100 << 1 << QByteArray("7f\r") << 127 << 1 << 2;
        QTest::newRow("third attempt") << 100 << 3 << QByteArray("06\r") << 6 << 3 << 1 + 22 + 1;
        QTest::newRow("never") << 100 << 0 << QByteArray() << -1 << 4 << 1 + 44;
        QTest::newRow("short time-out") << 25 << 0 << QByteArray() << -1 << 4 << 1 + 12;
        QTest::newRow("wrong length") << 100 << 1 << QByteArray("7F") << -1 << 4 << 1 + 44;
    }
    void eeRead() {
        QFETCH(int, timeout);
        QFETCH(int, answerOn);
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        QFETCH(int, requests);
        QFETCH(int, reads);
        Rig rig;
        rig.line.respond = [&](const QByteArray&, int index) {
            return index == answerOn ? at(2, reply) : QList<Piece>{};
        };
        const int before = rig.line.pendingReads;
        QCOMPARE(EERead(rig.layer, rig.clock, 1, 0, 0x20, timeout), result);
        QCOMPARE(rig.line.requests.size(), requests);
        QCOMPARE(rig.line.requests.first(), QByteArray("$00ER20"));
        QCOMPARE(rig.line.pendingReads - before, reads);
    }

    // "EW" is sent once; an echo arriving in a later pass still counts.
    void eeWrite_data() {
        QTest::addColumn<qint64>("delay");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<qint64>("elapsed");
        QTest::newRow("at once") << qint64(2) << QByteArray("A5\r") << 0xA5 << qint64(10);
        QTest::newRow("late") << qint64(300) << QByteArray("A5\r") << 0xA5 << qint64(300);
        QTest::newRow("wrong") << qint64(2) << QByteArray("A4\r") << -1 << qint64(10 + 4 * 10);
        QTest::newRow("too late") << qint64(500) << QByteArray("A5\r") << -1 << qint64(4 * 120);
    }
    void eeWrite() {
        QFETCH(qint64, delay);
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        QFETCH(qint64, elapsed);
        Rig rig;
        rig.line.respond = [&](const QByteArray&, int) { return at(delay, reply); };
        QCOMPARE(EEWrite(rig.layer, rig.clock, 1, 0, 0x94, 0xA5, 100), result);
        QCOMPARE(rig.line.requests, QList<QByteArray>{"$00EW94A5"});
        QCOMPARE(rig.clock.tickMs(), elapsed);
    }

    void eeReadSingleOfFailedReadsIsAllOnes() {
        Rig rig;
        const double v = EEReadSingle(rig.layer, rig.clock, 1, 0, 0x90, 100);
        QVERIFY(std::isnan(v));
        const float f = float(v);
        quint32 bits = 0;
        std::memcpy(&bits, &f, 4);
        QCOMPARE(bits, 0xFFFFFFFFu);
        QCOMPARE(rig.line.requests.size(), 16);
    }

    void singlesRoundTripThroughDeviceMemory() {
        Rig rig;
        QByteArray memory(256, '\0');
        rig.line.respond = [&](const QByteArray& line, int) -> QList<Piece> {
            const int a = int(HexVal(QString::fromLatin1(line.mid(5, 2))));
            if (line.startsWith("$00EW")) {
                const int b = int(HexVal(QString::fromLatin1(line.mid(7, 2))));
                memory[a] = char(b);
                return at(1, echo(a == 0x92 ? b ^ 1 : b)); // byte 3 answers wrong
            }
            return at(1, echo(uint8_t(memory[a])));
        };
        QCOMPARE(EEWriteSingle(rig.layer, rig.clock, 1, 0, 0x90, 8388608.0, 100), 0);
        QCOMPARE(rig.requestsStartingWith("$00EW"), 4); // all four tried after the failure
        QCOMPARE(rig.line.requests.first(), QByteArray("$00EW9000"));
        QCOMPARE(EEReadSingle(rig.layer, rig.clock, 1, 0, 0x90, 100), 8388608.0);
        QCOMPARE(EEWriteSingle(rig.layer, rig.clock, 1, 0, 0x94, 4.647601E-07, 100), 1);
        QCOMPARE(float(EEReadSingle(rig.layer, rig.clock, 1, 0, 0x94, 100)), 4.647601E-07F);
    }

    void tagQueryReply_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("present");
        QTest::newRow("tag") << QStringLiteral("01\r") << 1;
        QTest::newRow("odd bits") << QStringLiteral("03\r") << 1;
        QTest::newRow("bit 0 clear") << QStringLiteral("02\r") << 0;
        QTest::newRow("too short") << QStringLiteral("01") << 0;
        QTest::newRow("too long") << QStringLiteral("001\r") << 0;
        QTest::newRow("garbled") << QStringLiteral("0Z\r") << 0;
    }
    void tagQueryReply() {
        QFETCH(QString, reply);
        QFETCH(int, present);
        QCOMPARE(TagPresentFromReply(reply), present);
    }

    void measurement_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("div");
        QTest::addColumn<double>("signal");
        QTest::addColumn<double>("display");
        const QString good = QStringLiteral("00000A3F80000042C80000") + QString(10, u'0') + u'\r';
        QTest::newRow("33") << good << true << 10.0 << 1.0 << 100.0;
        QTest::newRow("32") << good.left(32) << false << 0.0 << 0.0 << 0.0;
        QTest::newRow("34") << good + u'x' << false << 0.0 << 0.0 << 0.0;
    }
    void measurement() {
        QFETCH(QString, reply);
        QFETCH(bool, valid);
        const auto m = ParseMeasurement(reply);
        QCOMPARE(m.has_value(), valid);
        if (valid) {
            QTEST(m->div, "div");
            QTEST(m->signal, "signal");
            QTEST(m->display, "display");
        }
    }

    void oneShotRequests() {
        Rig rig;
        rig.line.respond = [&](const QByteArray& line, int) -> QList<Piece> {
            if (line == "$00@") return at(50, "QM-07R\r");
            if (line == "$00KQ") return at(50, "01\r");
            return {};
        };
        QCOMPARE(Identify(rig.layer, rig.clock, 1), QStringLiteral("QM-07R\r"));
        QCOMPARE(rig.clock.tickMs(), 100);
        QCOMPARE(QueryTag(rig.layer, rig.clock, 1), QStringLiteral("01\r"));
        QCOMPARE(rig.clock.tickMs(), 250);
        ResetDevice(rig.layer, rig.clock, 1);
        QCOMPARE(rig.clock.tickMs(), 1450);
        QCOMPARE(rig.line.requests, (QList<QByteArray>{"$00@", "$00KQ", "$00X"}));
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
