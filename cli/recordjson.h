#pragma once
// A SensorRecord as JSON: keys are the field names, texts without their
// padding blanks, Signal and Value hold PointCount numbers.
#include "sensor/sensorrecord.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>

namespace qm {

// The shortest number text that reads back to the same 32-bit float; JSON
// has no NaN or infinities, so those are the strings "NaN", "Infinity", "-Infinity".
QByteArray FloatJson(float v);

// A JSON string literal, quotes included.
QByteArray StringJson(const QString& s);

// The record as a JSON object in field order, pretty printed; every line after
// the first starts with indent blanks.
QByteArray RecordToJson(const SensorRecord& rec, int indent = 0);

// Sets the fields that obj names (others keep rec's values), padding texts to
// their fields. Refuses, with a one-line reason, unknown keys, wrong types,
// texts longer than their field, numbers that are not finite 32-bit floats,
// PointCount outside 2..40, GainIndex outside 0..7, byte fields outside
// 0..255 and curves whose length is not PointCount. rec is unchanged then.
bool RecordFromJson(const QJsonObject& obj, SensorRecord& rec, QString* error);

// A record from JSON text: a record object, or decode's output with the record
// under "record". Missing keys take the default iTag record's values (dated
// today). False with a one-line reason for bad JSON or a refused field.
bool RecordFromJsonText(const QByteArray& text, const QDate& today, SensorRecord& rec,
                        QString* error);

} // namespace qm
