#include "sensor/writer.h"

#include "core/messages.h"
#include "device/seriallayer.h"
#include "sensor/imagecodec.h"

#include <algorithm>

namespace qm {

namespace {
// 1-based positions of the date of writing, renewed by every encoding.
constexpr int kDateFirst = 50, kDateLast = 55;
} // namespace

int CompareImages(const QByteArray& newImage, const QByteArray& oldImage) {
    if (newImage.isEmpty() || oldImage.isEmpty()) return 999;
    const int n = static_cast<int>(std::min(newImage.size(), oldImage.size()));
    for (int p = 1; p <= n; ++p) {
        if (p >= kDateFirst && p <= kDateLast) continue;
        if (newImage[p - 1] != oldImage[p - 1]) return p;
    }
    return 0;
}

int SaveSensorCore(ReadContext& ctx, SensorSession& s, bool onlyIfChanged,
                   const WriteProgress& progress, int* writeResult) {
    // The memory is the one the sensor was read from: never the iTag when
    // none was reported, whatever group a refused record holds.
    const bool toTag = s.TagPresent == 1;
    SensorRecord& target = toTag ? s.TagRecord : s.DeviceRecord;
    const int group = toTag ? kGroupTag : kGroupDevice;
    target = s.CurrentRecord;
    target.MemGroup = group;

    ctx.ui.stopLiveTimer();
    ctx.clock.delay(250);
    ctx.ui.lockButtons(true);

    const EncodedImage encoded = EncodeImage(target, ctx.today);
    if (onlyIfChanged && CompareImages(encoded.image, s.MemoryImage) == 0) {
        ctx.ui.lockButtons(false);
        return kSaveUnchanged;
    }
    s.MemoryImage = encoded.image;

    ctx.ui.showStatus(true);
    ctx.ui.setStatusText(ctx.lang.text(52));
    const int w = WriteConfigBlock(ctx.layer, ctx.clock, ctx.port, s.MemoryImage, kDeviceAddress,
                                   group, 0, progress);
    ctx.ui.showStatus(false);
    if (writeResult) *writeResult = w;
    if (w != 0) {
        // The sensor now holds a mix of old and new bytes: forget the image so
        // that the next save writes again instead of finding it unchanged.
        s.MemoryImage.clear();
        if (ctx.messages)
            ctx.messages->show({withCode(ctx.lang.text(47), w), MsgIcon::None, MsgOk, MsgOk});
        ctx.ui.lockButtons(false);
        return kSaveWriteFailed;
    }
    ctx.ui.setStatusText(ctx.lang.text(29));
    ResetDevice(ctx.layer, ctx.clock, ctx.port);
    ReadAll(ctx, s);
    ctx.ui.lockButtons(false);
    return kSaveWritten;
}

} // namespace qm
