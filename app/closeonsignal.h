#pragma once
// SIGTERM, SIGINT, SIGHUP (the terminal it was started from closed) and
// SIGQUIT close the window as its close box does, so that a write under way
// finishes and is recorded before the program ends; SIGPIPE is ignored.
class QWidget;

namespace qm {

// Installs the handlers once; later signals close window. False when the
// handlers could not be set up (the signals then end the program as before).
bool CloseOnTerminationSignals(QWidget& window);

} // namespace qm
