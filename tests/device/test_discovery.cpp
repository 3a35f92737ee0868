#include "core/settings.h"
#include "device/discovery.h"
#include "support/scriptedline.h"

#include <QtTest>

using namespace qm;

namespace {
Responder identifyAs(const QByteArray& ident) {
    return [ident](const QByteArray& line, int) {
        return line == "$00@" ? after(20, ident) : QList<ReplyPiece>{};
    };
}
} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
  private slots:
    // The device's port and identification, ports silent with an old
    // identification waiting, whether the port is open before the scan; the
    // port found and the time taken.
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

    void connect_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<ConnectResult>("result");
        QTest::addColumn<QString>("stored");
        auto row = [](const char* name, bool present, const char* ident, ConnectResult result,
                      const char* stored) {
            QTest::newRow(name) << present << QByteArray(ident) << result << QString(stored);
        };
        row("QM", true, "QM-07R V1\r", ConnectResult::Ok, "4");
        row("lower case qm", true, "qm-07r\r", ConnectResult::Ok, "4");
        row("other device", true, "XY-1\r", ConnectResult::NoDevice, "");
        row("silent", true, "", ConnectResult::NoDevice, "");
        row("missing", false, "", ConnectResult::OpenFailed, "");
    }
    // Each connect follows a failed one with the device silent, which left
    // the port open: connecting again reopens it instead of "Port in use.".
    void connect() {
        QFETCH(bool, present);
        QFETCH(QByteArray, ident);
        QFETCH(ConnectResult, result);
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
        QTEST(settings.value(QStringLiteral("Default"), QStringLiteral("ComPort")), "stored");
        QCOMPARE(rig.link.isOpen(), present);
        if (present) QCOMPARE(rig.clock.tickMs() - start, 300);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
