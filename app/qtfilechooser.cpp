#include "app/qtfilechooser.h"

#include "core/messages.h"

#include <QFileDialog>

namespace qm {

QString QtFileChooser::chooseFolder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(m_parent, kAppTitle + QStringLiteral(" - ") + title,
                                             start);
}

QString QtFileChooser::chooseSaveFile(const QString& title, const QString& suggested,
                                      const QString& filter) {
    return QFileDialog::getSaveFileName(m_parent, kAppTitle + QStringLiteral(" - ") + title,
                                        suggested, filter);
}

} // namespace qm
