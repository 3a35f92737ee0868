#include "sensor/writer.h"

#include "device/deviceconnection.h"
#include "sensor/changedbytes.h"
#include "sensor/imagecheck.h"
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

int ReadBackDifference(const QByteArray& written, const QByteArray& readBack) {
    for (qsizetype i = 0; i < written.size(); ++i)
        if (i >= readBack.size() || written[i] != readBack[i]) return static_cast<int>(i + 1);
    return 0;
}

namespace {

void stage(const ReadContext& ctx, SensorStage st) {
    if (ctx.onStage) ctx.onStage(st);
}

// The block as it stands after the read-back: ReadAll's image when it read
// that group (MemoryImage was emptied before, so only bytes from the device
// count), else the block once more on its own; empty when it cannot be read.
QByteArray readBackImage(ReadContext& ctx, const SensorSession& s, int readAll, int group) {
    if (readAll == 1 && !s.LastReadImage(group).isEmpty()) return s.MemoryImage;
    QByteArray image;
    if (ctx.link.readBlock(image, kDeviceAddress, group, 0) != kBlockRead) return {};
    return image;
}

} // namespace

SaveReport WriteBlockVerified(ReadContext& ctx, SensorSession& s, int group,
                              const QByteArray& image, const BackupResult& backup,
                              const WriteProgress& progress, bool allBytes) {
    SaveReport report;
    report.group = group;
    report.imageAfter = image;
    report.result = kSaveWriteFailed;
    if (!backup.ok) {
        report.backupError = backup.error.isEmpty() ? QStringLiteral("no backup") : backup.error;
        return report;
    }
    report.backupPath = backup.path;
    report.imageBefore = backup.bytes;

    // The backup's block was read twice alike, so a byte it holds already is not sent.
    const bool trusted = !allBytes && backup.bytes.size() == kBlockBytes;
    const QList<int> offsets = ChangedOffsets(trusted ? backup.bytes : QByteArray(), image);
    stage(ctx, SensorStage::Writing);
    report.writeResult =
        ctx.link.writeBytes(image, offsets, kDeviceAddress, group, 0, progress, &report.bytesSent);
    stage(ctx, SensorStage::Written);
    if (report.writeResult != 0) return report;

    stage(ctx, SensorStage::Resetting);
    ctx.link.reset();
    s.MemoryImage.clear();
    const int r = ReadAll(ctx, s);
    const QByteArray back = readBackImage(ctx, s, r, group);
    report.result = kSaveWritten;
    // Every byte of the block counts: an unsent one must still hold what it held.
    const QByteArray expected = BlockAfterWrite(backup.bytes, image);
    report.firstDifference = back.isEmpty() ? 0 : ReadBackDifference(expected, back);
    report.readBack = back.isEmpty()               ? ReadBack::Missing
                      : report.firstDifference > 0 ? ReadBack::Differs
                                                   : ReadBack::Agrees;
    return report;
}

SaveReport SaveSensorCore(ReadContext& ctx, SensorSession& s, const SaveRequest& request) {
    // The memory is the one the sensor was read from: never the iTag when
    // none was reported, whatever group a refused record holds.
    const bool toTag = s.TagPresent == 1;
    SensorRecord& target = toTag ? s.TagRecord : s.DeviceRecord;
    const int group = toTag ? kGroupTag : kGroupDevice;
    const QString storedSerial = target.SerialNo; // names the backup of what is stored
    target = s.CurrentRecord;
    target.MemGroup = group;
    ctx.link.clock().delay(250);

    SaveReport report;
    report.group = group;
    // Only bytes that fit the block and read back as the record go out.
    const CheckedImage checked = CheckedEncode(target, ctx.today);
    if (!checked.refusal.isEmpty()) {
        report.result = kSaveConvertFailed;
        report.refusal = checked.refusal;
        return report;
    }
    target = checked.record;
    if (request.onlyIfChanged && CompareImages(checked.image, s.MemoryImage) == 0) return report;
    // MemoryImage is the last image read from this very group (the reader
    // keeps the target's), or empty when that read failed.
    const QByteArray stored = s.MemoryImage;
    s.MemoryImage = checked.image;

    const BackupResult backup = BackUpBlock(ctx, group, stored, storedSerial, request.backupFolder);
    report = WriteBlockVerified(ctx, s, group, checked.image, backup, request.progress,
                                request.allBytes);
    if (!report.backupError.isEmpty()) {
        s.MemoryImage = stored;
    } else if (report.result != kSaveWritten) {
        // The sensor now holds a mix of old and new bytes: forget the image so
        // that the next save writes again instead of finding it unchanged.
        s.MemoryImage.clear();
    }
    return report;
}

} // namespace qm
