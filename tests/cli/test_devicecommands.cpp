// qm07ctl against qm07r-sim on a pty: read, scan, dump and live, with the
// simulator's fault switches. Each test starts and stops its own simulator.
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

using Run = qm::testing::CtlRun;

class TestDeviceCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString link() const { return m_dir.filePath(QStringLiteral("qm07r")); }

    Run ctl(const QStringList& args, int simPort = 5) {
        return testing::RunCtl(args, m_dir.path(), link(), simPort);
    }

    void startSim(SimProcess& sim, const QStringList& args) {
        QString error;
        QVERIFY2(sim.start(link(), args, &error), qPrintable(error));
    }

  private slots:
    void read_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("digits");
        QTest::newRow("iTag, COM5") << QStringList{} << "COM5" << 1 << 5;
        QTest::newRow("iTag, path") << QStringList{} << "<link>" << 1 << 5;
        QTest::newRow("no iTag, 6 digits")
            << QStringList{"--no-itag", "--digits", "6"} << "COM5" << 0 << 6;
        QTest::newRow("lower-case qm") << QStringList{"--lower-case-id"} << "COM5" << 1 << 5;
        QTest::newRow("pieces, paced")
            << QStringList{"--split", "100", "--paced"} << "COM5" << 1 << 5;
    }
    void read() {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, port);
        QFETCH(int, tag);
        SimProcess sim;
        startSim(sim, simArgs);
        const Run r = ctl(
            {QStringLiteral("--port"), port == u"<link>" ? link() : port, QStringLiteral("read")});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QVERIFY(o.value(QStringLiteral("ident"))
                    .toString()
                    .contains(QLatin1String("qm"), Qt::CaseInsensitive));
        QTEST(o.value(QStringLiteral("DisplayDigits")).toInt(), "digits");
        QCOMPARE(o.value(QStringLiteral("N")).toDouble(), DeviceModel::kDefaultN);
        QCOMPARE(o.value(QStringLiteral("k")).toDouble(), 4.647601E-07);
        QCOMPARE(o.value(QStringLiteral("TagPresent")).toInt(), tag);
        const QJsonObject device = o.value(QStringLiteral("DeviceRecord")).toObject();
        QCOMPARE(device.value(QStringLiteral("result")).toInt(), 2);
        const QJsonValue tagRecord = o.value(QStringLiteral("TagRecord"));
        QCOMPARE(tagRecord.isNull(), tag == 0);
        const QJsonObject current = o.value(QStringLiteral("CurrentRecord")).toObject();
        QCOMPARE(current,
                 (tag ? tagRecord.toObject() : device).value(QStringLiteral("record")).toObject());
        QCOMPARE(current.value(QStringLiteral("MemGroup")).toInt(), tag ? 0 : 4);
    }

    // An image that does not decode is reported, not replaced by defaults.
    void undecodableImageIsReported() {
        QDir(m_dir.path()).mkpath(QStringLiteral("state"));
        QFile f(m_dir.filePath(QStringLiteral("state/block00.bin")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(256, '\0'));
        f.close();
        SimProcess sim;
        startSim(sim, {QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state"))});
        const Run r =
            ctl({QStringLiteral("--port"), QStringLiteral("COM5"), QStringLiteral("read")});
        QCOMPARE(r.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        const QJsonObject tag = o.value(QStringLiteral("TagRecord")).toObject();
        QCOMPARE(tag.value(QStringLiteral("result")).toInt(), -34);
        QCOMPARE(tag.value(QStringLiteral("record"))
                     .toObject()
                     .value(QStringLiteral("PointCount"))
                     .toInt(),
                 0);
    }

    // A device that stops answering or goes away: one line, non-zero, no hang.
    void deadDevice_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent") << QStringList{"--silent-after", "0"} << QStringList{"read"}
                                << "no QM-07R answers";
        QTest::newRow("hang-up mid-read")
            << QStringList{"--hang-up-after", "5"} << QStringList{"read"} << "was lost";
        QTest::newRow("hang-up in dump")
            << QStringList{"--hang-up-after", "2"} << QStringList{"dump", "--block", "0x80"} << "";
        QTest::newRow("no simulator")
            << QStringList{"<none>"} << QStringList{"read"} << "cannot open";
    }
    void deadDevice() {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        SimProcess sim;
        if (simArgs != QStringList{"<none>"}) startSim(sim, simArgs);
        const Run r = ctl(QStringList{QStringLiteral("--port"), QStringLiteral("COM5")} + args);
        QVERIFY(r.exitCode > 0);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.ms < 8000);
    }

    // The search wants "QM" in capitals; ports without a device cost nothing.
    void scan_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("found") << QStringList{} << 0 << QByteArray("COM5\n");
        QTest::newRow("lower case") << QStringList{"--lower-case-id"} << 1 << QByteArray();
    }
    void scan() {
        QFETCH(QStringList, simArgs);
        SimProcess sim;
        startSim(sim, simArgs);
        const Run r = ctl({QStringLiteral("scan")});
        QTEST(r.exitCode, "exitCode");
        QTEST(r.out, "out");
    }

    void scanStopsAtCOM19() {
        SimProcess sim;
        startSim(sim, {});
        QCOMPARE(ctl({QStringLiteral("scan")}, 20).exitCode, 1);
    }

    void dump() {
        SimProcess sim;
        startSim(sim, {QStringLiteral("--no-itag")});
        const QString file = m_dir.filePath(QStringLiteral("block80.bin"));
        const Run r =
            ctl({QStringLiteral("--port"), QStringLiteral("COM5"), QStringLiteral("dump"),
                 QStringLiteral("--block"), QStringLiteral("0x80"), QStringLiteral("-o"), file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), DefaultDeviceImage());
        // Without an iTag, block 0x00 does not answer.
        const Run none =
            ctl({QStringLiteral("--port"), QStringLiteral("COM5"), QStringLiteral("dump"),
                 QStringLiteral("--block"), QStringLiteral("0x00")});
        QCOMPARE(none.exitCode, 4);
    }

    // The first tick has no reply yet; then each tick shows the one before.
    void live() {
        SimProcess sim;
        startSim(sim, {QStringLiteral("--signal"), QStringLiteral("1")});
        const Run r = ctl({QStringLiteral("--port"), QStringLiteral("COM5"), QStringLiteral("live"),
                           QStringLiteral("--count"), QStringLiteral("3")});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray("-----"));
        const QList<QByteArray> fields = lines[1].simplified().split(' ');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0].toDouble(), std::round(8388608.0 + 1.0 / double(4.647601E-07F)));
        QCOMPARE(fields[1], QByteArray("1.0000"));
        QCOMPARE(fields[2], QByteArray("250"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceCommands)
#include "test_devicecommands.moc"
