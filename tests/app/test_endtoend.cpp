// A whole calibration with the real pieces, set up as scripts/run.sh sets them
// up: qm07r-sim on a pty, mapped to COM3 through QM07_PORT_COM3, the window on
// the real clock and the serial ports. Then qm07ctl reads the new curve and
// the simulator's display follows it.
#include "app/mainwindow.h"
#include "calibration/referencedialog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/serialtransport.h"
#include "sim/simprocess.h"
#include "support/ctlrunner.h"
#include "support/referencedialog.h"
#include "support/scriptedmessages.h"

#include <QAbstractButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString link() const { return m_dir.filePath(QStringLiteral("qm07r-pty")); }

    // qm07ctl on the simulator's link; its standard output.
    QByteArray ctl(const QStringList& args) {
        const testing::CtlRun r = testing::RunCtl(
            QStringList{QStringLiteral("--port"), link()} + args, m_dir.path(), link(), 3);
        if (r.exitCode != 0) qWarning("qm07ctl %s: %s", qPrintable(args.join(u' ')), r.err.data());
        return r.out;
    }

    // A calibrator as scripts/run.sh starts it, on the real clock and ports.
    struct Calibrator {
        RealClock clock;
        ScriptedMessages messages;
        MemorySettingsStore settings;
        SerialTransportFactory ports{PortMap(&settings)};
        MainWindow w;
        Calibrator()
            : w((settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"),
                                   QStringLiteral("3")),
                 AppServices{clock, messages, settings, ports, QStringLiteral(QM_SHIPPED_LANG),
                             QString()})) {
            w.show();
        }
        void click(const char* name) {
            QTest::mouseClick(w.findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
        }
    };

    void startSim(SimProcess& sim) {
        QString error;
        QVERIFY2(sim.start(link(),
                           {QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state"))},
                           &error),
                 qPrintable(error));
    }

    // The record qm07ctl reads from the simulator.
    QJsonObject storedRecord() {
        return QJsonDocument::fromJson(ctl({"read"})).object().value("CurrentRecord").toObject();
    }

  private slots:
    // Three points captured from the live signal, then closed while Next
    // writes them: the write runs to its read-back before the program ends
    // and quits, as app/main.cpp wires it.
    void closedDuringTheWrite() {
        QVERIFY(m_dir.isValid());
        qputenv("QM07_PORT_COM3", link().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
        SimProcess sim;
        startSim(sim);
        {
            Calibrator c;
            c.click("cmdNext"); // connect and read
            QCOMPARE(c.w.wizardStep(), WizardStep::Sensor);
            c.w.findChild<QLineEdit*>(QStringLiteral("txtPopis"))->setText(QStringLiteral("Rig 7"));
            c.click("cmdNext"); // the curve page with the live signal
            QCOMPARE(c.w.wizardStep(), WizardStep::Curve);
            QCOMPARE(c.messages.texts(), QStringList());
            c.messages.answerYes();
            c.click("cmdListAction2"); // start from an empty curve
            // Out of order, with the decimal comma a technician may type.
            const std::pair<double, const char*> captured[] = {
                {0.875, "45"}, {0.25, "10"}, {1.5, "80,5"}};
            for (const auto& [signal, typed] : captured) {
                sim.setSignal(signal);
                QTRY_COMPARE_WITH_TIMEOUT(c.w.LiveSignal(), signal, 3000);
                testing::AnswerReferenceDialog(c.w.inputBox(), QString::fromLatin1(typed));
                c.messages.answerYes(); // not settled yet: take it anyway
                c.click("cmdSCAN");
            }
            QCOMPARE(c.w.curve().pointCount(), 3);

            c.messages.clear();
            connect(&c.w, &MainWindow::programEnded, qApp, &QCoreApplication::quit,
                    Qt::QueuedConnection);
            QSignalSpy ended(&c.w, &MainWindow::programEnded);
            bool busyWhenClosed = false;
            QTimer::singleShot(150, &c.w, [&] {
                busyWhenClosed = c.w.busy();
                c.w.close();
            });
            // Inside the application's loop, so that the quit can cut it short.
            QTimer::singleShot(0, &c.w, [&] { c.click("cmdNext"); }); // write, ..., end
            QTimer::singleShot(60000, qApp, &QCoreApplication::quit); // never hang
            QCoreApplication::exec();
            QVERIFY(busyWhenClosed);
            QCOMPARE(ended.count(), 1);
            QCOMPARE(c.messages.texts().value(0).section(u'\n', 0, 0), c.w.LangText().text(56));
        } // the window goes and frees the port

        const QJsonObject rec = storedRecord();
        QCOMPARE(rec.value("Popis").toString(), QStringLiteral("Rig 7"));
        QCOMPARE(rec.value("Flags").toInt(), 0xD0);
        QCOMPARE(rec.value("Signal").toArray(), (QJsonArray{0.25, 0.875, 1.5}));
        QCOMPARE(rec.value("Value").toArray(), (QJsonArray{10.0, 45.0, 80.5}));
        // The reset made the simulator use the new curve: 0.5 mV/V lies
        // between (0.25, 10) and (0.875, 45).
        sim.setSignal(0.5);
        const QList<QByteArray> fields =
            ctl({"live", "--count", "3"}).trimmed().split('\n').last().simplified().split(' ');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[1], QByteArray("0.5000"));
        QCOMPARE(fields[2].toDouble(), 24.0);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
