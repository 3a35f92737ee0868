#include "cli/deferredsignals.h"

#include <QtGlobal>

#include <csignal>

namespace qm::cli {

namespace {

volatile std::sig_atomic_t g_pending = 0;
#ifdef Q_OS_UNIX
struct sigaction g_oldInt, g_oldTerm;
#else
void (*g_oldInt)(int) = SIG_DFL;
void (*g_oldTerm)(int) = SIG_DFL;
#endif

extern "C" void noteSignal(int signal) {
    if (g_pending == 0) g_pending = signal;
}

} // namespace

#ifdef Q_OS_UNIX
DeferredSignals::DeferredSignals() {
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // reads and writes of the line go on
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
}

DeferredSignals::~DeferredSignals() {
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
}
#else
DeferredSignals::DeferredSignals() {
    g_oldInt = std::signal(SIGINT, noteSignal);
    g_oldTerm = std::signal(SIGTERM, noteSignal);
}

DeferredSignals::~DeferredSignals() {
    std::signal(SIGINT, g_oldInt);
    std::signal(SIGTERM, g_oldTerm);
}
#endif

int DeferredSignals::pending() {
    return g_pending;
}

} // namespace qm::cli
