// Any bytes as a configuration image: the decoder never crashes, and an image
// it accepts encodes to one that decodes to the same record.
#include "sensor/imagecodec.h"

#include <QDate>
#include <cmath>
#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SensorRecord rec;
    const int n = DecodeImage(image, rec, kGroupTag, 0);
    if (n <= 0) return 0;

    SensorRecord copy = rec;
    const QByteArray again = EncodeImage(copy, QDate(2026, 12, 4)).image;
    SensorRecord back;
    if (DecodeImage(again.leftJustified(256, '\xFF'), back, kGroupTag, 0) != n) std::abort();
    // The date of writing is today's; the encoder writes 4-byte numbers and says so.
    back.DateSaved = rec.DateSaved;
    back.Flags = rec.Flags;
    if (std::isnan(rec.SpareSingle)) back.SpareSingle = rec.SpareSingle = 0;
    if (!(back == rec)) std::abort();
    return 0;
}
