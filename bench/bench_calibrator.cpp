// The calibrator's start-up time to the first shown window, and its resident
// memory and CPU while the live display polls qm07r-sim for 10 s with the
// curve and deviation plots, the trend and the stability indicator running on
// a noisy, settling signal; printed beside the figures before the plots.
#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/messages.h"
#include "core/settings.h"
#include "device/serialtransport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace qm;

namespace {

constexpr int kLiveSeconds = 10;

// Messages are printed and answered with their default button.
class PrintedMessages final : public MessageSink {
  public:
    MsgButton show(const Message& m) override {
        std::printf("message: %s\n", qPrintable(m.text));
        return m.defaultButton;
    }
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A "Vm..." line of /proc/self/status in MB.
double statusMb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Milliseconds since the process was created (libraries loaded before main()
// included), at the kernel's 10 ms tick.
qint64 msSinceExec() {
    QFile stat(QStringLiteral("/proc/self/stat")), uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) return -1;
    const QByteArray s = stat.readAll();
    // Field 22 (starttime) counts from the field after the command's closing bracket.
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double startS = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    const double nowS = uptime.readAll().split(' ').value(0).toDouble();
    return qint64((nowS - startS) * 1000.0);
}

void click(MainWindow& w, const char* name) {
    w.findChild<QAbstractButton*>(QLatin1String(name))->click();
}

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    const double cpuAtMain = cpuSeconds();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("qm07r"));
    qputenv("QM07_PORT_COM3", link.toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    RealClock clock;
    PrintedMessages messages;
    MemorySettingsStore settings;
    settings.setValue(QStringLiteral("Default"), QStringLiteral("ComPort"), QStringLiteral("3"));
    SerialTransportFactory transports{PortMap(&settings)};
    const QString binDir = QCoreApplication::applicationDirPath();
    MainWindow window(AppServices{clock,
                                  messages,
                                  settings,
                                  transports,
                                  QDir(binDir).filePath(QStringLiteral("qm07r.lang")),
                                  {}});
    window.show();
    QCoreApplication::processEvents();
    const qint64 startupMs = sinceStart.elapsed();
    // CPU time does not grow when other processes share the cores; the wall
    // clock does.
    const double cpuMs = cpuSeconds() * 1000.0;
    std::printf("start-up to the first shown window: %lld ms from main(), about %lld ms from "
                "exec (before the plots: 20 ms; target < 100 ms);\n  of it CPU: %.0f ms from "
                "main(), %.0f ms from exec\n",
                startupMs, msSinceExec(), cpuMs - cpuAtMain * 1000.0, cpuMs);
    std::printf("resident memory after start-up:     %.1f MB\n", statusMb("VmRSS:"));

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QDir(binDir).filePath(QStringLiteral("qm07r-sim")),
              {QStringLiteral("--link"), link, QStringLiteral("--state"),
               dir.filePath(QStringLiteral("state")), QStringLiteral("--signal"),
               QStringLiteral("1.25"), QStringLiteral("--noise"), QStringLiteral("0.00002"),
               QStringLiteral("--settle"), QStringLiteral("1.5")});
    if (!sim.waitForStarted(5000)) {
        std::printf("qm07r-sim did not start: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        clock.delay(50);

    click(window, "cmdNext"); // connect and read
    click(window, "cmdNext"); // the curve page with the live display
    if (window.session().step() != qm::WizardStep::Curve) {
        std::printf("the curve page was not reached (step %d)\n", int(window.session().step()));
        return 1;
    }
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(kLiveSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = (cpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000.0);
    std::printf("live display for %d s: signal %.4f mV/V, count %.0f\n", kLiveSeconds,
                window.session().live().signal, window.session().live().div);
    std::printf("stability after %d s: %s, spread %.0f counts over %d samples\n", kLiveSeconds,
                window.session().stability().isStable() ? "stable" : "settling",
                window.session().stability().window().spreadCount,
                window.session().stability().window().samples);
    std::printf("resident memory with the live display: %.1f MB (peak %.1f MB; before the plots: "
                "31 MB; target < 60 MB)\n",
                statusMb("VmRSS:"), statusMb("VmHWM:"));
    std::printf("CPU while the live display runs:       %.2f %% of one core (before the plots: "
                "0.2 %%; target < 1 %%)\n",
                cpu * 100.0);

    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
