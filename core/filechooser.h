#pragma once
// The seam for the folder and file dialogs, beside the message sink: the
// window asks through it, tests answer from a script.
#include <QString>

namespace qm {

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // A folder picked by the user, starting at start; empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& start) = 0;
    // A file to save to (suggested: the proposed path, filter e.g. "PDF (*.pdf)");
    // empty when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& suggested,
                                   const QString& filter) = 0;
};

} // namespace qm
