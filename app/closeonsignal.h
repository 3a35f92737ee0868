#pragma once
// SIGTERM and SIGINT close the window as its close box does, so that a write
// under way finishes before the program ends.
class QWidget;

namespace qm {

// Installs the handlers once; later signals close window. False when the
// handlers could not be set up (the signals then end the program as before).
bool CloseOnTerminationSignals(QWidget& window);

} // namespace qm
