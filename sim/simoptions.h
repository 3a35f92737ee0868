#pragma once
// The simulator's command line.
#include "sim/devicemodel.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace qm {

struct SimOptions {
    QString link;     // stable symlink to the pty's slave side
    QString stateDir; // blocks and memory persist here
    bool noTag = false;
    std::optional<int> digits;
    double signal = 0;  // mV/V at start
    QString signalFile; // re-read whenever requests arrive
    SimFaults faults;
    SignalOptions signalModel; // noise, settling and drift of the signal
};

// Fills options from the arguments (argv[0] first). On --help or --version,
// help is set to what to print and true returned; on a bad argument, error is
// set and false returned.
bool ParseSimOptions(const QStringList& args, SimOptions& options, QString* error, QString* help);

// A signal value as typed: blanks ignored, "," or "." as the separator.
std::optional<double> ParseSignal(const QString& text);

} // namespace qm
