#pragma once
// Signals held off while a sensor's memory is written: SIGINT, SIGTERM,
// SIGHUP (a closed terminal) and SIGQUIT let the write, its read-back and its
// record finish, then the command ends with 128 + the signal's number;
// SIGPIPE (a closed standard output) is ignored, so it never stops a write.
#include "cli/clicommand.h"

#include <functional>

namespace qm::cli {

class DeferredSignals {
  public:
    DeferredSignals();  // catches the signals from here on
    ~DeferredSignals(); // and lets them act as before again
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

    // The signal that arrived first, or 0.
    static int pending();
    // 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP, 131 for SIGQUIT.
    static int exitCode(int signal) { return 128 + signal; }
};

// Runs work with the signals held off; a signal that came meanwhile turns
// its exit code into the signal's (saying whether the write was done whole).
int RunWithSignalsHeld(Context& ctx, const std::function<int()>& work);

// The command's end before its first byte when a signal has come: true with
// the message printed and exitCode set.
bool StoppedBeforeWriting(Context& ctx, int& exitCode);

} // namespace qm::cli
