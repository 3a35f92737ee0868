#pragma once
// Everything the main window talks to outside itself, handed in so that tests
// run it on the virtual clock against the in-process simulated device.
#include <QString>

namespace qm {

class Clock;
class FileChooser;
class MessageSink;
class SettingsStore;
class TransportFactory;

struct AppServices {
    Clock& clock;
    MessageSink& messages;
    SettingsStore& settings;
    TransportFactory& transports;
    QString languagePath;         // "qm07r.lang" beside the executable
    QString commandLine;          // everything after the program name
    FileChooser* files = nullptr; // folder and file dialogs; none: nothing is offered
};

} // namespace qm
