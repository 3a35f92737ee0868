#pragma once
// Fixed-length text fields are padded with blanks. Only blanks come off their
// ends: a tab or other white space is part of the text (QString::trimmed would
// take it too).
#include <QByteArray>
#include <QString>

namespace qm {

QString TrimBlanks(const QString& text);
QByteArray TrimBlanks(const QByteArray& text);

} // namespace qm
