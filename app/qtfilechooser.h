#pragma once
// The real folder and file dialogs.
#include "core/filechooser.h"

class QWidget;

namespace qm {

class QtFileChooser final : public FileChooser {
  public:
    explicit QtFileChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    QString chooseFolder(const QString& title, const QString& start) override;
    QString chooseSaveFile(const QString& title, const QString& suggested,
                           const QString& filter) override;

  private:
    QWidget* m_parent;
};

} // namespace qm
