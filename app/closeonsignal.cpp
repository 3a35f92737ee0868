#include "app/closeonsignal.h"

#include <QSocketNotifier>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace qm {

#ifdef Q_OS_UNIX

namespace {

int g_wakeFd[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe.
void onSignal(int) {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_wakeFd[0], &b, 1);
}

} // namespace

bool CloseOnTerminationSignals(QWidget& window) {
    if (g_wakeFd[0] >= 0) return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_wakeFd) != 0) return false;
    auto* notifier = new QSocketNotifier(g_wakeFd[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char b = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_wakeFd[1], &b, 1);
        window.close();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        ok = ::sigaction(signal, &sa, nullptr) == 0 && ok;
    // A closed terminal or pipe never ends the program in the middle of a write.
    sa.sa_handler = SIG_IGN;
    return ::sigaction(SIGPIPE, &sa, nullptr) == 0 && ok;
}
#else
// Elsewhere a window is ended by closing it, which already waits for a write.
bool CloseOnTerminationSignals(QWidget&) {
    return false;
}
#endif

} // namespace qm
