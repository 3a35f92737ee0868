#pragma once
// The Windows code pages of the font character sets, decoded with our own
// tables (windows-1250 in codepage1250.h, the others in codepages.cpp).
#include <QByteArray>
#include <QString>

namespace qm {

// 238 -> 1250, 204 -> 1251, 161 -> 1253, 162 -> 1254, 177 -> 1255, 178 -> 1256,
// 186 -> 1257, 222 -> 874; any other set -> 1252.
int CodePageOfCharset(int charset);

// Every byte gives one character; an unknown code page reads as 1252.
QString FromCodePage(const QByteArray& bytes, int codePage);

} // namespace qm
