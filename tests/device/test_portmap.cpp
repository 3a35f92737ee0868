#include "core/settings.h"
#include "device/portmap.h"

#include <QtTest>

using namespace qm;

class TestPortMap : public QObject {
    Q_OBJECT
  private slots:
    void defaults_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM4") << 4 << "/dev/ttyS3";
        QTest::newRow("COM5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("COM12") << 12 << "/dev/ttyUSB7";
        QTest::newRow("COM13") << 13 << "/dev/ttyACM0";
        QTest::newRow("COM19") << 19 << "/dev/ttyACM6";
        QTest::newRow("COM20") << 20 << "/dev/ttyACM7";
        QTest::newRow("COM0") << 0 << "";
        QTest::newRow("COM21") << 21 << "";
    }
    void defaults() {
        QFETCH(int, port);
        const PortMap map(nullptr, [](const QString&) { return QString(); });
        QTEST(map.path(port), "path");
        QTEST(DefaultPortPath(port), "path");
    }

    // The environment wins over the settings store, which wins over the default.
    void overrides_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("env");
        QTest::addColumn<QString>("path");
        QTest::newRow("default") << ""
                                 << ""
                                 << "/dev/ttyS2";
        QTest::newRow("settings") << "/dev/ttyX"
                                  << ""
                                  << "/dev/ttyX";
        QTest::newRow("environment") << "/dev/ttyX"
                                     << "/tmp/sim"
                                     << "/tmp/sim";
        QTest::newRow("blank environment") << "/dev/ttyX"
                                           << "  "
                                           << "/dev/ttyX";
    }
    void overrides() {
        QFETCH(QString, stored);
        QFETCH(QString, env);
        MemorySettingsStore settings;
        if (!stored.isEmpty())
            settings.setValue(QStringLiteral("Ports"), QStringLiteral("COM3"), stored);
        QString asked;
        const PortMap map(&settings, [&](const QString& name) {
            asked = name;
            return env;
        });
        QTEST(map.path(3), "path");
        QCOMPARE(asked, QStringLiteral("QM07_PORT_COM3"));
    }

    void portNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("port");
        QTest::newRow("COM3") << "COM3" << 3;
        QTest::newRow("lower case") << "com20" << 20;
        QTest::newRow("blanks") << " COM7 " << 7;
        QTest::newRow("COM21") << "COM21" << 0;
        QTest::newRow("COM0") << "COM0" << 0;
        QTest::newRow("signed") << "COM+3" << 0;
        QTest::newRow("bare") << "COM" << 0;
        QTest::newRow("path") << "/dev/ttyS0" << 0;
    }
    void portNames() {
        QFETCH(QString, name);
        QTEST(PortNumberFromName(name), "port");
    }
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "test_portmap.moc"
