#include "device/deviceconnection.h"
#include "support/scriptedline.h"
#include "support/scriptedmessages.h"

#include <QtTest>

using namespace qm;

class TestDeviceConnection : public QObject {
    Q_OBJECT
  private slots:
    // Result codes and error records; only a loud open shows its error. COM1
    // has a device; COM5's opens but its line setup fails. A port that failed
    // after the device opened stays held until closed.
    void results_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("held");
        auto row = [](const char* name, const char* op, int port, int result, bool held,
                      const QString& error) {
            QTest::newRow(name) << op << port << result << error << held;
        };
        const QString bad = QStringLiteral(" - Subscript out of range");
        row("open twice, loud", "open twice", 1, -1, true, "Error (-1): CommOpen - Port in use.");
        row("missing device", "open", 2, 1, false,
            "Error (1): CommOpen (CreateFile) - No such file or directory");
        row("line setup fails", "open", 5, 7, true,
            "Error (7): CommOpen (SetCommState) - Unsupported line setting");
        row("open COM0", "open", 0, 9, false, "Error (9): CommOpen" + bad);
        row("open COM21", "open", 21, 9, false, "Error (9): CommOpen" + bad);
        row("close a closed port", "close", 1, 0, false, "Error (0):  - ");
        row("read a closed port", "read", 1, -1, false,
            "Error (13): CommRead (ClearCommError) - Device is not open");
        row("write a closed port", "write", 1, 1, false,
            "Error (13): CommWrite (WriteFile) - Device is not open  COMM Error Flags = 0");
    }
    void results() {
        QFETCH(QString, op);
        QFETCH(int, port);
        ScriptedMessages sink;
        LineRig rig(&sink);
        rig.ports.line(1);
        rig.ports.line(5).failSetup = true;
        QString text;
        QByteArray bytes;
        if (op == u"open twice") rig.link.open(port, false);
        const int r = op == u"open twice" ? rig.link.open(port, false)
                      : op == u"open"     ? rig.link.open(port)
                      : op == u"close"    ? rig.link.close()
                      : op == u"read"     ? rig.link.read(bytes, 256)
                                          : rig.link.write("x");
        QTEST(r, "result");
        rig.link.errorText(text);
        QTEST(text, "error");
        QTEST(rig.link.isOpen(), "held");
        QCOMPARE(sink.texts(),
                 op == u"open twice" ? QStringList{"COM Error: " + text} : QStringList{});
        QVERIFY(sink.isEmpty() || sink.last().icon == MsgIcon::None);
        rig.link.close();
        QVERIFY(!rig.link.isOpen());
    }

    // A read takes every waiting byte, whatever maxLen, up to the 1024-byte
    // buffer, and never waits.
    void readTakesWhatIsWaiting() {
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
    }

    // A line that goes away: what had arrived is still read, then the port is closed.
    void lostLineClosesPortAfterItsLastBytes() {
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
};

QTEST_GUILESS_MAIN(TestDeviceConnection)
#include "test_deviceconnection.moc"
