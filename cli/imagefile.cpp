#include "cli/imagefile.h"

#include "cli/recordjson.h"
#include "device/protocol.h"
#include "sensor/imagecheck.h"
#include "sensor/imagecodec.h"

namespace qm::cli {

namespace {
constexpr int kImageHead = 104;   // the image's bytes before the curve
constexpr int kDeviceImage = 255; // the decoder's shortest image
} // namespace

ImageFile ReadImageFile(const QByteArray& content) {
    ImageFile f;
    f.result = DecodePaddedImage(content, f.rec, kGroupTag, 0);
    if (f.result < 1 || content.size() >= kDeviceImage) return f;
    const int b = (f.rec.Flags & kFlag4Byte) ? 4 : 3;
    const int stride = (f.rec.Flags & kFlag3Numbers) ? 3 * b : 2 * b;
    const qsizetype expected = kImageHead + qsizetype(stride) * f.result;
    if (content.size() != expected)
        f.misfit = QStringLiteral("%1 bytes is neither a 256-byte block nor an image of %2 bytes "
                                  "(104 + %3 x %4 points)")
                       .arg(content.size())
                       .arg(expected)
                       .arg(stride)
                       .arg(f.result);
    return f;
}

bool ImageFromJson(const QByteArray& json, const QDate& today, QByteArray& image, QString& error) {
    SensorRecord rec;
    if (!RecordFromJsonText(json, today, rec, &error)) return false;
    const CheckedImage checked = CheckedEncode(rec, today);
    error = checked.refusal;
    image = checked.image;
    return error.isEmpty();
}

} // namespace qm::cli
