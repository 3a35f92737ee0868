#pragma once
// Whole files for tests: written or the test stops, read or empty.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace qm::testing {

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Returns path, for use in argument lists.
inline QString WriteFileBytes(const QString& path, const QByteArray& content) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace qm::testing
