// The sensor's memory: serial numbers, the image codec, reading the device,
// and saving a change (the comparison, the backup first, the write, the read-back).
#include "core/codepage1250.h"
#include "device/protocol.h"
#include "sensor/backup.h"
#include "sensor/changedbytes.h"
#include "sensor/imagecheck.h"
#include "sensor/imagecodec.h"
#include "sensor/reader.h"
#include "sensor/recordrules.h"
#include "sensor/restoreblock.h"
#include "sensor/writer.h"
#include "sim/simtransport.h"
#include "support/files.h"
#include "support/layoutimage.h"
#include "support/recordingtransport.h"
#include "support/scriptedline.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace qm;
using namespace qm::testing;
using St = SensorStage;
using Stages = QList<SensorStage>;

namespace {

const QDate kToday(2026, 12, 4);
const QDateTime kNow(kToday, QTime(22, 30, 15));
const Stages kDeviceStages{St::Connecting, St::Identifying,   St::Identified,        St::DigitsRead,
                           St::DeviceRead, St::ReadingSensor, St::ReadingDeviceBlock};
enum Way { Both, Write, Read }; // a float written only, or read only

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray changedAt(QByteArray b, int position) {
    b[position - 1] = static_cast<char>(b[position - 1] ^ 0x5A);
    return b;
}

// An image with 3-byte numbers for the given flags: n points of (i, 10 i, 99).
QByteArray ThreeByteImage(uint8_t flags, int n) {
    QByteArray img = LayoutImage().left(99) + char(flags) + char(n) + QByteArray(3, '\0');
    for (int i = 0; i < n; ++i) {
        img += DevFloatBytes(i, 3) + DevFloatBytes(10.0 * i, 3);
        if (flags & kFlag3Numbers) img += DevFloatBytes(99, 3);
    }
    return ToBlock(img);
}

// A simulated QM-07R on COM1 on virtual time, opened. The stages are logged; a
// block that does not decode is put to the scripted answers (Keep when none is
// left). Changed: read once and a change made, its backups in a folder of their own.
struct Rig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    RecordingTransportFactory line{factory};
    DeviceConnection link{line, clock};
    Stages stages;
    QList<int> asked; // the groups put to the caller
    QList<BadImageChoice> answers;
    ReadContext ctx{link, QDate(2026, 5, 6), [this](St st) { stages << st; },
                    [this](int group) {
                        asked << group;
                        return answers.isEmpty() ? BadImageChoice::Keep : answers.takeFirst();
                    }};
    SensorSession s;
    SensorReadReport report;
    QTemporaryDir backups;
    SaveReport saved;

    explicit Rig(bool tag, bool changed = false) {
        device.setTagPresent(tag);
        factory.attach(1, device);
        link.open(1);
        if (!changed) return;
        read();
        s.CurrentRecord.Description = QStringLiteral("Changed");
    }
    int read() { return ReadAll(ctx, s, &report); }
    // The offsets that got a "KW" since the line was last cleared.
    QList<int> sentOffsets() const {
        QList<int> offsets;
        for (const QByteArray& r : line.requests())
            if (r.startsWith("$00KW")) offsets << r.mid(7, 2).toInt(nullptr, 16);
        return offsets;
    }
    QStringList backupFiles() const {
        return QDir(backups.path()).entryList(QDir::Files, QDir::Name);
    }
    int save(bool onlyIfChanged, const WriteProgress& progress = {}) {
        stages.clear();
        saved = SaveSensorCore(ctx, s, {onlyIfChanged, backups.path(), progress});
        return saved.result;
    }
};

} // namespace

class TestSensor : public QObject {
    Q_OBJECT
  private slots:
    void makeSerial() {
        const QDateTime midnight(QDate(2016, 1, 9), QTime(0, 0, 0)),
            lastSecond(QDate(2031, 10, 31), QTime(23, 59, 59));
        // Random near 1 gives Y, the digit is taken modulo 10, 0 is a letter, the year wraps at 16.
        for (auto [now, prefix, digit, random, expected] :
             {std::tuple{kNow, "", 7, 0.99, "AC04WSY7"},
              {kNow, "QX", 13, 0.0, "AC04WSQ3"},
              {kNow, "Q", 0, 0.5, "AC04WSQM"},
              {midnight, "", 7, 0.0, "0109AAA7"},
              {lastSecond, "", 7, 0.0, "FA31ZWA7"}})
            QCOMPARE(MakeSerial(now, prefix, digit, [r = random] { return r; }), QString(expected));
    }

    // A valid serial number is kept, any other replaced by a new one.
    void checkSerial() {
        for (auto [serial, kept] : {std::pair{"@ZAZ0909", true},
                                    {"1234567", false},
                                    {"123456789", false},
                                    {"1234567a", false},
                                    {"1234 678", false}})
            QCOMPARE(CheckSerial(serial, kNow, [] { return 0.0; }),
                     QString(kept ? serial : "AC04WSA7"));
    }

    // The number of bytes is that of the hex form. log2 rounded to a float
    // picks one exponent too many just below a power of two. The range ends at
    // 2^-128 and below 2^127.
    void devFloat() {
        const double below32 = std::nextafter(32.0f, 0.0f), nan = std::nan("");
        const double least = std::ldexp(1.0, -128), big = std::ldexp(1.0, 126);
        const std::tuple<double, const char*, Way> rows[] = {
            {0.0, "00000000", Both},    {-0.75, "80C00000", Both},      {below32, "857FFFFF", Both},
            {1.0, "810000", Both},      {1e-300, "00000000", Write},    {nan, "00000000", Write},
            {1e300, "FF7FFFFF", Write}, {-HUGE_VAL, "FFFFFFFF", Write}, {0.0, "8100000000", Read},
            {0.0, "00FFFFFF", Read},    {least, "01000000", Both},      {big, "FF000000", Both}};
        for (auto [value, hex, way] : rows) {
            const QByteArray bytes = Hex(hex);
            if (way != Read) QCOMPARE(DevFloatBytes(value, int(bytes.size())), bytes);
            if (way != Write) QCOMPARE(DevFloatFromBytes(bytes), value);
        }
    }

    // Encoded again (same date) to the same bytes: with the encoder's own
    // layout pinned below, that pins every decoded field.
    void layoutDecodesAndEncodesBack() {
        SensorRecord r;
        QCOMPARE(DecodeImage(LayoutBlock(), r, kGroupTag, 0), 3);
        const EncodedImage enc = EncodeImage(r, kToday);
        QCOMPARE(enc.image.toHex(' '), LayoutImage().toHex(' '));
    }

    // Texts trimmed and in windows-1250, a mask without a trailing blank, the
    // spare float as IEEE, bit 5 of the flags cleared and bit 6 set.
    void encodeLaysOutEveryField() {
        SensorRecord r;
        MakeDefaultRecord(r, "  Snímač tlaku", 0, 0, 2, 500, 5, "###0.000", " bar ", 16, 0, 0, 0xF0,
                          QDate(2025, 1, 1));
        r.GainIndex = 6;
        r.SerialNo = "AC04WSK7";
        r.SpareSingle = 1.0f;
        const EncodedImage enc = EncodeImage(r, kToday);
        const QByteArray expected =
            "FSN" + Hex("0106000000") + ToWindows1250(u"Snímač tlaku").leftJustified(32) +
            Hex("03") + "bar   " + Hex("1005") + "261204250101AC04WSK7" +
            Hex("A0800000897A0000810000803F") + QByteArray(14, '\0') + "KRI" +
            Hex("D002000000"
                "0000000000000000"
                "82000000897A0000");
        QCOMPARE(enc.image.toHex(' '), expected.toHex(' '));
        QCOMPARE(ToWindows1250(u"Šžč€中\U0001F600"), Hex("8A9EE880") + "??"); // '?' a character
        QCOMPARE(enc.result, 88);
        QCOMPARE(r.Description, QString("Snímač tlaku").leftJustified(32));
        QCOMPARE(r.Flags, uint8_t(0xD0));
        SensorRecord back; // the texts read back from windows-1250
        QCOMPARE(DecodeImage(ToBlock(enc.image), back, 0, 0), 2);
        QCOMPARE(back.Description, r.Description);
    }

    // Each failure leaves what was read before it; too short leaves the record as it was.
    void decodeResults() {
        const QByteArray good = LayoutBlock();
        const QString popis = QString("Load cell 500 kg").leftJustified(32), none;
        auto with = [&](int at, const char* bytes) {
            QByteArray b = good;
            return b.replace(at, int(strlen(bytes) / 2), Hex(bytes));
        };
        for (auto [image, result, popisAfter] :
             {std::tuple{good.left(254), int(kDecodeTooShort), none},
              {good.left(255), 3, popis},
              {with(0, "46534D"), kDecodeNoFsn, none},
              {with(96, "4B524A"), kDecodeNoKri, popis},
              {with(99, "50"), kDecodeNoValidFlag, popis},
              {with(100, "01"), kDecodeBadCount, popis},
              {with(100, "29"), kDecodeBadCount, popis},
              {with(100, "13"), 19, popis},
              {with(100, "13").left(255), kDecodePointsPastEnd, popis},
              {with(99, "8019"), 25, popis},
              {with(99, "801A"), kDecodePointsPastEnd, popis}}) {
            SensorRecord r;
            r.PointCount = 7;
            QCOMPARE(DecodeImage(image, r, 4, 0), result);
            QCOMPARE(r.Description, popisAfter);
            QCOMPARE(r.PointCount, result > 0 ? result : result == kDecodeTooShort ? 7 : 0);
            QCOMPARE(r.MemGroup, result > 0 ? 4 : 0);
        }
    }

    // An averaging byte (offsets 47 and 48) of 0 reads as 10; any other value is kept.
    void averagingZeroReadsAsTen() {
        for (auto [bytes, speed, slide] :
             {std::tuple{"0003", 10, 3}, {"0700", 7, 10}, {"01FF", 1, 255}}) {
            SensorRecord r;
            QCOMPARE(DecodeImage(LayoutBlock().replace(47, 2, Hex(bytes)), r, 0, 0), 3);
            QCOMPARE(r.AveragingSpeed, speed);
            QCOMPARE(r.Averaging, slide);
        }
    }

    // The decimals byte gives the mask with as many decimals, 6 (a 6-digit
    // display's) included, so that a save keeps the sensor's format.
    void decimalsByteGivesTheMask() {
        for (auto [byte, mask] :
             {std::pair{0, "######0"}, {5, "0.00000"}, {6, "0.000000"}, {7, "######0"}}) {
            SensorRecord r;
            QCOMPARE(DecodeImage(LayoutBlock().replace(40, 1, QByteArray(1, char(byte))), r, 0, 0),
                     3);
            QCOMPARE(r.Format.trimmed(), QString(mask));
        }
    }

    // Every record the block can hold is let through: the check compares what
    // the fields mean (FullScale 0 is the last value, an averaging of 0 is 10,
    // -0 is 0), and the sensor's own texts need only come back the same.
    void everyStorableRecordPasses() {
        QRandomGenerator random(18);
        const QString letters = QString::fromUtf8(" ABCXYZ abcxyz 0189.,-/%ěščřžýáíéůúňťď");
        const auto text = [&](int maxLength) {
            QString t;
            for (int n = random.bounded(maxLength + 1); n > 0; --n)
                t += letters[random.bounded(int(letters.size()))];
            return t;
        };
        const auto number = [&] {
            return random.bounded(8) == 0 ? 0.0f
                                          : float((random.generateDouble() - 0.5) *
                                                  std::pow(10.0, random.bounded(13) - 6));
        };
        const QStringList masks{"#######0", "######0",  "#####0.0", "####0.00",
                                "###0.000", "##0.0000", "#0.00000", "0.000000"};
        for (int i = 0; i < 200; ++i) {
            SensorRecord r;
            r.GainIndex = random.bounded(8);
            r.Description = text(32);
            r.Unit = text(6);
            r.Format = masks[random.bounded(int(masks.size()))];
            r.Averaging = random.bounded(256);
            r.AveragingSpeed = random.bounded(256);
            r.SerialNo = QString(8, QChar(u'0' + random.bounded(43)));
            r.DateCreated = i % 3 ? QStringLiteral("261204") : QString(6, QChar(0));
            r.Flags = uint8_t(0x80 | random.bounded(128));
            r.PointCount = 2 + random.bounded(18);
            for (int p = 0; p < r.PointCount; ++p) {
                r.Signal[p] = i % 5 ? number() : -0.0f;
                r.Value[p] = number();
            }
            r.FullScale = i % 2 ? number() : 0.0f;
            r.SpareSingle = number();
            const CheckedImage checked = CheckedEncode(r, kToday);
            QVERIFY2(checked.refusal.isEmpty(), qPrintable(checked.refusal));
        }
    }

    // Stride 6, or 9 with the third number skipped. Written again the numbers
    // take 4 bytes, and the flags say so.
    void threeByteNumbers() {
        for (int flags : {0x80, 0xA0}) {
            const QByteArray img = ThreeByteImage(uint8_t(flags), 4);
            SensorRecord r, back;
            QCOMPARE(DecodeImage(img, r, 0, 0), 4);
            QCOMPARE((QList<float>{r.Signal[3], r.Value[3]}), (QList<float>{3, 30}));
            QCOMPARE(DecodeImage(ToBlock(EncodeImage(r, kToday).image), back, 0, 0), 4);
            QCOMPARE(back.Flags, uint8_t(0xC0));
            QCOMPARE(back.Value[3], 30.0f);
        }
    }

    // Both records are read; the iTag's, when there is one, is the current
    // and the image kept is its block. A display of 7 digits is taken as 5.
    void reads() {
        for (auto [tag, stored, digits] : {std::tuple{true, 7, 5}, {false, 6, 6}}) {
            Rig rig(tag);
            rig.device.setDisplayDigits(stored);
            QCOMPARE(rig.read(), 1);
            QCOMPARE(rig.s.DisplayDigits, digits);
            QCOMPARE(rig.s.TagPresent, uint8_t(tag));
            const int group = tag ? kGroupTag : kGroupDevice, block = tag ? 0x00 : 0x80;
            SensorRecord current;
            DecodeImage(rig.device.block(block), current, group, 0);
            QCOMPARE(rig.s.CurrentRecord, current);
            QCOMPARE(rig.report.deviceResult + rig.report.tagResult, tag ? 4 : 2);
            QCOMPARE(rig.s.LastReadImage(group), rig.device.block(block));
            QVERIFY(rig.s.LastReadImage(kGroupTag + kGroupDevice - group).isEmpty());
            QCOMPARE(rig.s.k, double(float(kDefaultMultiplier))); // as the device holds it
            QCOMPARE(rig.s.N, kDefaultZeroCount);
            QCOMPARE(rig.report.gap, ReadGap::None);
            const Stages tagStage = tag ? Stages{St::ReadingTag} : Stages{};
            QCOMPARE(rig.stages, (kDeviceStages + tagStage + Stages{St::SensorRead, St::Done}));
        }
    }

    // A block that does not decode is put to the caller: kept, replaced by
    // the default record, or read again. An empty store beside a good iTag
    // ends on the iTag's record. Without a caller to ask the image is kept.
    void undecodableBlock() {
        using C = BadImageChoice;
        const QList<int> store{kGroupDevice}, tagAsked{kGroupTag}, none;
        for (auto [block, tag, answers, asked, points] :
             {std::tuple{0x80, true, QList<C>{}, store, 2},
              {0x80, false, QList<C>{C::Keep}, store, 0},
              {0x80, false, QList<C>{C::LoadDefaults}, store, 2},
              {0x00, true, QList<C>{C::LoadDefaults}, tagAsked, 2},
              {0x80, false, QList<C>{C::ReadAgain}, store + store, 0},
              {0x00, true, QList<C>{C::LoadDefaults}, none, 0}}) { // nobody to ask
            Rig rig(tag);
            const QByteArray image = QByteArray("FSN\x01", 4) + QByteArray(252, '\0'); // no "KRI"
            rig.device.setBlock(block, block == 0x80 && tag ? QByteArray(256, '\0') : image);
            rig.answers = answers;
            if (asked.isEmpty()) rig.ctx.onBadImage = nullptr;
            QCOMPARE(rig.read(), 1);
            QCOMPARE(rig.asked, asked);
            QCOMPARE(rig.s.CurrentRecord, tag ? rig.s.TagRecord : rig.s.DeviceRecord);
            QCOMPARE(rig.s.CurrentRecord.MemGroup, tag ? kGroupTag : kGroupDevice);
            QCOMPARE(rig.s.CurrentRecord.PointCount, points);
            const bool defaulted = points == 2 && !(block == 0x80 && tag);
            QCOMPARE(rig.report.deviceDefaulted || rig.report.tagDefaulted, defaulted);
            QCOMPARE(rig.s.MemoryImage, rig.device.block(tag ? 0x00 : 0x80));
        }
    }

    // A block that did not arrive is not decoded from what was there before.
    void failedBlockReadIsNotStaleData() {
        Rig rig(false);
        QCOMPARE(rig.read(), 1);
        rig.device.setFaults({.silentAfter = rig.device.requestCount() + 21}); // through "KQ"
        QCOMPARE(rig.read(), 1);
        QCOMPARE(rig.report.deviceResult, kReadBlockFailed);
        QVERIFY(rig.s.MemoryImage.isEmpty());
        QCOMPARE(rig.s.CurrentRecord.PointCount, 0);
        QCOMPARE(rig.asked, QList<int>{kGroupDevice});
    }

    // A scripted line that answers the identification, the memory reads and
    // the iTag query (its answers in turn, the last repeating), no block; the
    // read stops where an answer is missing or none repeats. A flipped first
    // answer to "KQ" does not decide the memory: the two alike that follow do.
    void identificationAndTagQuery() {
        using Replies = QList<QByteArray>;
        const QByteArray qm = "QM-07R V1.0\r", none, zero = "00\r";
        const Replies wandering{"00\r", "01\r", "02\r", "03\r", "05\r"};
        for (auto [ident, er, kq, result, last, gap, tag] :
             {std::tuple{none, none, Replies{}, -1, St::LineClosed, ReadGap::None, 0},
              {none, none, Replies{}, -3, St::Unidentified, ReadGap::None, 0},
              {QByteArray("ACME 2000 V1\r"), none, Replies{}, -2, St::Unidentified, ReadGap::None,
               0},
              {qm, none, Replies{"01\r"}, kReadUnclear, St::Unclear, ReadGap::DisplayDigits, 0},
              {qm, zero, wandering, kReadUnclear, St::Unclear, ReadGap::TagQuery, 0},
              {qm, zero, Replies{"00\r", "01\r"}, 1, St::Done, ReadGap::Block, 1}}) {
            LineRig line;
            int tagAsked = 0;
            QSet<QByteArray> memoryAsked; // the first answer of each address comes flipped
            line.open(1).respond = [&, ident = ident, er = er, kq = kq](const QByteArray& request,
                                                                        int) {
                if (request == "$00KQ")
                    return after(5, kq.value(std::min<int>(tagAsked++, int(kq.size()) - 1)));
                if (request.startsWith("$00ER") && !er.isEmpty() &&
                    !memoryAsked.contains(request)) {
                    memoryAsked.insert(request);
                    return after(5, "4B\r");
                }
                return request == "$00@"             ? after(5, ident)
                       : request.startsWith("$00ER") ? after(5, er)
                                                     : QList<ReplyPiece>{};
            };
            if (result == -1) line.link.close();
            Stages stages;
            ReadContext ctx{line.link, QDate(2026, 5, 6), [&](St st) { stages << st; }, {}};
            SensorSession s;
            SensorReadReport report;
            QCOMPARE(ReadAll(ctx, s, &report), result);
            QCOMPARE(stages.last(), last);
            QCOMPARE(report.gap, gap);
            QCOMPARE(int(s.TagPresent), tag);
            QCOMPARE(s.N + s.k, 0.0);
        }
    }

    // CompareImages skips the date of writing and what lies behind the
    // shorter image; the read-back check skips nothing that was written.
    void compare() {
        const QByteArray img(184, 'a');
        for (auto [a, b, compare, readBack] : {std::tuple{img, img, 0, 0},
                                               {QByteArray(), img, 999, 0},
                                               {img, QByteArray(), 999, 1},
                                               {changedAt(changedAt(img, 50), 55), img, 0, 50},
                                               {changedAt(img, 49), img, 49, 49},
                                               {changedAt(img, 56), img, 56, 56},
                                               {img, img + QByteArray(72, 'z'), 0, 0},
                                               {img, img.left(100), 0, 101}}) {
            QCOMPARE(CompareImages(a, b), compare);
            QCOMPARE(ReadBackDifference(a, b), readBack);
        }
        // The bytes a write sends: those that differ, and all behind a shorter block.
        const QByteArray block = ToBlock(img);
        QCOMPARE(ChangedOffsets(block, changedAt(changedAt(img, 50), 184)), (QList<int>{49, 183}));
        QCOMPARE(ChangedOffsets(img.left(182), img), (QList<int>{182, 183}));
        QCOMPARE(BlockAfterWrite(block, changedAt(img, 3)), changedAt(block, 3));
    }

    // The serial number becomes part of a path: nothing that could leave the
    // folder or hide the file gets through.
    void backupSerial() {
        QCOMPARE(BackupSerial("  AB-7_x "), QStringLiteral("AB-7_x"));
        for (const QString& bad : {QString(8, QChar(0)), QString("../../x"), QString("Č123")})
            QCOMPARE(BackupSerial(bad), QStringLiteral("unknown"));
    }

    // A change goes to the memory it was read from, after the block as it
    // stood is on disk; the report holds both images and the read-back
    // agrees. Saved again unchanged, even a day later, nothing is written.
    // imageKnown false: the last read of the block failed.
    void save() {
        const std::tuple<bool, bool, int> rows[] = {
            {true, true, 0xD0}, {false, true, 0xD0}, {true, false, 0xD0}, {true, true, 0xD8}};
        for (auto [tag, imageKnown, flags] : rows) {
            Rig rig(tag, true);
            const int block = tag ? 0x00 : 0x80, other = 0x80 - block;
            const QByteArray before = rig.device.block(block),
                             otherBefore = rig.device.block(other);
            if (!imageKnown) rig.s.MemoryImage.clear();
            rig.s.CurrentRecord.Flags = uint8_t(flags);
            QStringList atFirstByte;
            const auto progress = [&](int p, int) {
                if (p == 1) atFirstByte = rig.backupFiles();
            };
            const QDateTime start = rig.clock.now();
            QCOMPARE(rig.save(true, progress), int(kSaveWritten));
            const QByteArray written = rig.device.block(block);
            QCOMPARE(uint8_t(written[99]), uint8_t(flags));
            QCOMPARE(rig.device.block(other), otherBefore);
            QCOMPARE(atFirstByte.size(), 1);
            QCOMPARE(rig.saved.backupPath, rig.backups.filePath(atFirstByte[0]));
            QVERIFY(atFirstByte[0].startsWith(tag ? "26010101-00-" : "00000001-80-"));
            QCOMPARE(FileBytes(rig.saved.backupPath), before);
            QCOMPARE(rig.saved.imageBefore, before);
            QCOMPARE(rig.saved.imageAfter, written.left(rig.saved.imageAfter.size()));
            QCOMPARE(rig.saved.group, tag ? kGroupTag : kGroupDevice);
            QCOMPARE(rig.saved.readBack, ReadBack::Agrees);
            QCOMPARE(rig.stages.mid(0, 3), (Stages{St::Writing, St::Written, St::Resetting}));
            // Saved again within the same second: both earlier states are kept.
            const SaveReport first = rig.saved;
            rig.clock.setNow(start);
            rig.s.CurrentRecord.Description = QStringLiteral("Two");
            QCOMPARE(rig.save(true), int(kSaveWritten));
            QCOMPARE(rig.saved.backupPath, first.backupPath.chopped(4) + "-1.bin");
            QCOMPARE(FileBytes(rig.saved.backupPath), written);
            rig.ctx.today = rig.ctx.today.addDays(1);
            const int version = rig.device.stateVersion();
            QCOMPARE(rig.save(true), int(kSaveUnchanged));
            QCOMPARE(rig.device.stateVersion(), version);
            // Asked to write whatever the block holds, it writes.
            QCOMPARE(rig.save(false), int(kSaveWritten));
            QVERIFY(rig.device.stateVersion() != version);
        }
    }

    // Only the offsets whose byte differs from the block as read twice alike
    // get a "KW", and the block ends as meant; every offset when asked, or
    // when the block reads differently twice before a restore.
    void sendsOnlyTheBytesThatDiffer_data() {
        QTest::addColumn<bool>("restore"); // after a write that stopped midway
        QTest::addColumn<bool>("everyByte");
        QTest::newRow("save") << false << false;
        QTest::newRow("save, all bytes") << false << true;
        QTest::newRow("restore") << true << false;
        QTest::newRow("restore, reads disagree") << true << true;
    }
    void sendsOnlyTheBytesThatDiffer() {
        QFETCH(bool, restore);
        QFETCH(bool, everyByte);
        Rig rig(true, true);
        const QByteArray before = rig.device.block(0x00);
        QByteArray from = before, to; // the block before and after the write
        int sent = 0, imageSize = kBlockBytes;
        rig.line.clear();
        if (!restore) {
            rig.saved = SaveSensorCore(rig.ctx, rig.s, {false, rig.backups.path(), {}, everyByte});
            QCOMPARE(rig.saved.readBack, ReadBack::Agrees);
            sent = rig.saved.bytesSent;
            imageSize = int(rig.saved.imageAfter.size());
            to = rig.device.block(0x00);
        } else {
            from.replace(8, 4, "Chan"); // the first bytes of a change went in
            rig.device.setBlock(0x00, from);
            if (everyByte)
                rig.line.afterRequest = [&](const QByteArray& request) {
                    if (request.startsWith("$00KB") && rig.device.block(0x00) == from)
                        rig.device.setBlock(0x00, changedAt(from, 200)); // the second read
                };
            const RestoreResult r = RestoreBlock(rig.link, kGroupTag, before);
            QVERIFY(r.ok());
            sent = r.bytesSent;
            to = before;
        }
        QCOMPARE(rig.device.block(0x00), to);
        QList<int> expected;
        for (int i = 0; i < imageSize; ++i)
            if (everyByte || from[i] != to[i]) expected << i;
        QCOMPARE(rig.sentOffsets(), expected);
        QCOMPARE(sent, expected.size());
        QVERIFY(everyByte || (sent > 0 && sent < imageSize / 2));
    }

    // A byte that was not sent must still hold what it held, in the image or
    // behind it: the read-back compares the whole block.
    void readBackComparesTheWholeBlock() {
        for (int position : {3, 201}) {
            Rig rig(true, true);
            const auto lastByte = [&](int k, int n) {
                if (k == n) rig.device.setBlock(0x00, changedAt(rig.device.block(0x00), position));
            };
            QCOMPARE(rig.save(false, lastByte), int(kSaveWritten));
            QVERIFY(rig.saved.bytesSent < rig.saved.imageAfter.size());
            QCOMPARE(rig.saved.readBack, ReadBack::Differs);
            QCOMPARE(rig.saved.firstDifference, position);
        }
    }

    // Nothing is sent for a block that can be neither taken from the last read
    // nor read now, or that reads otherwise than it did (a reply garbled into
    // other digits): it has no backup. Nor for what the block cannot hold.
    void refusedSaves_data() {
        QTest::addColumn<QString>("popis");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("why"); // the backup error, or the refusal
        QTest::newRow("unreadable")
            << "Changed" << 2 << int(kSaveWriteFailed) << "block 0x00 could not be read";
        QTest::newRow("reads disagree")
            << "Changed" << 2 << int(kSaveWriteFailed) << "block 0x00 read differently twice";
        QTest::newRow("Cyrillic") << QString::fromUtf8("Сила") << 2 << int(kSaveConvertFailed)
                                  << QString::fromUtf8("Popis holds the character С (U+0421), "
                                                       "which the sensor memory cannot store");
        QTest::newRow("20 points") << "Changed" << 20 << int(kSaveConvertFailed)
                                   << "PointCount 20: the points take 264 bytes, a block holds 256 "
                                      "(at most 19 points)";
    }
    void refusedSaves() {
        QFETCH(QString, popis);
        QFETCH(int, points);
        QFETCH(int, result);
        Rig rig(true, true);
        QByteArray changed = rig.device.block(0x00);
        changed[200] = char(changed[200] ^ 0x10);
        if (QTest::currentDataTag() == QByteArray("unreadable")) {
            rig.s.MemoryImage.clear();
            rig.device.setFaults({.silentAfter = 0});
        } else if (QTest::currentDataTag() == QByteArray("reads disagree")) {
            rig.device.setBlock(0x00, changed);
        }
        rig.s.CurrentRecord.Description = popis;
        rig.s.CurrentRecord.PointCount = points;
        const int version = rig.device.stateVersion();
        QCOMPARE(rig.save(false), result);
        QCOMPARE(rig.device.stateVersion(), version);
        QVERIFY(rig.backupFiles().isEmpty());
        QVERIFY(!rig.stages.contains(St::Writing));
        QTEST(result == kSaveWriteFailed ? rig.saved.backupError : rig.saved.refusal, "why");
    }

    // A wrong echo, a cell that keeps another byte, or the line gone after the
    // write (corruptAt 0) or after the reset's identification (-1): the report
    // says which. A failed write is not reset, and the next save writes again.
    // The description's first 12 bytes change ("QM-07R input" to "Changed").
    void writeGoesWrong() {
        for (auto [wrongEchoAt, corruptAt, result, readBack, detail] :
             {std::tuple{9, 0, int(kSaveWriteFailed), ReadBack::NotWritten, -10009},
              {0, 12, int(kSaveWritten), ReadBack::Differs, 12},
              {0, 0, int(kSaveWritten), ReadBack::Missing, 0},
              {0, -1, int(kSaveWritten), ReadBack::Missing, 0}}) {
            Rig rig(false, true);
            const QByteArray before = rig.device.block(0x80);
            const int requests = rig.device.requestCount();
            rig.device.setFaults({.wrongEchoAt = wrongEchoAt, .corruptStoreAt = corruptAt});
            // After the last byte: the reset and its identification, or nothing more.
            const auto lastByte = [&, wrongEchoAt = wrongEchoAt, corruptAt = corruptAt](int k,
                                                                                        int n) {
                if (k == n && !wrongEchoAt && corruptAt <= 0)
                    rig.device.setFaults(
                        {.hangUpAfter = rig.device.requestCount() + (corruptAt < 0 ? 2 : 0)});
            };
            QCOMPARE(rig.save(false, lastByte), result);
            QCOMPARE(rig.saved.readBack, readBack);
            QCOMPARE(rig.saved.writeResult + rig.saved.firstDifference, detail);
            QCOMPARE(FileBytes(rig.saved.backupPath), before);
            if (!wrongEchoAt) continue;
            QVERIFY(!rig.stages.contains(St::Resetting));
            // The backup's read, byte 9 (the first that differs), its echo retried once.
            QCOMPARE(rig.device.requestCount() - requests, 3);
            rig.device.setFaults({});
            QCOMPARE(rig.save(true), int(kSaveWritten));
        }
    }
};

QTEST_GUILESS_MAIN(TestSensor)
#include "test_sensor.moc"
