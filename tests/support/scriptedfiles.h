#pragma once
// A FileChooser for tests: answers from a queue (cancelled when it is empty)
// and keeps what each dialog proposed.
#include "core/filechooser.h"

#include <QQueue>
#include <QStringList>

namespace qm {

class ScriptedFiles final : public FileChooser {
  public:
    QString chooseFolder(const QString&, const QString& start) override { return next(start); }
    QString chooseSaveFile(const QString&, const QString& suggested, const QString&) override {
        return next(suggested);
    }
    void answer(const QString& path) { m_answers.enqueue(path); }
    const QStringList& proposed() const { return m_proposed; }

  private:
    QString next(const QString& proposed) {
        m_proposed << proposed;
        return m_answers.isEmpty() ? QString() : m_answers.dequeue();
    }
    QQueue<QString> m_answers;
    QStringList m_proposed;
};

} // namespace qm
