#include "sensor/reader.h"

#include "core/hex.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "device/deviceconnection.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/recordrules.h"

#include <QStringList>

namespace qm {

namespace {

QString lang(const ReadContext& ctx, int n) {
    return ctx.lang.text(n);
}

// Yes/No/Cancel/Retry with an exclamation icon, No the default: defaults
// replace the sensor's data only on a deliberate Yes. Without a sink nothing is replaced.
MsgButton askForDefaults(ReadContext& ctx, int textNo) {
    if (!ctx.messages) return MsgNo;
    const Message m{lang(ctx, textNo), MsgIcon::Exclamation, MsgYes | MsgNo | MsgCancel | MsgRetry,
                    MsgNo};
    return ctx.messages->show(m);
}

void noteFailed(QString* failed, const QString& exchange) {
    if (failed && failed->isEmpty()) *failed = exchange;
}

// Reads one block into the session's MemoryImage and decodes it into rec. A
// block that did not arrive is not decoded: the record is emptied and
// MemoryImage cleared, so stale bytes are neither shown as the sensor's nor
// able to make a later save look unchanged.
int readBlock(ReadContext& ctx, SensorSession& s, SensorRecord& rec, int group, QString* failed) {
    QByteArray image;
    if (ctx.link.readBlock(image, kDeviceAddress, group, 0) != kBlockRead) {
        noteFailed(failed, QStringLiteral("block 0x%1 (KB)").arg(HexN(BlockNumber(group, 0), 2)));
        s.MemoryImage.clear();
        rec = SensorRecord{};
        rec.MemGroup = group;
        return kReadBlockFailed;
    }
    s.MemoryImage = image;
    const int r = DecodeImage(s.MemoryImage, rec, group, 0);
    // A refused image still names the block it came from, so that a save of
    // the partly decoded record never goes to the other memory.
    rec.MemGroup = group;
    rec.MemSub = 0;
    return r;
}

// Reads the block; after a failure asks, reading again while the answer is Retry.
int readBlockOrAsk(ReadContext& ctx, SensorSession& s, SensorRecord& rec, int group, int textNo,
                   bool& defaulted, QString* failed) {
    for (;;) {
        const int r = readBlock(ctx, s, rec, group, failed);
        if (r >= 0) return r;
        const MsgButton answer = askForDefaults(ctx, textNo);
        if (answer == MsgRetry) continue;
        defaulted = answer == MsgYes;
        return r;
    }
}

void takeConstants(ReadContext& ctx, SensorSession& s) {
    s.k = ValDot(ctx.ui.constantKText());
    s.N = ValDot(ctx.ui.constantNText());
}

} // namespace

QStringList FormatListFor(int digits) {
    if (digits == 6)
        return {QStringLiteral("999999"),  QStringLiteral("99999.9"), QStringLiteral("9999.99"),
                QStringLiteral("999.999"), QStringLiteral("99.9999"), QStringLiteral("9.99999"),
                QStringLiteral("0.999999")};
    return {QStringLiteral("99999"),  QStringLiteral("9999.9"), QStringLiteral("999.99"),
            QStringLiteral("99.999"), QStringLiteral("9.9999"), QStringLiteral("0.99999")};
}

int ReadQM07(ReadContext& ctx, SensorSession& s, QString* ident, QString* failed) {
    ReadUi& ui = ctx.ui;
    ui.showStatus(true);
    ui.setStatusText(lang(ctx, 30));
    if (!ctx.link.isOpen()) {
        if (ctx.messages)
            ctx.messages->critical(lang(ctx, 31) + QStringLiteral(" (COM") +
                                   QString::number(ctx.link.port()) + QStringLiteral(") ") +
                                   lang(ctx, 32));
        ui.setStatusText(lang(ctx, 33));
        return -1;
    }
    const QString progress = lang(ctx, 34);
    ui.setStatusText(progress + QStringLiteral(" 5%"));
    const QString reply = QString::fromLatin1(ctx.link.identify());
    if (ident) *ident = reply;
    ui.setStatusText(progress + QStringLiteral(" 10%"));
    if (reply.size() < 9) {
        ui.showStatus(false);
        return -3;
    }
    if (!reply.toUpper().contains(QLatin1String("QM"))) {
        ui.showStatus(false);
        if (ctx.messages) ctx.messages->critical(lang(ctx, 35));
        return -2;
    }
    const int digits = ctx.link.eeRead(kDeviceAddress, kAddrDisplayDigits, kEETimeoutMs);
    ui.setStatusText(progress + QStringLiteral(" 15%"));
    if (digits < 0) noteFailed(failed, QStringLiteral("the display digits (ER 20)"));
    s.DisplayDigits = digits == 6 ? 6 : 5;
    ui.setFormatList(s.DisplayDigits);
    ui.setStatusText(progress + FormatMask(20, QStringLiteral("##0")) + QStringLiteral("%"));
    bool nRead = false, kRead = false;
    const double n = ctx.link.eeReadSingle(kDeviceAddress, kAddrZeroCount, kEETimeoutMs, &nRead);
    if (!nRead) noteFailed(failed, QStringLiteral("the zero count N (ER 90)"));
    const double k = ctx.link.eeReadSingle(kDeviceAddress, kAddrMultiplier, kEETimeoutMs, &kRead);
    if (!kRead) noteFailed(failed, QStringLiteral("the multiplier k (ER 94)"));
    ui.setConstantsText(FormatGeneral(n), FormatMask(k, QStringLiteral("0.000000 E-0")));
    ui.showStatus(false);
    return 1;
}

SensorReadReport ReadSensor(ReadContext& ctx, SensorSession& s) {
    SensorReadReport report;
    if (!ctx.link.isOpen()) {
        report.failed = QStringLiteral("the iTag query (the line was lost)");
        return report;
    }
    ReadUi& ui = ctx.ui;
    ui.showStatus(true);
    ui.setStatusText(lang(ctx, 36));
    s.DeviceRecord = SensorRecord{};
    ui.stopLiveTimer();
    ctx.link.clock().processEvents();

    const QByteArray tagReply = ctx.link.queryTag();
    s.TagPresent = static_cast<uint8_t>(TagPresentFromReply(tagReply));
    if (!ParseByteReply(tagReply))
        noteFailed(&report.failed, QStringLiteral("the iTag query (KQ)"));

    report.deviceResult = readBlockOrAsk(ctx, s, s.DeviceRecord, kGroupDevice, 76,
                                         report.deviceDefaulted, &report.failed);
    takeConstants(ctx, s);
    if (report.deviceDefaulted) LoadDefaultRecord(s, 0, ctx.today);
    s.CurrentRecord = s.DeviceRecord;

    if (s.TagPresent == 1) {
        report.tagResult =
            readBlockOrAsk(ctx, s, s.TagRecord, kGroupTag, 77, report.tagDefaulted, &report.failed);
        takeConstants(ctx, s);
        if (report.tagDefaulted) LoadDefaultRecord(s, 1, ctx.today);
        s.CurrentRecord = s.TagRecord;
    }
    ui.setStatusText(lang(ctx, 37));
    ui.showStatus(false);
    ui.constantsRead();
    return report;
}

int ReadAll(ReadContext& ctx, SensorSession& s, QString* ident, SensorReadReport* report) {
    ctx.ui.lockButtons(true);
    ctx.ui.stopLiveTimer();
    ctx.link.clock().delay(200);
    QString failed;
    const int r = ReadQM07(ctx, s, ident, &failed);
    if (r < 0) {
        ctx.ui.lockButtons(false);
        return r;
    }
    SensorReadReport got = ReadSensor(ctx, s);
    if (!failed.isEmpty()) got.failed = failed;
    if (report) *report = got;
    ctx.ui.updateCalibration();
    ctx.ui.lockButtons(false);
    return 1;
}

} // namespace qm
