// A whole calibration with the real pieces, set up as scripts/run.sh sets them
// up: qm07r-sim on a pty with its memory in a state folder, mapped to COM3
// through QM07_PORT_COM3, the window on the real clock and the serial ports.
// Then qm07ctl reads the new curve, the simulator's display follows it, and a
// restarted simulator and calibrator show it again.
#include "app/frmQORCalibration.h"
#include "calibration/inputbox.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/serialtransport.h"
#include "sensor/writer.h"
#include "sim/devicemodel.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/referencedialog.h"
#include "support/scriptedmessages.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace qm;

namespace {

struct Point {
    double signal; // mV/V, exact as a float
    const char* typed;
    double value;
};

// Captured out of order, with the decimal comma a technician may type.
const Point kCaptured[] = {{0.875, "45", 45.0}, {0.25, "10", 10.0}, {1.5, "80,5", 80.5}};
// The list lines of the stored curve: signal "###0.00000" in 10, two blanks,
// the value in the 8-character mask that two decimals read back as
// ("###0.00 ", its padding blank printed as a blank).
const QStringList kStoredLines = {QStringLiteral("   0.25000    10.00 "),
                                  QStringLiteral("   0.87500    45.00 "),
                                  QStringLiteral("   1.50000    80.50 ")};

struct Window {
    RealClock clock;
    ScriptedMessages messages;
    MemorySettingsStore settings;
    SerialTransportFactory ports{PortMap(&settings)};
    std::unique_ptr<frmQORCalibration> w;

    Window() {
        settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"),
                          QStringLiteral("3"));
        w = std::make_unique<frmQORCalibration>(AppServices{
            clock, messages, settings, ports, QStringLiteral(QM_SHIPPED_LANG), QString()});
        w->show();
    }
    template <typename T = QWidget> T* child(const char* name) const {
        return w->findChild<T*>(QLatin1String(name));
    }
    void click(const char* name) {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    QStringList curveLines() const {
        QStringList lines;
        const auto* list = child<QListWidget>("lstKrivka");
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString link() const { return m_dir.filePath(QStringLiteral("qm07r-pty")); }
    QString stateDir() const { return m_dir.filePath(QStringLiteral("sim")); }

    void startSim(SimProcess& sim) {
        QString error;
        QVERIFY2(sim.start(link(), {QStringLiteral("--state"), stateDir()}, &error),
                 qPrintable(error));
    }

    // qm07ctl on the simulator's link; its standard output.
    QByteArray ctl(const QStringList& args) {
        const testing::CtlRun r = testing::RunCtl(
            QStringList{QStringLiteral("--port"), link()} + args, m_dir.path(), link(), 3);
        if (r.exitCode != 0) qWarning("qm07ctl %s: %s", qPrintable(args.join(u' ')), r.err.data());
        return r.out;
    }

    // The backups the calibrator left.
    QStringList backups() const {
        QStringList paths;
        QDirIterator it(m_dir.filePath(QStringLiteral("data/QM-07R/backups")), {"*.bin"});
        while (it.hasNext())
            paths << it.next();
        return paths;
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(stateDir()));
        qputenv("QM07_PORT_COM3", link().toLocal8Bit());
        // The backups go here, as qm07ctl's do (RunCtl).
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    }

    void calibrateThenReadBack() {
        SimProcess sim;
        startSim(sim);

        {
            Window c;
            c.click("cmdNext"); // connect and read
            QCOMPARE(c.w->WizardStep(), 2);
            QCOMPARE(c.messages.texts(), QStringList());
            c.child<QLineEdit>("txtPopis")->setText(QStringLiteral("Test rig 7"));
            c.click("cmdNext"); // the curve page with the live signal
            QCOMPARE(c.w->WizardStep(), 3);
            QVERIFY(c.w->tmrCasovac().isActive());

            c.messages.answerYes();
            c.click("cmdListAction2"); // start from an empty curve
            for (const Point& p : kCaptured) {
                sim.setSignal(p.signal);
                QTRY_COMPARE_WITH_TIMEOUT(c.w->LiveSignal(), p.signal, 3000);
                testing::AnswerReferenceDialog(c.w->inputBox(), QString::fromLatin1(p.typed));
                c.click("cmdSCAN");
            }
            QCOMPARE(c.w->curve().KrivkaCount(), 3);

            c.messages.clear();
            QSignalSpy ended(c.w.get(), &frmQORCalibration::programEnded);
            c.click("cmdNext"); // write, reset, read back, reset, end
            QCOMPARE(c.messages.count(), 1);
            const QStringList lines = c.messages.last().text.split(u'\n');
            QCOMPARE(lines.first(), c.w->LangText().text(56));
            QCOMPARE(ended.count(), 1);

            // Nothing lost: the message names the backups made before the
            // two writes (leaving the sensor page, finishing); the sensor's
            // first contents are among them.
            const QStringList saved = backups();
            QCOMPARE(saved.size(), 2);
            QCOMPARE(lines.size(), 3);
            bool firstKept = false;
            for (const QString& path : saved) {
                QVERIFY2(lines.contains(BackupSavedText(path)), qPrintable(path));
                firstKept = firstKept || testing::FileBytes(path) == DefaultTagImage();
            }
            QVERIFY(firstKept);
        } // the window goes and frees the port

        const QJsonObject read = QJsonDocument::fromJson(ctl({QStringLiteral("read")})).object();
        const QJsonObject rec = read.value(QStringLiteral("CurrentRecord")).toObject();
        QCOMPARE(rec.value(QStringLiteral("Popis")).toString(), QStringLiteral("Test rig 7"));
        QCOMPARE(rec.value(QStringLiteral("PointCount")).toInt(), 3);
        QCOMPARE(rec.value(QStringLiteral("Flags")).toInt(), 0xD0);
        const QJsonArray signal = rec.value(QStringLiteral("Signal")).toArray();
        const QJsonArray value = rec.value(QStringLiteral("Value")).toArray();
        QCOMPARE(signal, (QJsonArray{0.25, 0.875, 1.5}));
        QCOMPARE(value, (QJsonArray{10.0, 45.0, 80.5}));

        // The reset made the simulator use the new curve: 0.5 mV/V lies
        // between (0.25, 10) and (0.875, 45).
        sim.setSignal(0.5);
        const QList<QByteArray> ticks =
            ctl({QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("3")})
                .trimmed()
                .split('\n');
        QCOMPARE(ticks.size(), 3);
        const QList<QByteArray> fields = ticks.last().simplified().split(' ');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[1], QByteArray("0.5000"));
        QCOMPARE(fields[2].toDouble(), 24.0);

        // The restart: the simulator comes back from its state folder, a new
        // calibrator reads the stored curve.
        sim.stop();
        SimProcess again;
        startSim(again);
        Window c;
        c.click("cmdNext");
        QCOMPARE(c.w->WizardStep(), 2);
        QCOMPARE(c.messages.texts(), QStringList());
        c.click("cmdNext");
        QCOMPARE(c.w->WizardStep(), 3);
        QCOMPARE(c.curveLines(), kStoredLines);
        QCOMPARE(c.child<QLineEdit>("txtPopis")->text().trimmed(), QStringLiteral("Test rig 7"));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
