#include "sensor/recordrules.h"

#include <QRandomGenerator>
#include <cmath>

namespace qm {

QString DateYYMMDD(const QDate& d) {
    const int yy = ((d.year() % 100) + 100) % 100;
    return QString::asprintf("%02d%02d%02d", yy, d.month(), d.day());
}

QString PadField(const QString& text, int length) {
    return text.leftJustified(length, u' ', true);
}

void MakeDefaultRecord(SensorRecord& rec, const QString& description, float signal0, float value0,
                       float signal1, float value1, int slide, const QString& format,
                       const QString& unit, int slideRychl, int group, int sub, uint8_t flags,
                       const QDate& today) {
    rec.Description = PadField(description, SensorRecord::kDescriptionLen);
    rec.Format = PadField(format, SensorRecord::kFormatLen);
    rec.Unit = PadField(unit, SensorRecord::kUnitLen);
    rec.Averaging = slide;
    rec.AveragingSpeed = slideRychl;
    rec.Flags = flags;
    rec.MemGroup = group;
    rec.MemSub = sub;
    rec.SpareSingle = 0;
    rec.FullScale = value1;
    rec.DateCreated = rec.DateSaved = DateYYMMDD(today);
    // Points past the two of the default curve are cleared, so that equal
    // defaults compare equal whatever the record held before.
    rec.Signal.fill(0);
    rec.Value.fill(0);
    rec.Signal[0] = signal0;
    rec.Value[0] = value0;
    rec.Signal[1] = signal1;
    rec.Value[1] = value1;
    rec.PointCount = 2;
    if (rec.FullScale == 0) rec.FullScale = rec.Value[1];
}

void LoadDefaultRecord(SensorSession& s, int which, const QDate& today) {
    SensorRecord* rec = which == 0 ? &s.DeviceRecord : which == 1 ? &s.TagRecord : nullptr;
    if (!rec) return;
    MakeDefaultRecord(*rec, QStringLiteral("Std mV/V"), 0, 0, 1.0f, 1.0f, 10,
                      QStringLiteral("#0.0000"), QStringLiteral("mVV"), 10, 0, 0, kOwnFlags, today);
    rec->MemGroup = which == 0 ? kGroupDevice : kGroupTag;
}

namespace {

// "A" to "Y": 65 + random x 24, rounded.
QChar RandomLetter(const RandomSource& random) {
    const double r = random ? random() : QRandomGenerator::global()->generateDouble();
    const long step = std::lround(std::clamp(r, 0.0, 1.0) * 24);
    return QChar(char16_t(65 + step));
}

} // namespace

QString MakeSerial(const QDateTime& now, const QString& prefix, int digit,
                   const RandomSource& random) {
    const QDate d = now.date();
    const QTime t = now.time();
    const int yearDigit = (((d.year() - 2000) % 16) + 16) % 16;
    const int slot = (t.hour() * 3600 + t.minute() / 3 + t.second() * 180) / 150;

    QString s;
    s += QString::number(yearDigit, 16).toUpper();
    s += QString::number(d.month(), 16).toUpper();
    s += QString::asprintf("%02d", d.day());
    s += QChar(char16_t(65 + slot / 24));
    s += QChar(char16_t(65 + slot % 24));
    s += prefix.isEmpty() ? RandomLetter(random) : prefix[0];
    const int last = std::abs(digit % 10);
    s += digit == 0 ? RandomLetter(random) : QChar(char16_t(u'0' + last));
    return s;
}

QString CheckSerial(const QString& serial, const QDateTime& now, const RandomSource& random) {
    const QString s =
        serial.size() == SensorRecord::kSerialLen ? serial : QStringLiteral("~0000000");
    const bool valid =
        std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'Z'; });
    return valid ? s : MakeSerial(now, QString(), 7, random);
}

} // namespace qm
