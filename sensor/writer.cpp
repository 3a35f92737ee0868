#include "sensor/writer.h"

#include "core/messages.h"
#include "device/deviceconnection.h"
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

QString BackupSavedText(const QString& path) {
    return QStringLiteral("The previous contents were saved to %1.").arg(path);
}

QString ReadBackText(const SaveReport& report) {
    const QString saved = BackupSavedText(report.backupPath);
    switch (report.readBack) {
    case ReadBack::Differs:
        return QStringLiteral("The sensor memory does not hold what was written (first difference "
                              "at byte %1). ")
                   .arg(report.firstDifference) +
               saved;
    case ReadBack::Missing:
        return QStringLiteral("The sensor memory could not be read back after writing, so the "
                              "write is not confirmed. ") +
               saved;
    case ReadBack::NotWritten:
    case ReadBack::Agrees:
        break;
    }
    return {};
}

QString RefusedText(const LangTable& lang, const QString& refusal) {
    return lang.text(kTextNotStorable) + QLatin1Char('\n') + refusal + QLatin1Char('.');
}

QString NoBackupText(const QString& reason) {
    return QStringLiteral("Nothing was written: the sensor memory could not be saved first (%1).")
        .arg(reason);
}

namespace {

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

int WriteBlockVerified(ReadContext& ctx, SensorSession& s, int group, const QByteArray& image,
                       const BackupResult& backup, SaveReport& report,
                       const WriteProgress& progress) {
    report = SaveReport{};
    if (!backup.ok) {
        report.backupError = backup.error.isEmpty() ? QStringLiteral("no backup") : backup.error;
        return kSaveWriteFailed;
    }
    report.backupPath = backup.path;

    ctx.ui.showStatus(true);
    ctx.ui.setStatusText(ctx.lang.text(52));
    report.writeResult = ctx.link.writeBlock(image, kDeviceAddress, group, 0, progress);
    ctx.ui.showStatus(false);
    if (report.writeResult != 0) return kSaveWriteFailed;

    ctx.ui.setStatusText(ctx.lang.text(29));
    ctx.link.reset();
    s.MemoryImage.clear();
    const int r = ReadAll(ctx, s);
    const QByteArray back = readBackImage(ctx, s, r, group);
    report.firstDifference = back.isEmpty() ? 0 : ReadBackDifference(image, back);
    report.readBack = back.isEmpty()               ? ReadBack::Missing
                      : report.firstDifference > 0 ? ReadBack::Differs
                                                   : ReadBack::Agrees;
    return kSaveWritten;
}

int SaveSensorCore(ReadContext& ctx, SensorSession& s, bool onlyIfChanged,
                   const WriteProgress& progress, int* writeResult, SaveReport* reportOut,
                   const QString& backupFolder) {
    SaveReport report;
    // The memory is the one the sensor was read from: never the iTag when
    // none was reported, whatever group a refused record holds.
    const bool toTag = s.TagPresent == 1;
    SensorRecord& target = toTag ? s.TagRecord : s.DeviceRecord;
    const int group = toTag ? kGroupTag : kGroupDevice;
    const QString storedSerial = target.SerialNo; // names the backup of what is stored
    target = s.CurrentRecord;
    target.MemGroup = group;

    ctx.ui.stopLiveTimer();
    ctx.link.clock().delay(250);
    ctx.ui.lockButtons(true);

    // Only bytes that fit the block and read back as the record go out.
    const CheckedImage checked = CheckedEncode(target, ctx.today);
    if (!checked.refusal.isEmpty()) {
        ctx.ui.lockButtons(false);
        report.notice = RefusedText(ctx.lang, checked.refusal);
        if (ctx.messages) ctx.messages->critical(report.notice);
        if (writeResult) *writeResult = 0;
        if (reportOut) *reportOut = report;
        return kSaveConvertFailed;
    }
    const EncodedImage encoded = EncodeImage(target, ctx.today);
    if (onlyIfChanged && CompareImages(encoded.image, s.MemoryImage) == 0) {
        ctx.ui.lockButtons(false);
        if (writeResult) *writeResult = 0;
        if (reportOut) *reportOut = report;
        return kSaveUnchanged;
    }
    // MemoryImage is the last image read from this very group (the reader
    // keeps the target's), or empty when that read failed.
    const QByteArray stored = s.MemoryImage;
    s.MemoryImage = encoded.image;

    const BackupResult backup = BackUpBlock(ctx, group, stored, storedSerial, backupFolder);
    const int result = WriteBlockVerified(ctx, s, group, encoded.image, backup, report, progress);
    if (writeResult) *writeResult = report.writeResult;
    if (!report.backupError.isEmpty()) {
        report.notice = NoBackupText(report.backupError);
        s.MemoryImage = stored;
        if (ctx.messages) ctx.messages->critical(report.notice);
    } else if (result != kSaveWritten) {
        // The sensor now holds a mix of old and new bytes: forget the image so
        // that the next save writes again instead of finding it unchanged.
        s.MemoryImage.clear();
        report.notice = withCode(ctx.lang.text(47), report.writeResult) + QLatin1Char('\n') +
                        BackupSavedText(report.backupPath);
        if (ctx.messages) ctx.messages->show({report.notice, MsgIcon::None, MsgOk, MsgOk});
    } else if (report.readBack != ReadBack::Agrees) {
        report.notice = ReadBackText(report);
        if (ctx.messages) ctx.messages->critical(report.notice);
    }
    ctx.ui.lockButtons(false);
    if (reportOut) *reportOut = report;
    return result;
}

} // namespace qm
