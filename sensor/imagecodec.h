#pragma once
// The configuration image as the device stores it, and its compact floats.
#include "sensor/sensorrecord.h"

#include <QByteArray>
#include <QDate>

namespace qm {

// Decoder results (negative: the image is refused).
enum DecodeResult : int {
    kDecodeTooShort = -30,
    kDecodeNoKri = -32,
    kDecodeBadCount = -33,
    kDecodeNoFsn = -34,
    kDecodeNoValidFlag = -43,
    kDecodePointsPastEnd = -35, // the declared points run past the end of the image
};
// Every failure but kDecodeTooShort leaves PointCount 0 and the fields read
// before it; kDecodeTooShort leaves the record unchanged.

// The device's float: an exponent byte (excess 128), then a 2- or 3-byte
// mantissa whose top bit is the sign. bytes 3 or 4 (else empty). Values too
// small for the exponent byte, and NaN, store 0; values too big saturate at
// the largest magnitude.
QByteArray DevFloatBytes(double v, int bytes);
double DevFloatFromBytes(QByteArrayView b); // 3 or 4 bytes, else 0

struct EncodedImage {
    QByteArray image;
    int result = 0; // 72 + 8 x PointCount
};

// Stores the trimmed Description and Unit back into rec, clears bit 5 of Flags
// and sets bit 6 (the numbers are written with 4 bytes, whatever was read).
EncodedImage EncodeImage(SensorRecord& rec, const QDate& today);

int DecodeImage(const QByteArray& image, SensorRecord& rec, int group, int sub);

// An image that may end after its last point (or run past a block), decoded
// as the block it is written into holds it: its first 256 bytes, zeros after.
int DecodePaddedImage(const QByteArray& image, SensorRecord& rec, int group, int sub);

// The serial number field of an image as it stands, trimmed, whether or not
// the rest decodes (a block half-written still names its sensor); empty when
// the image is too short or does not start with "FSN".
QString SerialField(const QByteArray& image);

// Texts of the image are single bytes in windows-1250; unknown characters become '?'.
QByteArray ToImageText(const QString& text);
QString FromImageText(const QByteArray& bytes);

} // namespace qm
