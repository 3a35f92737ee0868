#pragma once
// Fixed-width hexadecimal texts, as the device protocol frames them.
#include <QString>
#include <QtGlobal>

namespace qm {

// Upper-case hex of the 32-bit value v (two's complement), zero padded and cut
// to its rightmost w characters: HexN(10,2)="0A", HexN(256,2)="00", HexN(-1,2)="FF".
QString HexN(qint64 v, int w);

// Value of a hex text, 0 when any character is not a hex digit or the text is empty.
qint64 HexVal(QStringView text);

// The four bytes of an IEEE single in memory order (least significant first).
QString SingleToHex(float x);

// Eight hex digits as an IEEE single; msbFirst: the first pair is the most
// significant byte. Shorter texts read their missing pairs as 0.
float HexToSingle(QStringView text, bool msbFirst);

} // namespace qm
