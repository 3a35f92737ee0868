// Any bytes as a record in JSON: the reader never crashes, and a record it
// accepts and the write check passes gives a block that decodes to what it means.
#include "cli/recordjson.h"
#include "core/numformat.h"
#include "sensor/imagecheck.h"
#include "sensor/imagecodec.h"

#include <cstdlib>

using namespace qm;

namespace {
// A record as the sensor understands it: a stored averaging of 0 counts 10
// readings, a full scale of 0 is the last point's value, and -0 is 0.
SensorRecord meaning(SensorRecord r) {
    const auto plain = [](float& v) { v += 0.0f; };
    if (r.Averaging == 0) r.Averaging = 10;
    if (r.AveragingSpeed == 0) r.AveragingSpeed = 10;
    if (r.FullScale == 0 && r.PointCount >= 1 && r.PointCount <= SensorRecord::kMaxPoints)
        r.FullScale = r.Value[r.PointCount - 1];
    plain(r.FullScale);
    plain(r.SpareSingle);
    for (float& v : r.Signal)
        plain(v);
    for (float& v : r.Value)
        plain(v);
    return r;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QDate today(2026, 12, 4);
    SensorRecord rec;
    if (!RecordFromJsonText(json, today, rec, nullptr)) return 0;
    const CheckedImage checked = CheckedEncode(rec, today);
    if (!checked.refusal.isEmpty()) return 0;
    if (checked.image.size() > 256) std::abort();
    SensorRecord back;
    if (DecodeImage(checked.image.leftJustified(256, '\0'), back, rec.MemGroup, rec.MemSub) !=
        rec.PointCount)
        std::abort();
    // What the encoder renews or writes its own way: the date, the flag bits
    // of its number format, the mask spelled as the decimals byte reads back.
    back.DateSaved = rec.DateSaved;
    back.Flags = rec.Flags = uint8_t((rec.Flags & ~kFlag3Numbers) | kFlag4Byte);
    if (FormatDecimals(back.Format) == FormatDecimals(rec.Format)) back.Format = rec.Format;
    if (RecordToJson(meaning(back)) != RecordToJson(meaning(rec))) std::abort();
    return 0;
}
