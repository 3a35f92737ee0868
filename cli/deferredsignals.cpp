#include "cli/deferredsignals.h"

#include <csignal>

namespace qm::cli {

namespace {

volatile std::sig_atomic_t g_pending = 0;
struct sigaction g_oldInt, g_oldTerm;

extern "C" void noteSignal(int signal) {
    if (g_pending == 0) g_pending = signal;
}

} // namespace

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

int DeferredSignals::pending() {
    return g_pending;
}

} // namespace qm::cli
