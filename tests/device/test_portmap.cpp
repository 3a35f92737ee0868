#include "core/settings.h"
#include "device/portmap.h"

#include <QtTest>

using namespace qm;

class TestPortMap : public QObject {
    Q_OBJECT
  private slots:
    // A port name to its path: the environment wins over the settings store,
    // which wins over the default.
    void paths_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("env");
        QTest::addColumn<QString>("path");
        auto row = [](const char* name, const char* stored, const char* env, const char* path) {
            QTest::newRow(name) << name << stored << env << path;
        };
        row("COM1", "", "", "/dev/ttyS0");
        row("COM4", "", "", "/dev/ttyS3");
        row("com5", "", "", "/dev/ttyUSB0");
        row("COM12", "", "", "/dev/ttyUSB7");
        row(" COM13 ", "", "", "/dev/ttyACM0");
        row("COM20", "", "", "/dev/ttyACM7");
        row("COM0", "", "", "");
        row("COM21", "", "", "");
        row("COM+3", "", "", "");
        row("COM", "", "", "");
        row("COM3", "/dev/ttyX", "", "/dev/ttyX");
        row("COM6", "/dev/ttyX", "/tmp/sim", "/tmp/sim");
        row("COM7", "/dev/ttyX", "  ", "/dev/ttyX"); // a blank environment does not count
    }
    void paths() {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, env);
        const int port = PortNumberFromName(name);
        const QString com = QStringLiteral("COM%1").arg(port);
        MemorySettingsStore settings;
        if (!stored.isEmpty()) settings.setValue(QStringLiteral("Ports"), com, stored);
        const PortMap map(&settings, [&](const QString& var) {
            return var == QStringLiteral("QM07_PORT_") + com ? env : QString();
        });
        QTEST(map.path(port), "path");
        if (stored.isEmpty()) QTEST(DefaultPortPath(port), "path");
    }
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "test_portmap.moc"
