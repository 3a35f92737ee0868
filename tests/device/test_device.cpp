// The device line on virtual time: the connection's result codes, the
// exchanges' polls and attempts, finding the device, and ports by real names.
// Each LineRig::open leaves a measurement reply on the line: every exchange must flush.
#include "core/hex.h"
#include "core/settings.h"
#include "device/agreedreads.h"
#include "device/discovery.h"
#include "device/portaccess.h"
#include "device/portlist.h"
#include "device/portmap.h"
#include "device/protocol.h"
#include "support/scriptedline.h"
#include "support/scriptedmessages.h"

#include <QSerialPort>
#include <QTemporaryDir>
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
Responder identifyAs(const QByteArray& ident) {
    return [ident](const QByteArray& line, int) {
        return line == "$00@" ? after(20, ident) : QList<ReplyPiece>{};
    };
}
} // namespace

class TestDevice : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString dev(const QString& name) const { return m_dir.filePath("dev/" + name); }
    QString byId(const QString& name) const { return m_dir.filePath("by-id/" + name); }
    QString folder() const { return m_dir.filePath("by-id"); }

  private slots:
    // Result codes and error records; only a loud open shows its error. COM1
    // has a device; COM5's opens but its line setup fails. A port that failed
    // after the device opened stays held until closed.
    void results() {
        for (auto [op, port, result, held, error] :
             {std::tuple{"open twice", 1, -1, true, "Error (-1): CommOpen - Port in use."},
              {"open", 2, 1, false, "Error (1): CommOpen (CreateFile) - No such file or directory"},
              {"open", 5, 7, true, "Error (7): CommOpen (SetCommState) - Unsupported line setting"},
              {"open", 0, 9, false, "Error (9): CommOpen - Subscript out of range"},
              {"open", 21, 9, false, "Error (9): CommOpen - Subscript out of range"},
              {"close", 1, 0, false, "Error (0):  - "},
              {"read", 1, -1, false, "Error (13): CommRead (ClearCommError) - Device is not open"},
              {"write", 1, 1, false,
               "Error (13): CommWrite (WriteFile) - Device is not open  COMM Error Flags = 0"}}) {
            const QString o = QString::fromLatin1(op);
            ScriptedMessages sink;
            LineRig rig(&sink);
            rig.ports.line(1);
            rig.ports.line(5).failSetup = true;
            QString text;
            QByteArray bytes;
            if (o == u"open twice") rig.link.open(port, false);
            const int r = o == u"open twice" ? rig.link.open(port, false)
                          : o == u"open"     ? rig.link.open(port)
                          : o == u"close"    ? rig.link.close()
                          : o == u"read"     ? rig.link.read(bytes, 256)
                                             : rig.link.write("x");
            QCOMPARE(r, result);
            rig.link.errorText(text);
            QCOMPARE(text, QString::fromLatin1(error));
            QCOMPARE(rig.link.isOpen(), held);
            QCOMPARE(sink.texts(),
                     o == u"open twice" ? QStringList{"COM Error: " + text} : QStringList{});
            QVERIFY(sink.isEmpty() || sink.last().icon == MsgIcon::None);
            rig.link.close();
            QVERIFY(!rig.link.isOpen());
        }
    }

    // A read takes every waiting byte, whatever maxLen, up to the 1024-byte
    // buffer, and never waits. A line that goes away: what had arrived is
    // still read, then the port is closed.
    void reads() {
        for (auto [waiting, maxLen, expected] :
             {std::tuple{0, 256, 0}, {20, 256, 20}, {20, 3, 20}, {1500, 256, 1024}}) {
            LineRig rig;
            rig.ports.line(1).stale = QByteArray(waiting, 'A');
            QCOMPARE(rig.link.open(1), 0);
            QByteArray text = "old";
            QCOMPARE(rig.link.read(text, maxLen), expected);
            QCOMPARE(int(text.size()), expected);
            QCOMPARE(rig.clock.tickMs(), 0);
        }
        LineRig rig;
        ScriptedLine& line = rig.ports.line(1);
        line.stale = "QM\r";
        rig.link.open(1);
        line.lost = true;
        QVERIFY(rig.link.isOpen());
        QByteArray text;
        QCOMPARE(rig.link.read(text, 256), 3);
        QVERIFY(!rig.link.isOpen());
        QCOMPARE(rig.link.read(text, 256), -1);
        line.lost = false;
        QCOMPARE(rig.link.open(1), 0);
    }

    // Judged only by length; may come in pieces; must be whole within 100 polls.
    void readBlock() {
        const QByteArray hex = image256().toHex().toUpper() + "\r";
        QByteArray notHex = hex, noEnd = hex;
        notHex[301] = 'G';
        noEnd[512] = '0';
        for (auto [pieces, result, polls] :
             {std::tuple{after(5, hex), 1, 1},
              {QList<ReplyPiece>{{0, hex.left(100)}, {215, hex.mid(100, 300)}, {240, hex.mid(400)}},
               1, 4},
              {after(200 + 1000, hex), 1, 100},
              {after(200 + 1010, hex), -1, 101},
              {after(5, hex + "X"), -1, 101},
              {after(5, notHex), -3, 1},
              {after(5, noEnd), -3, 1}}) {
            LineRig rig;
            ScriptedLine& line = rig.open(1);
            line.respond = [pieces = pieces](const QByteArray&, int) { return pieces; };
            QByteArray image = "untouched";
            const int before = line.polls;
            QCOMPARE(rig.link.readBlock(image, 0, 4, 0), result);
            QCOMPARE(line.requests, QList<QByteArray>{"$00KB80"});
            QCOMPARE(line.polls - before, 1 + polls); // the flush read, then the polls
            QCOMPARE(rig.clock.tickMs(), 200 + 200 + 10 * polls);
            QCOMPARE(image, result == 1 ? image256() : QByteArray("untouched"));
        }
    }

    // Each byte: up to three attempts of a flush, the request, Delay(10) and
    // up to 21 polls for a 3-character echo; byte 2 gets no echo on silentAt2
    // attempts, byte 3 gets echoAt3 ("" its echo). A wrong echo is a slip of
    // the line: the byte is sent once more, but not twice.
    void writeBlock() {
        const QByteArray img("\x11\x22\x00\x44", 4), noZero("\x11\x22\x33\x44"), none;
        for (auto [image, silentAt2, echoAt3, result, requests] :
             {std::tuple{img, 0, none, 0, 4},
              {img, 2, none, 0, 6},
              {img, 3, none, -2, 4},
              {noZero, 0, QByteArray("00\r"), -10003, 4},
              {img, 0, QByteArray("000\r"), -3, 5}}) {
            LineRig rig;
            ScriptedLine& line = rig.open(1);
            line.respond = [&silent = silentAt2, echoAt3 = echoAt3](const QByteArray& request,
                                                                    int) -> QList<ReplyPiece> {
                if (field(request, 1) == 1 && silent-- > 0) return {};
                if (field(request, 1) == 2 && !echoAt3.isEmpty()) return after(3, echoAt3);
                return echo(field(request, 2));
            };
            QList<int> progress;
            QCOMPARE(rig.link.writeBlock(image, 0, 4, 0,
                                         [&](int p, int n) { progress.append(p * 100 + n); }),
                     result);
            QCOMPARE(int(line.requests.size()), requests);
            QVERIFY(line.requests[0].startsWith("$00KW8000"));
            if (result == -2) // three attempts of 10 ms + 21 polls after the first byte
                QCOMPARE(rig.clock.tickMs(), 200 + 20 + 3 * (10 + 21 * 10));
            if (result == 0) QCOMPARE(progress, (QList<int>{104, 204, 304, 404}));
        }
        // Some bytes only: a code names the byte's place in the block, the
        // progress and the count go by the bytes sent.
        LineRig rig;
        ScriptedLine& line = rig.open(1);
        line.respond = [](const QByteArray& request, int) {
            return field(request, 1) == 3 ? QList<ReplyPiece>{} : echo(field(request, 2));
        };
        QList<int> progress;
        int sent = 0;
        QCOMPARE(
            rig.link.writeBytes(
                img, {1, 3}, 0, 4, 0, [&](int k, int n) { progress.append(k * 100 + n); }, &sent),
            -4);
        QCOMPARE(line.requests.first(), "$00KW800122");
        QCOMPARE(progress, QList<int>{102});
        QCOMPARE(sent, 2);
    }

    // "ER": (time-out / 10) + 1 polls per attempt, four attempts. "EW" is sent
    // once; an echo arriving in a later pass still counts.
    void memory() {
        const QByteArray er = "$00ER20", ew = "$00EW20A5";
        for (auto [request, timeout, answerOn, reply, result, requests, elapsed] :
             {std::tuple{er, 100, 1, after(2, "7f\r"), 127, 1, 20},
              {er, 100, 3, after(2, "06\r"), 6, 3, 2 * 120 + 20},
              {er, 100, 0, QList<ReplyPiece>{}, -1, 4, 4 * 120},
              {er, 25, 0, QList<ReplyPiece>{}, -1, 4, 4 * 40},
              {er, 100, 1, after(2, "7F"), -1, 4, 4 * 120},
              {er, 100, 1, after(2, "7G\r"), -1, 4, 20 + 3 * 120},
              {ew, 100, 1, after(2, "A5\r"), 0xA5, 1, 10},
              {ew, 100, 1, QList<ReplyPiece>{{105, "A5"}, {130, "\r"}}, 0xA5, 1, 130},
              {ew, 100, 1, after(2, "A4\r"), -1, 1, 10 + 4 * 10},
              {ew, 100, 1, after(500, "A5\r"), -1, 1, 4 * 120}}) {
            LineRig rig;
            ScriptedLine& line = rig.open(1);
            line.respond = [answerOn = answerOn, reply = reply](const QByteArray&, int i) {
                return i == answerOn ? reply : QList<ReplyPiece>{};
            };
            QCOMPARE(request == er ? rig.link.eeRead(0, 0x20, timeout)
                                   : rig.link.eeWrite(0, 0x20, 0xA5, timeout),
                     result);
            QCOMPARE(int(line.requests.size()), requests);
            QCOMPARE(line.requests.first(), request);
            QCOMPARE(rig.clock.tickMs(), elapsed);
        }
    }

    // A closed port costs no time; a single of failed reads is all ones. A
    // single goes low byte first; every byte is tried even after one failed.
    void closedPortAndSingles() {
        LineRig rig;
        QByteArray image;
        QCOMPARE(rig.link.readBlock(image, 0, 0, 0), -2);
        QCOMPARE(rig.link.writeBlock("x", 0, 0, 0), -20000);
        QCOMPARE(rig.clock.tickMs(), 0);
        ScriptedLine& line = rig.open(1);
        QCOMPARE(SingleBytes(float(rig.link.eeReadSingle(0, 0x90, 100))),
                 QByteArray(4, char(0xFF)));
        QCOMPARE(line.requests.size(), 16);
        line.respond = [&](const QByteArray& request, int) {
            return echo(field(request, 0) == 0x92 ? 0x55 : field(request, 1)); // byte 3 fails
        };
        line.requests.clear();
        QCOMPARE(rig.link.eeWriteSingle(0, 0x90, 8388608.0, 100), 0);
        QCOMPARE(line.requests,
                 (QList<QByteArray>{"$00EW9000", "$00EW9100", "$00EW9200", "$00EW934B"}));
    }

    // A reply garbled into other hex digits has the right form: a deciding
    // read takes an answer only when another one repeats it. Answers in turn,
    // the last repeating; four asks at most.
    void agreedReads() {
        const QByteArray block = image256().toHex().toUpper() + "\r";
        using Replies = QList<QByteArray>;
        for (const auto& [replies, byte, tag, blockResult, asked] :
             {std::tuple{Replies{"0A\r", "00\r"}, 0, 0, 1, 3},
              {Replies{"01\r", "0A\r", "x1\r", "01\r"}, 1, 1, 1, 4},
              {Replies{"01\r", "02\r", "03\r", "04\r", "04\r"}, -1, -1, -3, 4},
              {Replies{}, -1, -1, -1, 4}}) {
            for (const int exchange : {0, 1, 2}) {
                LineRig rig;
                int n = 0;
                rig.open(1).respond = [&, replies = replies](const QByteArray& request, int) {
                    if (replies.isEmpty()) return QList<ReplyPiece>{};
                    QByteArray reply = replies.value(std::min<int>(n++, int(replies.size()) - 1));
                    // A block for each byte: whole for the last, else a digit flipped
                    // in a place of its own.
                    if (request.startsWith("$00KB")) {
                        const QByteArray other = reply;
                        reply = block;
                        if (other != replies.last()) reply[n] = reply[n] == '0' ? '1' : '0';
                    }
                    return after(3, reply);
                };
                QByteArray image;
                if (exchange == 0)
                    QCOMPARE(AgreedByte(rig.link, 0x90).value_or(-1), byte);
                else if (exchange == 1)
                    QCOMPARE(AgreedTagQuery(rig.link).value_or(-1), tag);
                else
                    QCOMPARE(AgreedBlock(rig.link, image, 4), blockResult);
                QCOMPARE(n, replies.isEmpty() ? 0 : asked);
                if (exchange == 2) QCOMPARE(image, blockResult == 1 ? image256() : QByteArray());
            }
        }
        // A block that did not come, then good ones that never agree: no block.
        LineRig rig;
        int blocks = 0;
        rig.open(1).respond = [&](const QByteArray&, int) {
            QByteArray reply = block;
            reply[blocks] = reply[blocks] == '0' ? '1' : '0';
            return blocks++ == 0 ? QList<ReplyPiece>{} : after(3, reply);
        };
        QByteArray image;
        QCOMPARE(AgreedBlock(rig.link, image, 4), int(kBlockNoReply));
        QVERIFY(image.isEmpty());
    }

    void measurementReply() {
        const QByteArray mk = "00000A3F80000042C80000" + QByteArray(10, '0') + '\r';
        const auto m = ParseMeasurement(mk);
        QVERIFY(m);
        QCOMPARE((QList<double>{m->div, m->signal, m->display}), (QList<double>{10, 1, 100}));
        QVERIFY(!ParseMeasurement(mk.left(32)));
        QVERIFY(!ParseMeasurement(mk + 'x'));
        for (int at : {0, 5, 13, 21}) // every character of the three numbers is a hex digit
            QVERIFY(!ParseMeasurement(QByteArray(mk).replace(at, 1, "G")));
        QVERIFY(!ParseMeasurement(QByteArray(mk).replace(32, 1, "0"))); // no terminator
        for (const char* notFinite : {"7FC00000", "FF800000"})          // NaN, -infinity
            for (int at : {6, 14})
                QVERIFY(!ParseMeasurement(QByteArray(mk).replace(at, 8, notFinite)));
        QCOMPARE(ParseByteReply("7f\n"), std::nullopt);
    }

    // The device's port and identification, silent ports with an old one
    // waiting, the port open before the scan; the port found, the time taken.
    void scan() {
        const std::tuple<int, QByteArray, QList<int>, bool, int, qint64> cases[] = {
            {4, "QM-07R\r", {}, false, 4, 300},
            {4, "QM-07R\r", {1, 3}, false, 4, 900}, // stale replies are flushed
            {4, "qm-07r\r", {}, false, 0, 300},     // lower case is not found
            {20, "QM-07R\r", {}, false, 0, 0},      // COM20 is not scanned
            {2, "QM-07R\r", {}, true, 2, 300}};
        for (const auto& [devicePort, ident, stalePorts, inUse, found, elapsed] : cases) {
            LineRig rig;
            rig.ports.line(devicePort).respond = identifyAs(ident);
            for (int p : stalePorts)
                rig.ports.line(p).stale = "QM-07R\r";
            if (inUse) rig.link.open(devicePort);
            QCOMPARE(FindDevice(rig.link), found);
            QCOMPARE(rig.clock.tickMs(), elapsed);
            QVERIFY(!rig.link.isOpen());
        }
    }

    // Each connect follows a failed one with the device silent, which left
    // the port open: connecting again reopens it instead of "Port in use.".
    void connect() {
        for (auto [present, ident, result, stored] :
             {std::tuple{true, "QM-07R V1\r", ConnectResult::Ok, "4"},
              {true, "qm-07r\r", ConnectResult::Ok, "4"},
              {true, "XY-1\r", ConnectResult::NoDevice, ""},
              {true, "", ConnectResult::NoDevice, ""},
              {false, "", ConnectResult::OpenFailed, ""}}) {
            LineRig rig;
            if (present) {
                ScriptedLine& line = rig.ports.line(4);
                QCOMPARE(ConnectDevice(rig.link, 4), ConnectResult::NoDevice);
                QVERIFY(rig.link.isOpen());
                line.respond = identifyAs(ident);
            }
            MemorySettingsStore settings;
            bool timerStopped = false;
            ConnectOptions options{.settings = &settings, .stopLiveTimer = [&] {
                                       timerStopped = true;
                                       QVERIFY(!rig.link.isOpen());
                                   }};
            const qint64 start = rig.clock.tickMs();
            QCOMPARE(ConnectDevice(rig.link, 4, options), result);
            QVERIFY(timerStopped);
            QCOMPARE(rig.link.port(), 4);
            QCOMPARE(settings.value("Default", "ComPort"), QString::fromLatin1(stored));
            QCOMPARE(rig.link.isOpen(), present);
            if (present) QCOMPARE(rig.clock.tickMs() - start, 300);
        }
    }

    // A port name to its path: the environment wins over the settings store,
    // which wins over the default; a blank environment does not count.
    void paths() {
        for (auto [name, stored, env, path] : {std::tuple{"COM4", "", "", "/dev/ttyS3"},
                                               {"com5", "", "", "/dev/ttyUSB0"},
                                               {" COM13 ", "", "", "/dev/ttyACM0"},
                                               {"COM20", "", "", "/dev/ttyACM7"},
                                               {"COM0", "", "", ""},
                                               {"COM21", "", "", ""},
                                               {"COM+3", "", "", ""},
                                               {"COM3", "/dev/ttyX", "", "/dev/ttyX"},
                                               {"COM6", "/dev/ttyX", "/tmp/sim", "/tmp/sim"},
                                               {"COM7", "/dev/ttyX", "  ", "/dev/ttyX"}}) {
            const int port = PortNumberFromName(QString::fromLatin1(name));
            const QString com = QStringLiteral("COM%1").arg(port);
            MemorySettingsStore settings;
            if (*stored) settings.setValue(QStringLiteral("Ports"), com, stored);
            const PortMap map(&settings, [&, env = env](const QString& var) {
                return var == QStringLiteral("QM07_PORT_") + com ? QString(env) : QString();
            });
            QCOMPARE(map.path(port), QString::fromLatin1(path));
        }
    }

    // dev/ttyUSB0, dev/ttyUSB1; by-id/usb-FTDI_A -> ttyUSB1, usb-PL_B -> ttyUSB0,
    // by-id/stray: a plain file, not a link.
    void initTestCase() {
        QVERIFY(QDir(m_dir.path()).mkpath("dev") && QDir(m_dir.path()).mkpath("by-id"));
        for (const QString& f : {dev("ttyUSB0"), dev("ttyUSB1"), byId("stray")}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link("../dev/ttyUSB1", byId("usb-FTDI_A")));
        QVERIFY(QFile::link(dev("ttyUSB0"), byId("usb-PL_B")));
        QVERIFY(QFile::link(dev("ttyUSB1"), m_dir.filePath("sim-link")));
    }

    void stableName() {
        for (auto [path, expected] : {std::pair{dev("ttyUSB1"), byId("usb-FTDI_A")},
                                      {dev("ttyUSB0"), byId("usb-PL_B")},
                                      {m_dir.filePath("sim-link"), byId("usb-FTDI_A")},
                                      {byId("usb-PL_B"), byId("usb-PL_B")},
                                      {dev("ttyUSB2"), QString()},
                                      {byId("stray"), QString()}}) {
            QCOMPARE(StableNameOf(path, folder()), expected);
            MemorySettingsStore settings;
            RememberStableName(settings, path, folder());
            QCOMPARE(settings.value("Default", "ComPortById"), expected);
        }
    }

    // COM5 -> the row's path, COM6 -> ttyUSB1 (through a link), others -> nothing.
    void storedPort() {
        const QString usb0 = dev("ttyUSB0"), ftdi = byId("usb-FTDI_A");
        for (auto [comPort, remembered, com5, expected] :
             {std::tuple{"5", ftdi, usb0, "6"}, // the adapter moved to COM6
              {"6", ftdi, usb0, "6"},
              {"5", ftdi, dev("ttyUSB1"), "5"}, // the stored port leads there too
              {"5", QString(), usb0, "5"},
              {"5", byId("usb-GONE"), usb0, "5"}, // unplugged
              {"5", dev("ttyUSB1"), usb0, "5"},   // not a by-id name
              {"5", byId("usb-PL_B"), QString(), "5"},
              {"", QString(), usb0, "1"}}) {
            MemorySettingsStore settings;
            if (*comPort) settings.setValue("Default", "ComPort", comPort);
            if (!remembered.isEmpty()) settings.setValue("Default", "ComPortById", remembered);
            const auto pathOf = [&, com5 = com5](int p) {
                return p == 5 ? com5 : p == 6 ? m_dir.filePath("sim-link") : QString();
            };
            QCOMPARE(StoredPortSetting(settings, pathOf, 19, folder()), QString(expected));
        }
    }

    void classify() {
        const int denied = QSerialPort::PermissionError;
        for (auto [error, exists, readable, writable, expected] :
             {std::tuple{denied, true, true, false, OpenFailure::NoPermission},
              {denied, true, true, true, OpenFailure::Busy},
              {denied, false, false, false, OpenFailure::Missing},
              {int(QSerialPort::DeviceNotFoundError), true, false, false, OpenFailure::Missing},
              {int(QSerialPort::OpenError), true, false, false, OpenFailure::Other}})
            QCOMPARE(
                ClassifyOpenFailure(error, {"/dev/ttyUSB0", exists, readable, writable, "dialout"}),
                expected);
    }

    // The group to join, or the administrator when the group is root's or none.
    void permissionMessage() {
        for (auto [group, fromFile, builtIn] :
             {std::tuple{"dialout", "J|/dev/ttyS0|dialout|eva", "usermod -aG dialout eva), then"},
              {"root", "N|/dev/ttyS0|root|eva", "Ask the administrator"},
              {"", "N|/dev/ttyS0||eva", "Ask the administrator"}}) {
            const DeviceFileFacts facts{"/dev/ttyS0", true, false, false, group};
            QCOMPARE(PermissionMessage("J|%1|%2|%3", "N|%1|%2|%3", facts, "eva"),
                     QString(fromFile));
            const QString text = PermissionMessage({}, {}, facts, "eva");
            QVERIFY2(text.contains("/dev/ttyS0") && text.contains(builtIn), qPrintable(text));
        }
    }
};

QTEST_GUILESS_MAIN(TestDevice)
#include "test_device.moc"
