#pragma once
// The check before a record goes into a sensor: the exact bytes must fit the
// block and read back as the same record, so nothing is written that the
// device would refuse or keep otherwise.
#include "sensor/sensorrecord.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>

namespace qm {

// The first character of text that a stored text cannot hold: one outside
// windows-1250 (it would become "?") or a control character.
std::optional<char32_t> FirstUnstorable(QStringView text);
// A character so that it can be found again: its glyph and its code point.
QString DescribeCharacter(char32_t c);

struct CheckedImage {
    QByteArray image;    // EncodeImage's bytes, when refusal is empty
    SensorRecord record; // the record as encoded (texts as the image holds them)
    QString refusal;     // one line naming the field; empty when the image may be written
};

// Encodes a copy of rec dated today and checks it: every text storable, the
// image no longer than a block, and the block it gives decoding back to rec
// field by field (DateSaved, MemGroup and MemSub aside).
CheckedImage CheckedEncode(const SensorRecord& rec, const QDate& today);

} // namespace qm
