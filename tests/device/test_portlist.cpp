// Serial ports by real names: COM paths, stable by-id names, a moved adapter, refused opens.
#include "core/settings.h"
#include "device/portaccess.h"
#include "device/portlist.h"
#include "device/portmap.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

class TestPortList : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString dev(const QString& name) const { return m_dir.filePath("dev/" + name); }
    QString byId(const QString& name) const { return m_dir.filePath("by-id/" + name); }
    QString folder() const { return m_dir.filePath("by-id"); }

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
        row("COM4", "", "", "/dev/ttyS3");
        row("com5", "", "", "/dev/ttyUSB0");
        row(" COM13 ", "", "", "/dev/ttyACM0");
        row("COM20", "", "", "/dev/ttyACM7");
        row("COM0", "", "", "");
        row("COM21", "", "", "");
        row("COM+3", "", "", "");
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

    void stableName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative link") << dev("ttyUSB1") << byId("usb-FTDI_A");
        QTest::newRow("absolute link") << dev("ttyUSB0") << byId("usb-PL_B");
        QTest::newRow("through a link") << m_dir.filePath("sim-link") << byId("usb-FTDI_A");
        QTest::newRow("the by-id name itself") << byId("usb-PL_B") << byId("usb-PL_B");
        QTest::newRow("absent device") << dev("ttyUSB2") << "";
        QTest::newRow("plain file is no link") << byId("stray") << "";
    }
    void stableName() {
        QFETCH(QString, path);
        QTEST(StableNameOf(path, folder()), "expected");
        MemorySettingsStore settings;
        RememberStableName(settings, path, folder());
        QTEST(settings.value("Default", "ComPortById"), "expected");
    }

    // COM5 -> the row's path, COM6 -> ttyUSB1 (through a link), others -> nothing.
    void storedPort_data() {
        QTest::addColumn<QString>("comPort");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("com5");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* comPort, const QString& remembered,
                      const QString& com5, const char* expected) {
            QTest::newRow(name) << comPort << remembered << com5 << expected;
        };
        const QString usb0 = dev("ttyUSB0"), ftdi = byId("usb-FTDI_A");
        row("adapter moved to COM6", "5", ftdi, usb0, "6");
        row("adapter where it was", "6", ftdi, usb0, "6");
        row("stored port leads there too", "5", ftdi, dev("ttyUSB1"), "5");
        row("nothing remembered", "5", "", usb0, "5");
        row("adapter unplugged", "5", byId("usb-GONE"), usb0, "5");
        row("not a by-id name", "5", dev("ttyUSB1"), usb0, "5");
        row("no port leads to it", "5", byId("usb-PL_B"), "", "5");
        row("nothing stored", "", "", usb0, "1");
    }
    void storedPort() {
        QFETCH(QString, comPort);
        QFETCH(QString, remembered);
        QFETCH(QString, com5);
        MemorySettingsStore settings;
        if (!comPort.isEmpty()) settings.setValue("Default", "ComPort", comPort);
        if (!remembered.isEmpty()) settings.setValue("Default", "ComPortById", remembered);
        const auto pathOf = [&](int p) {
            return p == 5 ? com5 : p == 6 ? m_dir.filePath("sim-link") : QString();
        };
        QTEST(StoredPortSetting(settings, pathOf, 19, folder()), "expected");
    }

    void summary() {
        const QList<SerialDevice> present{
            {dev("ttyUSB1"), "FT232R USB UART", "FTDI", "A5", byId("usb-FTDI_A")},
            {dev("ttyUSB0"), "", " ", "", ""}};
        QCOMPARE(DeviceSummary(dev("ttyUSB1"), present),
                 dev("ttyUSB1") + ": FT232R USB UART, FTDI, A5");
        QCOMPARE(DeviceSummary(byId("usb-FTDI_A"), present),
                 byId("usb-FTDI_A") + " -> " + dev("ttyUSB1") + ": FT232R USB UART, FTDI, A5");
        QCOMPARE(DeviceSummary(dev("ttyUSB0"), present), dev("ttyUSB0"));
        QCOMPARE(DeviceSummary(dev("ttyUSB2"), present), dev("ttyUSB2"));
    }

    void classify_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<OpenFailure>("expected");
        auto row = [](const char* name, int error, bool exists, bool readable, bool writable,
                      OpenFailure expected) {
            QTest::newRow(name) << error << exists << readable << writable << expected;
        };
        const int denied = QSerialPort::PermissionError;
        row("mode denies", denied, true, false, false, OpenFailure::NoPermission);
        row("read only", denied, true, true, false, OpenFailure::NoPermission);
        row("locked by another", denied, true, true, true, OpenFailure::Busy);
        row("gone meanwhile", denied, false, false, false, OpenFailure::Missing);
        row("not found", QSerialPort::DeviceNotFoundError, false, false, false,
            OpenFailure::Missing);
        row("other", QSerialPort::OpenError, true, false, false, OpenFailure::Other);
    }
    void classify() {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, readable);
        QFETCH(bool, writable);
        QTEST(ClassifyOpenFailure(error, {"/dev/ttyUSB0", exists, readable, writable, "dialout"}),
              "expected");
    }

    // The group to join, or the administrator when the group is root's or none.
    void permissionMessage_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("fromFile");
        QTest::addColumn<QString>("builtIn");
        const QString admin = "Ask the administrator", join = "usermod -aG dialout eva), then log";
        QTest::newRow("dialout") << "dialout"
                                 << "J|/dev/ttyS0|dialout|eva" << join;
        QTest::newRow("root") << "root"
                              << "N|/dev/ttyS0|root|eva" << admin;
        QTest::newRow("none") << ""
                              << "N|/dev/ttyS0||eva" << admin;
    }
    void permissionMessage() {
        QFETCH(QString, group);
        QFETCH(QString, builtIn);
        const DeviceFileFacts facts{"/dev/ttyS0", true, false, false, group};
        QTEST(PermissionMessage("J|%1|%2|%3", "N|%1|%2|%3", facts, "eva"), "fromFile");
        const QString text = PermissionMessage({}, {}, facts, "eva");
        QVERIFY2(text.contains("/dev/ttyS0") && text.contains(builtIn), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestPortList)
#include "test_portlist.moc"
