#include "sensor/imagecheck.h"

#include "core/blanks.h"
#include "core/codepage1250.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/recordrules.h"

#include <charconv>

namespace qm {

namespace {

// The shortest text that reads back as the same number.
template <typename T> QString number(T v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, res.ptr - buf);
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Compares what a record says with what its block reads back as.
class Comparison {
  public:
    void text(const char* field, const QString& wrote, const QString& back, int length) {
        const QString w = TrimBlanks(wrote);
        if (!m_refusal.isEmpty()) return;
        if (w.size() > length)
            m_refusal = QStringLiteral("%1 %2 is longer than %3 characters")
                            .arg(QLatin1String(field), quoted(w))
                            .arg(length);
        else if (w != TrimBlanks(back))
            differs(field, quoted(w), quoted(TrimBlanks(back)));
    }
    // By meaning: -0 and 0 are the same number; NaN is no number the block can hold.
    template <typename T> void value(const QString& field, T wrote, T back) {
        if (!(wrote == back)) differs(field, number(wrote), number(back));
    }
    void differs(const QString& field, const QString& wrote, const QString& back) {
        if (m_refusal.isEmpty())
            m_refusal = QStringLiteral("%1 %2 would read back as %3").arg(field, wrote, back);
    }
    QString refusal() const { return m_refusal; }

  private:
    QString m_refusal;
};

// What a stored 0 stands for when the block is read.
int averagingMeant(int stored) {
    return stored == 0 ? 10 : stored;
}
float fullScaleMeant(const SensorRecord& rec) {
    const int last = rec.PointCount - 1;
    return rec.FullScale == 0 && last >= 0 && last < SensorRecord::kMaxPoints ? rec.Value[last]
                                                                              : rec.FullScale;
}

QString decodeRefusal(int result, const SensorRecord& rec) {
    switch (result) {
    case kDecodeNoValidFlag:
        return QStringLiteral("Flags %1 lacks bit 7 (128): the block would not be accepted")
            .arg(rec.Flags);
    case kDecodeBadCount:
    case kDecodePointsPastEnd:
        return QStringLiteral("PointCount %1 is outside 2..19").arg(rec.PointCount);
    default:
        return QStringLiteral("the image would not decode (%1)").arg(result);
    }
}

} // namespace

QString DescribeCharacter(char32_t c) {
    const QString glyph = c < 0x20 || c == 0x7F ? QString() : QString::fromUcs4(&c, 1) + u' ';
    return glyph + QStringLiteral("(U+%1)").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

std::optional<char32_t> FirstUnstorable(QStringView text) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        if (control || (c != u'?' && ToWindows1250(one) == "?")) return c;
    }
    return std::nullopt;
}

CheckedImage CheckedEncode(const SensorRecord& rec, const QDate& today) {
    CheckedImage out;
    // The typed texts are shown on the display: no control characters there.
    // The others are the sensor's own bytes and need only come back the same.
    const std::pair<const char*, const QString*> texts[] = {{"Popis", &rec.Description},
                                                            {"Jednotka", &rec.Unit}};
    for (const auto& [field, text] : texts) {
        if (const std::optional<char32_t> c = FirstUnstorable(*text)) {
            out.refusal = QStringLiteral("%1 holds the character %2, which the sensor memory "
                                         "cannot store")
                              .arg(QLatin1String(field), DescribeCharacter(*c));
            return out;
        }
    }
    out.record = rec;
    const QByteArray image = EncodeImage(out.record, today).image;
    if (image.size() > kBlockBytes) {
        out.refusal = QStringLiteral("PointCount %1: the points take %2 bytes, a block holds %3 "
                                     "(at most 19 points)")
                          .arg(rec.PointCount)
                          .arg(image.size())
                          .arg(kBlockBytes);
        return out;
    }
    SensorRecord back;
    const int r = DecodePaddedImage(image, back, rec.MemGroup, rec.MemSub);
    if (r < 1) {
        out.refusal = decodeRefusal(r, rec);
        return out;
    }
    Comparison c;
    c.text("Popis", rec.Description, back.Description, SensorRecord::kDescriptionLen);
    c.text("Jednotka", rec.Unit, back.Unit, SensorRecord::kUnitLen);
    c.text("SerialNo", rec.SerialNo, back.SerialNo, SensorRecord::kSerialLen);
    c.text("DateCreated", rec.DateCreated, back.DateCreated, SensorRecord::kDateLen);
    if (FormatDecimals(rec.Format) != FormatDecimals(back.Format))
        c.differs(QStringLiteral("Format"), quoted(TrimBlanks(rec.Format)),
                  quoted(TrimBlanks(back.Format)));
    c.value("GainIndex", rec.GainIndex, back.GainIndex);
    c.value("Slide", averagingMeant(rec.Averaging), back.Averaging);
    c.value("SlideRychl", averagingMeant(rec.AveragingSpeed), back.AveragingSpeed);
    c.value("Flags", out.record.Flags, back.Flags);
    c.value("PointCount", rec.PointCount, back.PointCount);
    c.value("FullScale", fullScaleMeant(rec), back.FullScale);
    c.value("SpareSingle", rec.SpareSingle, back.SpareSingle);
    for (int i = 0; i < rec.PointCount; ++i) {
        c.value(QStringLiteral("Signal[%1]").arg(i), rec.Signal[i], back.Signal[i]);
        c.value(QStringLiteral("Value[%1]").arg(i), rec.Value[i], back.Value[i]);
    }
    out.refusal = c.refusal();
    if (out.refusal.isEmpty()) out.image = image;
    return out;
}

} // namespace qm
