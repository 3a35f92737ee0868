#include "sensor/reader.h"

#include "device/agreedreads.h"
#include "device/deviceconnection.h"
#include "device/protocol.h"
#include "sensor/imagecodec.h"
#include "sensor/recordrules.h"

#include <iterator>

namespace qm {

namespace {

void stage(const ReadContext& ctx, SensorStage st) {
    if (ctx.onStage) ctx.onStage(st);
}

void noteGap(SensorReadReport& report, ReadGap gap, int block = 0) {
    if (report.gap != ReadGap::None) return;
    report.gap = gap;
    report.gapBlock = block;
}

// Reads one block into the session's MemoryImage and decodes it into rec. A
// block that did not arrive is not decoded: the record is emptied and
// MemoryImage cleared, so stale bytes are neither shown as the sensor's nor
// able to make a later save look unchanged.
int readBlock(ReadContext& ctx, SensorSession& s, SensorRecord& rec, int group,
              SensorReadReport& report) {
    QByteArray image;
    if (AgreedBlock(ctx.link, image, group) != kBlockRead) {
        noteGap(report, ReadGap::Block, BlockNumber(group, 0));
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

// Reads the block and decodes it into the group's record; a bad one is put
// to the caller, and read again while the answer is ReadAgain. Defaults
// replace the sensor's data only when the caller chooses them.
int readRecord(ReadContext& ctx, SensorSession& s, int group, bool& defaulted,
               SensorReadReport& report) {
    SensorRecord& rec = group == kGroupTag ? s.TagRecord : s.DeviceRecord;
    for (;;) {
        const int r = readBlock(ctx, s, rec, group, report);
        if (r >= 0) return r;
        const BadImageChoice choice = ctx.onBadImage ? ctx.onBadImage(group) : BadImageChoice::Keep;
        if (choice == BadImageChoice::ReadAgain) continue;
        defaulted = choice == BadImageChoice::LoadDefaults;
        if (defaulted) LoadDefaultRecord(s, group == kGroupTag ? 1 : 0, ctx.today);
        return r;
    }
}

int unclear(const ReadContext& ctx, SensorReadReport& report, ReadGap gap) {
    noteGap(report, gap);
    stage(ctx, SensorStage::Unclear);
    return kReadUnclear;
}

int readDevice(ReadContext& ctx, SensorSession& s, SensorReadReport& report) {
    stage(ctx, SensorStage::Connecting);
    if (!ctx.link.isOpen()) {
        stage(ctx, SensorStage::LineClosed);
        return -1;
    }
    stage(ctx, SensorStage::Identifying);
    report.ident = QString::fromLatin1(ctx.link.identify());
    stage(ctx, SensorStage::Identified);
    if (report.ident.size() < 9 || !report.ident.toUpper().contains(QLatin1String("QM"))) {
        stage(ctx, SensorStage::Unidentified);
        return report.ident.size() < 9 ? -3 : -2;
    }
    // A device that identified itself and then falls silent stops the read
    // here: nothing behind a missing answer is the device's.
    const std::optional<int> digits = AgreedByte(ctx.link, kAddrDisplayDigits);
    if (!digits) return unclear(ctx, report, ReadGap::DisplayDigits);
    s.DisplayDigits = digits == 6 ? 6 : 5;
    stage(ctx, SensorStage::DigitsRead);
    const std::optional<double> n = AgreedSingle(ctx.link, kAddrZeroCount);
    if (!n) return unclear(ctx, report, ReadGap::ZeroCount);
    s.N = *n;
    const std::optional<double> k = AgreedSingle(ctx.link, kAddrMultiplier);
    if (!k) return unclear(ctx, report, ReadGap::Multiplier);
    s.k = *k;
    stage(ctx, SensorStage::DeviceRead);
    return 1;
}

int readSensor(ReadContext& ctx, SensorSession& s, SensorReadReport& report) {
    if (!ctx.link.isOpen()) return unclear(ctx, report, ReadGap::LineLost);
    stage(ctx, SensorStage::ReadingSensor);
    s.DeviceRecord = SensorRecord{};
    ctx.link.clock().processEvents();

    // Which memory the calibration goes to: never guessed from one reply.
    const std::optional<int> tag = AgreedTagQuery(ctx.link);
    if (!tag) return unclear(ctx, report, ReadGap::TagQuery);
    s.TagPresent = static_cast<uint8_t>(*tag & 1);

    stage(ctx, SensorStage::ReadingDeviceBlock);
    report.deviceResult = readRecord(ctx, s, kGroupDevice, report.deviceDefaulted, report);
    s.CurrentRecord = s.DeviceRecord;
    if (s.TagPresent == 1) {
        stage(ctx, SensorStage::ReadingTag);
        report.tagResult = readRecord(ctx, s, kGroupTag, report.tagDefaulted, report);
        s.CurrentRecord = s.TagRecord;
    }
    stage(ctx, SensorStage::SensorRead);
    return 1;
}

} // namespace

QString GapRequest(ReadGap gap) {
    static const char* const kRequests[] = {"", "ER 20", "ER 90", "ER 94", "KQ", "KQ", "KB"};
    static_assert(std::size(kRequests) == static_cast<size_t>(ReadGap::Block) + 1);
    return QString::fromLatin1(kRequests[static_cast<int>(gap)]);
}

QStringList FormatListFor(int digits) {
    if (digits == 6)
        return {QStringLiteral("999999"),  QStringLiteral("99999.9"), QStringLiteral("9999.99"),
                QStringLiteral("999.999"), QStringLiteral("99.9999"), QStringLiteral("9.99999"),
                QStringLiteral("0.999999")};
    return {QStringLiteral("99999"),  QStringLiteral("9999.9"), QStringLiteral("999.99"),
            QStringLiteral("99.999"), QStringLiteral("9.9999"), QStringLiteral("0.99999")};
}

int ReadAll(ReadContext& ctx, SensorSession& s, SensorReadReport* reportOut) {
    SensorReadReport report;
    ctx.link.clock().delay(200);
    int r = readDevice(ctx, s, report);
    if (r == 1) r = readSensor(ctx, s, report);
    if (r == 1) stage(ctx, SensorStage::Done);
    if (reportOut) *reportOut = report;
    return r;
}

} // namespace qm
