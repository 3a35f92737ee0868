#pragma once
// A FileChooser for tests: takes the answers in order (none left: cancelled)
// and keeps what each dialog proposed.
#include "core/filechooser.h"

#include <QStringList>

namespace qm {

struct ScriptedFiles final : FileChooser {
    QStringList answers, proposed;
    QString chooseFolder(const QString&, const QString& start) override { return next(start); }
    QString chooseSaveFile(const QString&, const QString& path, const QString&) override {
        return next(path);
    }
    QString next(const QString& path) {
        proposed << path;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace qm
