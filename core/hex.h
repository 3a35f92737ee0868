#pragma once
// Fixed-width hexadecimal texts, as the device protocol frames them.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace qm {

// Upper-case hex of the 32-bit value v (two's complement), zero padded and cut
// to its rightmost w characters: HexN(10,2)="0A", HexN(256,2)="00", HexN(-1,2)="FF".
QString HexN(qint64 v, int w);

// Value of a hex text, 0 when any character is not a hex digit or the text is empty.
qint64 HexVal(QStringView text);

// The four bytes of an IEEE single in memory order (least significant first).
QByteArray SingleBytes(float x);
// Four bytes as an IEEE single; msbFirst: the first is the most significant.
// Missing bytes read as 0.
float SingleFromBytes(QByteArrayView bytes, bool msbFirst);

} // namespace qm
