#pragma once
// windows-1250, the single-byte code page of the sensor's stored texts. Our own
// table, so that no platform codec (ICU) is needed to read a sensor.
#include <QByteArray>
#include <QString>

namespace qm {

// One byte per character; a character that has no byte in the code page becomes '?'.
QByteArray ToWindows1250(QStringView text);

// Every byte gives one character; the five bytes the code page leaves
// undefined map to the control characters of the same number, so any byte
// string reads back to itself.
QString FromWindows1250(const QByteArray& bytes);

} // namespace qm
