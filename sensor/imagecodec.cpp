#include "sensor/imagecodec.h"

#include "core/blanks.h"
#include "core/codepage1250.h"
#include "core/hex.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "sensor/recordrules.h"

#include <cmath>

namespace qm {

namespace {

// Fixed offsets of the image.
constexpr int kOffGain = 4, kOffDescription = 8, kOffDecimals = 40, kOffUnit = 41,
              kOffSlideRychl = 47, kOffSlide = 48, kOffDateSaved = 49, kOffDateCreated = 55,
              kOffSerial = 61, kOffFullScale = 73, kOffSpare = 78, kOffKri = 96, kOffFlags = 99,
              kOffCount = 100, kOffPoints = 104;
constexpr int kMinImage = 255;

// A text field of the image: trimmed, cut to length, padded with blanks.
QByteArray FieldBytes(const QString& text, int length) {
    QByteArray b = ToWindows1250(TrimBlanks(text)).left(length);
    return b + QByteArray(length - b.size(), ' ');
}

int Byte(const QByteArray& image, int offset) {
    return static_cast<unsigned char>(image[offset]);
}

QString Text(const QByteArray& image, int offset, int length) {
    return FromWindows1250(image.mid(offset, length));
}

QString MaskOfDecimals(int decimals) {
    switch (decimals) {
    case 1:
        return QStringLiteral("####0.0");
    case 2:
        return QStringLiteral("###0.00");
    case 3:
        return QStringLiteral("##0.000");
    case 4:
        return QStringLiteral("#0.0000");
    case 5:
        return QStringLiteral("0.00000");
    case 6: // a 6-digit display's; read as anything else it would be saved without decimals
        return QStringLiteral("0.000000");
    default:
        return QStringLiteral("######0");
    }
}

} // namespace

QByteArray ToImageText(const QString& text) {
    return ToWindows1250(text);
}

QString FromImageText(const QByteArray& bytes) {
    return FromWindows1250(bytes);
}

QByteArray DevFloatBytes(double v, int bytes) {
    if (bytes != 3 && bytes != 4) return {};
    const int m = 8 * (bytes - 1);
    // NaN and values below the smallest exponent have no device form: they store 0.
    if (v == 0 || std::isnan(v)) return QByteArray(bytes, '\0');
    // frexp gives the device's normal form a = f x 2^e, f in [0.5, 1), exactly;
    // the exponent from a float-rounded log2 is one too big for values a few
    // ulps below a power of two, which would store them as twice their size.
    int e = 128;
    long long M = 0;
    if (!std::isinf(v)) M = std::llround(std::ldexp(std::frexp(std::fabs(v), &e), m));
    if (M >= (1LL << m)) { // rounded up to the next power of two
        M = 1LL << (m - 1);
        ++e;
    }
    if (e < -127) return QByteArray(bytes, '\0');
    if (e > 127) { // saturate rather than wrap the exponent byte
        e = 127;
        M = (1LL << m) - 1;
    }
    M &= v > 0 ? (1LL << (m - 1)) - 1 : (1LL << m) - 1;
    QByteArray out(1, static_cast<char>(e + 128));
    for (int shift = m - 8; shift >= 0; shift -= 8)
        out += static_cast<char>((M >> shift) & 0xFF);
    return out;
}

double DevFloatFromBytes(QByteArrayView b) {
    if (b.size() != 3 && b.size() != 4) return 0;
    const int e = static_cast<uint8_t>(b[0]) - 128;
    if (e < -127) return 0;
    const int m = 8 * static_cast<int>(b.size() - 1);
    qint64 M = 0;
    for (qsizetype i = 1; i < b.size(); ++i)
        M = (M << 8) | static_cast<uint8_t>(b[i]);
    const bool negative = M & (1LL << (m - 1));
    const double f = std::ldexp(static_cast<double>(M | (1LL << (m - 1))), -m);
    return std::ldexp(negative ? -f : f, e);
}

EncodedImage EncodeImage(SensorRecord& rec, const QDate& today) {
    const int n = std::clamp(rec.PointCount, 0, SensorRecord::kMaxPoints);
    QByteArray out;
    out.reserve(kOffPoints + 8 * n);
    out += "FSN";
    out += '\x01';
    out += static_cast<char>(rec.GainIndex);
    out += QByteArray(3, '\0');

    // The record keeps the texts as the image holds them.
    const QByteArray description = FieldBytes(rec.Description, SensorRecord::kDescriptionLen);
    rec.Description = FromWindows1250(description);
    out += description;
    out += static_cast<char>(FormatDecimals(rec.Format));
    const QByteArray unit = FieldBytes(rec.Unit, SensorRecord::kUnitLen);
    rec.Unit = FromWindows1250(unit);
    out += unit;
    out += static_cast<char>(rec.AveragingSpeed);
    out += static_cast<char>(rec.Averaging);

    out += DateYYMMDD(today).toLatin1();
    out += ToWindows1250(PadField(rec.DateCreated, SensorRecord::kDateLen));
    out += ToWindows1250(PadField(rec.SerialNo, SensorRecord::kSerialLen));

    out += "\xA0\x80";
    out += QByteArray(2, '\0');
    out += DevFloatBytes(rec.FullScale, 4);
    out += '\x81';
    out += SingleBytes(rec.SpareSingle);
    out += QByteArray(14, '\0');

    out += "KRI";
    // Numbers are always written with 4 bytes, two per point: the flags say so.
    rec.Flags = static_cast<uint8_t>((rec.Flags & ~kFlag3Numbers) | kFlag4Byte);
    out += static_cast<char>(rec.Flags);
    out += static_cast<char>(n);
    out += QByteArray(3, '\0');
    for (int i = 0; i < n; ++i) {
        out += DevFloatBytes(rec.Signal[i], 4);
        out += DevFloatBytes(rec.Value[i], 4);
    }
    return {out, 72 + 8 * n};
}

QString SerialField(const QByteArray& image) {
    if (!image.startsWith("FSN") || image.size() < kOffSerial + SensorRecord::kSerialLen) return {};
    return TrimBlanks(Text(image, kOffSerial, SensorRecord::kSerialLen)).trimmed();
}

int DecodeImage(const QByteArray& image, SensorRecord& rec, int group, int sub) {
    if (image.size() < kMinImage) return kDecodeTooShort;
    rec.PointCount = 0;
    if (!image.startsWith("FSN")) return kDecodeNoFsn;

    rec.GainIndex = Byte(image, kOffGain) & 7;
    rec.Description =
        PadField(TrimBlanks(Text(image, kOffDescription, 32)), SensorRecord::kDescriptionLen);
    rec.Format = PadField(MaskOfDecimals(Byte(image, kOffDecimals)), SensorRecord::kFormatLen);
    rec.Unit = PadField(TrimBlanks(Text(image, kOffUnit, 6)), SensorRecord::kUnitLen);
    rec.AveragingSpeed = Byte(image, kOffSlideRychl);
    if (rec.AveragingSpeed == 0) rec.AveragingSpeed = 10;
    rec.Averaging = Byte(image, kOffSlide);
    if (rec.Averaging == 0) rec.Averaging = 10;
    rec.DateSaved = Text(image, kOffDateSaved, SensorRecord::kDateLen);
    rec.DateCreated = Text(image, kOffDateCreated, SensorRecord::kDateLen);
    rec.SerialNo = Text(image, kOffSerial, SensorRecord::kSerialLen);
    rec.FullScale =
        static_cast<float>(DevFloatFromBytes(QByteArrayView(image).sliced(kOffFullScale, 4)));
    rec.SpareSingle = SingleFromBytes(QByteArrayView(image).sliced(kOffSpare, 4), false);

    if (TrimBlanks(Text(image, kOffKri, 3)) != u"KRI") return kDecodeNoKri;
    rec.Flags = static_cast<uint8_t>(Byte(image, kOffFlags));
    if (!(rec.Flags & kFlagValid)) return kDecodeNoValidFlag;
    const int n = Byte(image, kOffCount);
    if (n < 2 || n > SensorRecord::kMaxPoints) return kDecodeBadCount;

    const int b = (rec.Flags & kFlag4Byte) ? 4 : 3;
    const int stride = (rec.Flags & kFlag3Numbers) ? 3 * b : 2 * b;
    if (kOffPoints + n * stride > image.size()) return kDecodePointsPastEnd;
    rec.Signal.fill(0);
    rec.Value.fill(0);
    for (int i = 0; i < n; ++i) {
        const int at = kOffPoints + i * stride;
        rec.Signal[i] = static_cast<float>(DevFloatFromBytes(QByteArrayView(image).sliced(at, b)));
        rec.Value[i] =
            static_cast<float>(DevFloatFromBytes(QByteArrayView(image).sliced(at + b, b)));
    }
    rec.PointCount = n;
    if (rec.FullScale == 0) rec.FullScale = rec.Value[n - 1];
    rec.MemGroup = group;
    rec.MemSub = sub;
    return n;
}

int DecodePaddedImage(const QByteArray& image, SensorRecord& rec, int group, int sub) {
    QByteArray block = image.left(kBlockBytes);
    block.append(QByteArray(kBlockBytes - block.size(), '\0'));
    return DecodeImage(block, rec, group, sub);
}

} // namespace qm
