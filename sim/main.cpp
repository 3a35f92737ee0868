// qm07r-sim: a simulated QM-07R on a pseudo-terminal. It sleeps in poll() on
// the pty, standard input and a signal descriptor; nothing spins.
#include "sim/devicemodel.h"
#include "sim/ptydevice.h"
#include "sim/simoptions.h"
#include "sim/statefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace qm;

namespace {

void say(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

// Reads complete lines from standard input; each number becomes the signal.
class SignalInput {
  public:
    // False at the end of the input. A new load takes effect at nowMs.
    bool read(DeviceModel& model, qint64 nowMs) {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) return false;
        m_buffer.append(buf, static_cast<int>(n));
        int eol;
        while ((eol = m_buffer.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(m_buffer.left(eol)).trimmed();
            m_buffer.remove(0, eol + 1);
            if (line.isEmpty()) continue;
            if (const auto v = ParseSignal(line))
                model.setSignal(*v, nowMs);
            else
                say(stderr, QStringLiteral("qm07r-sim: not a signal in mV/V: ") + line);
        }
        return true;
    }

  private:
    QByteArray m_buffer;
};

std::optional<double> readSignalFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseSignal(QString::fromLocal8Bit(f.read(64)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimOptions options;
    QString error, help;
    if (!ParseSimOptions(app.arguments(), options, &error, &help)) {
        say(stderr, QStringLiteral("qm07r-sim: ") + error);
        return 2;
    }
    if (!help.isEmpty()) {
        say(stdout, help);
        return 0;
    }

    DeviceModel model;
    if (!options.stateDir.isEmpty())
        for (const QString& note : LoadDeviceState(options.stateDir, model))
            say(stderr, QStringLiteral("qm07r-sim: ") + note);
    if (options.digits) model.setDisplayDigits(*options.digits);
    model.setTagPresent(!options.noTag);
    model.setFaults(options.faults);
    model.setSignalOptions(options.signalModel);
    // The load at start stands already; later changes settle.
    model.setSignal(options.signal);
    if (!options.signalFile.isEmpty())
        if (const auto v = readSignalFile(options.signalFile)) model.setSignal(*v);

    // SIGINT and SIGTERM arrive as a readable descriptor.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

    PtyDevice pty(model);
    if (!pty.open(&error) || (!options.link.isEmpty() && !pty.publishLink(options.link, &error))) {
        say(stderr, QStringLiteral("qm07r-sim: ") + error);
        return 1;
    }
    say(stdout, pty.slavePath());

    QElapsedTimer clock;
    clock.start();
    SignalInput input;
    bool stdinOpen = true;
    int savedVersion = model.stateVersion();
    for (;;) {
        const int wait = pty.writeDue(clock.elapsed());
        pollfd fds[3] = {
            {pty.masterFd(), POLLIN, 0}, {signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(fds, stdinOpen ? 3 : 2, wait) < 0) continue; // interrupted
        if (fds[1].revents & POLLIN) break;
        if (fds[0].revents & POLLIN) {
            if (!options.signalFile.isEmpty())
                if (const auto v = readSignalFile(options.signalFile))
                    model.setSignal(*v, clock.elapsed());
            pty.readRequests(clock.elapsed());
            if (model.stateVersion() != savedVersion && !options.stateDir.isEmpty()) {
                savedVersion = model.stateVersion();
                if (!SaveDeviceState(options.stateDir, model, &error))
                    say(stderr, QStringLiteral("qm07r-sim: ") + error);
            }
            if (model.hungUp()) {
                pty.hangUp();
                say(stderr, QStringLiteral("qm07r-sim: hung up after %1 requests")
                                .arg(model.faults().hangUpAfter));
                break;
            }
        }
        if (stdinOpen && (fds[2].revents & (POLLIN | POLLHUP)))
            stdinOpen = input.read(model, clock.elapsed());
    }
    if (signalFd >= 0) ::close(signalFd);
    return 0;
}
