#pragma once
// SIGINT and SIGTERM held off while a block is written: the block and its
// read-back finish, then the command ends with 128 + the signal's number.
namespace qm::cli {

class DeferredSignals {
  public:
    DeferredSignals();  // catches the two signals from here on
    ~DeferredSignals(); // and lets them act as before again
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

    // The signal that arrived first, or 0.
    static int pending();
    // 130 for SIGINT, 143 for SIGTERM.
    static int exitCode(int signal) { return 128 + signal; }
};

} // namespace qm::cli
