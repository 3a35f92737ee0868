#include "cli/deferredsignals.h"

#include <QtGlobal>

#include <array>
#include <csignal>

namespace qm::cli {

namespace {

volatile std::sig_atomic_t g_pending = 0;

extern "C" void noteSignal(int signal) {
    if (g_pending == 0) g_pending = signal;
}

#ifdef Q_OS_UNIX
constexpr std::array kHeld = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
std::array<struct sigaction, kHeld.size()> g_old;
struct sigaction g_oldPipe;
#else
constexpr std::array kHeld = {SIGINT, SIGTERM};
std::array<void (*)(int), kHeld.size()> g_old;
#endif

} // namespace

#ifdef Q_OS_UNIX
DeferredSignals::DeferredSignals() {
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // reads and writes of the line go on
    for (size_t i = 0; i < kHeld.size(); ++i)
        sigaction(kHeld[i], &action, &g_old[i]);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &g_oldPipe);
}

DeferredSignals::~DeferredSignals() {
    for (size_t i = 0; i < kHeld.size(); ++i)
        sigaction(kHeld[i], &g_old[i], nullptr);
    sigaction(SIGPIPE, &g_oldPipe, nullptr);
}
#else
DeferredSignals::DeferredSignals() {
    for (size_t i = 0; i < kHeld.size(); ++i)
        g_old[i] = std::signal(kHeld[i], noteSignal);
}

DeferredSignals::~DeferredSignals() {
    for (size_t i = 0; i < kHeld.size(); ++i)
        std::signal(kHeld[i], g_old[i]);
}
#endif

int DeferredSignals::pending() {
    return g_pending;
}

int RunWithSignalsHeld(Context& ctx, const std::function<int()>& work) {
    const DeferredSignals held;
    const int done = work();
    const int signal = DeferredSignals::pending();
    if (signal == 0 || done == DeferredSignals::exitCode(signal)) return done;
    return Fail(
        ctx,
        QStringLiteral("stopped by signal %1%2")
            .arg(signal)
            .arg(done == kExitOk ? QStringLiteral(" after the write was done whole") : QString()),
        DeferredSignals::exitCode(signal));
}

bool StoppedBeforeWriting(Context& ctx, int& exitCode) {
    const int signal = DeferredSignals::pending();
    if (signal == 0) return false;
    exitCode = Fail(
        ctx, QStringLiteral("stopped by signal %1 before writing: nothing written").arg(signal),
        DeferredSignals::exitCode(signal));
    return true;
}

} // namespace qm::cli
