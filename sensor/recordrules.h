#pragma once
// The default record and the serial number rules.
#include "sensor/sensorrecord.h"

#include <QDate>
#include <QDateTime>
#include <functional>

namespace qm {

// "YYMMDD" of a date.
QString DateYYMMDD(const QDate& d);

// Fills rec as the default of its kind; the curve is the two points given.
// SerialNo and GainIndex are left as they were.
void MakeDefaultRecord(SensorRecord& rec, const QString& description, float signal0, float value0,
                       float signal1, float value1, int slide, const QString& format,
                       const QString& unit, int slideRychl, int group, int sub, uint8_t flags,
                       const QDate& today);

// which 0: DeviceRecord (group 4), 1: TagRecord (group 0), else nothing.
void LoadDefaultRecord(SensorSession& s, int which, const QDate& today);

// random() gives a number in [0, 1); the default uses a generator seeded from the clock.
using RandomSource = std::function<double()>;

QString MakeSerial(const QDateTime& now, const QString& prefix, int digit,
                   const RandomSource& random = {});

// The serial number to store: unchanged when valid, else a new one.
QString CheckSerial(const QString& serial, const QDateTime& now, const RandomSource& random = {});

// Pads (or cuts) a text field to its fixed length with spaces.
QString PadField(const QString& text, int length);

} // namespace qm
