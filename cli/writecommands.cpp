#include "cli/writecommands.h"

#include "cli/deferredsignals.h"
#include "cli/devicelink.h"
#include "cli/historystore.h"
#include "cli/imagefile.h"
#include "cli/recordjson.h"
#include "cli/restoreconstants.h"
#include "core/hex.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "records/writeoutcome.h"
#include "sensor/backup.h"
#include "sensor/constantsbackup.h"
#include "sensor/imagecodec.h"
#include "sensor/writer.h"

#include <QFileInfo>
#include <algorithm>

namespace qm::cli {

namespace {

constexpr qint64 kMaxInputFile = 16 << 20;

QString blockName(int group) {
    return QStringLiteral("0x") + HexN(BlockNumber(group, 0), 2);
}

// What goes into the block from a file: an image as it stands (it starts
// with "FSN"; it must decode and end with its last point), else a record as
// JSON encoded today, which must fit the block and read back as itself.
bool imageToWrite(const QByteArray& content, QByteArray& image, QString& error, int& exitCode) {
    exitCode = kExitBadInput;
    if (!content.startsWith("FSN"))
        return ImageFromJson(content, QDate::currentDate(), image, error);
    if (content.size() > kBlockBytes) {
        error = QStringLiteral("%1 bytes is more than a block (256)").arg(content.size());
        return false;
    }
    const ImageFile f = ReadImageFile(content);
    if (f.result < 1) {
        error = QStringLiteral("the image does not decode (%1)").arg(f.result);
        exitCode = kExitRefused;
        return false;
    }
    error = f.misfit;
    image = content;
    return error.isEmpty();
}

// "stopped: byte 26 got no reply [-26]" and the like, from WriteConfigBlock's result.
QString writeFailure(int w) {
    QString what;
    if (w == kWritePortClosed)
        what = QStringLiteral("the port was not open");
    else if (w <= -kWriteWrongEcho)
        what = QStringLiteral("byte %1 was echoed with another value").arg(-w - kWriteWrongEcho);
    else
        what = QStringLiteral("byte %1 got no reply").arg(-w);
    return withCode(what, w);
}

QString savedText(const QString& path) {
    return BuiltInText(kTextBackupSaved).arg(path);
}

// Why a write is not confirmed, with the backup's path.
QString readBackText(const SaveReport& report) {
    const QString saved = savedText(report.backupPath);
    if (report.readBack == ReadBack::Differs)
        return QStringLiteral("The sensor memory does not hold what was written (first difference "
                              "at byte %1). ")
                   .arg(report.firstDifference) +
               saved;
    return QStringLiteral("The sensor memory could not be read back after writing, so the write "
                          "is not confirmed. ") +
           saved;
}

// A block write's recording, and whether a restore may go into another sensor.
struct BlockRecording : WriteRecording {
    bool otherSensor = false;
    bool allBytes = false; // every byte sent, not only those that differ
    // The serial numbers the recorded write after the backup put in: the
    // block holding one of them is still the backup's sensor.
    QStringList writtenSerials;
};

// What the history's write of the backup put into the block.
QStringList serialsWritten(const CalibrationRecord& write) {
    QStringList serials{SerialField(write.imageAfter), write.serialNo.trimmed()};
    serials.removeAll(QString()); // a blank block is no sensor's
    return serials;
}

// Connect, read, back up, write, reset, read back, compare, record. A signal
// before the write ends the command before the first byte goes out.
int writeBlockOnce(Context& ctx, int group, const QByteArray& image,
                   const BlockRecording& recording) {
    DeviceLink link;
    int exitCode = kExitOk;
    SensorSession s;
    QString ident;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode) ||
        !link.readAll(ctx, s, exitCode, &ident))
        return exitCode;
    if (group == kGroupTag && s.TagPresent != 1)
        return Fail(ctx,
                    QStringLiteral("the QM-07R on %1 reports no iTag: block 0x00 is not written")
                        .arg(link.where()),
                    kExitRefused);

    // Any block but the one read last is read again for its backup.
    const QByteArray lastRead = s.LastReadImage(group);
    const QString serial = (group == kGroupTag ? s.TagRecord : s.DeviceRecord).SerialNo;
    ReadContext rc = link.readContext();
    const BackupResult backup = BackUpBlock(rc, group, lastRead, serial);
    if (!backup.ok)
        return Fail(ctx,
                    QStringLiteral("nothing written: block %1 could not be backed up (%2)")
                        .arg(blockName(group), backup.error),
                    kExitNoBackup);
    ctx.out << "backup: " << backup.path << Qt::endl;
    if (StoppedBeforeWriting(ctx, exitCode)) return exitCode;

    // A backup of one sensor goes into another only when asked for.
    const QString connected = SerialField(backup.bytes);
    if (recording.kind == RecordKind::Restore && !recording.otherSensor &&
        SerialField(image) != connected && !recording.writtenSerials.contains(connected))
        return Fail(ctx,
                    QStringLiteral("nothing written: the backup is of the sensor \"%1\", block %2 "
                                   "holds %3; give --other-sensor to write it all the same")
                        .arg(SerialField(image), blockName(group),
                             connected.isEmpty() ? QStringLiteral("no serial number")
                                                 : QStringLiteral("\"%1\"").arg(connected)),
                    kExitRefused);

    CalibrationRecord rec = NewWriteRecord(recording.kind, link.clock().now());
    rec.device = ident;
    FillPointsFromImage(rec, image, group);
    if (recording.kind == RecordKind::Restore && !connected.isEmpty()) rec.serialNo = connected;
    if (rec.serialNo.isEmpty()) rec.serialNo = serial.trimmed();
    rec.block = BlockNumber(group, 0);
    rec.backupPath = backup.path;
    rec.imageBefore = backup.bytes;
    if (!BeginWriteRecord(ctx, recording, rec)) return kExitHistory;
    const SaveReport report =
        WriteBlockVerified(rc, s, group, image, backup, {}, recording.allBytes);
    int code = kExitOk;
    if (report.result != kSaveWritten)
        code = Fail(
            ctx,
            QStringLiteral("the write of block %1 stopped: %2. %3")
                .arg(blockName(group), writeFailure(report.writeResult), savedText(backup.path)),
            kExitWriteFailed);
    else if (report.readBack != ReadBack::Agrees)
        code = Fail(ctx, readBackText(report), kExitNotConfirmed);
    else
        ctx.out << "written: " << report.bytesSent << " of " << image.size()
                << " bytes sent to block " << blockName(group)
                << " (the others held their value), read back and confirmed" << Qt::endl;
    const DatabaseStatus recorded =
        RecordBlockWrite(recording.store, rec, report, {},
                         LocalHistoryFallback(ctx, recording.localFallback, rec.id));
    if (!ReportRecorded(ctx, recording.store, rec, recorded) && code == kExitOk)
        code = kExitHistory;
    return code;
}

int writeBlock(Context& ctx, int group, const QByteArray& image, BlockRecording recording) {
    return RunWithSignalsHeld(ctx, [&] { return writeBlockOnce(ctx, group, image, recording); });
}

int restoreConstants(Context& ctx, const QByteArray& bytes, WriteRecording recording) {
    return RunWithSignalsHeld(ctx, [&] { return RestoreConstantsBytes(ctx, bytes, recording); });
}

const char* const kExitCodes =
    "Every write is recorded in the calibration history (see qm07ctl history), which is "
    "opened before anything is written. "
    "Exit 0 only when the block read back holds every byte written and the write is recorded; "
    "2 bad input, 3 the "
    "image does not decode or the device has no iTag for block 0x00, 4 the device cannot be "
    "reached, 5 the block could not be backed up (nothing written), 6 the write stopped "
    "midway, 7 the read-back differs or did not arrive, 8 the history cannot be opened "
    "(nothing written) or the write could not be recorded, 9 restore --id names no record "
    "with an image from before; 128 + the signal's number after SIGINT, SIGTERM, SIGHUP or "
    "SIGQUIT, which let the block being written, its read-back and its record finish first "
    "(a closed standard output never stops a write).";

QCommandLineOption allBytesOption() {
    return QCommandLineOption(
        QStringLiteral("all-bytes"),
        QStringLiteral("Send every byte, also those the block already holds (for a device whose "
                       "block does not read back what it stores)."));
}

// The history of a write command, opened before the device is touched.
bool openRecording(Context& ctx, const QCommandLineParser& parser, RecordStore& store,
                   int& exitCode) {
    return OpenWriteHistory(ctx, store, parser.isSet(LocalHistoryOption()), exitCode);
}

QCommandLineOption otherSensorOption() {
    return QCommandLineOption(QStringLiteral("other-sensor"),
                              QStringLiteral("Write the backup even when its serial number is not "
                                             "the one the block holds now (exit 3 without it)."));
}

} // namespace

int RunWrite(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a configuration into block 0x00 (the sensor's iTag) or 0x80 (the "
                       "device's store). FILE is a record as JSON (as decode prints it or encode "
                       "reads it; dated today) or an image file starting \"FSN\" (104 + 8 x n "
                       "bytes, or a 256-byte block), written as it stands. The block is backed "
                       "up first to the data folder (QM-07R/backups, the path is printed), then "
                       "written byte by byte (only the bytes that differ from the block as backed "
                       "up; --all-bytes sends every byte), the device reset and everything read "
                       "back and all 256 bytes compared. ") +
        QLatin1String(kExitCodes));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The record or image."));
    const QCommandLineOption block(QStringLiteral("block"), QStringLiteral("0x00 or 0x80."),
                                   QStringLiteral("B"));
    parser.addOption(block);
    parser.addOption(allBytesOption());
    parser.addOption(LocalHistoryOption());
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 1, exitCode)) return exitCode;
    int group = 0;
    if (!parser.isSet(block) || !ParseBlockOption(parser.value(block), group))
        return Fail(ctx, QStringLiteral("--block must be 0x00 or 0x80"), kExitBadInput);
    const QString path = parser.positionalArguments().at(0);
    QByteArray content, image;
    QString error;
    if (!ReadInput(path, kMaxInputFile, content, error)) return Fail(ctx, error, kExitBadInput);
    if (!imageToWrite(content, image, error, exitCode))
        return Fail(ctx, QStringLiteral("%1: %2").arg(path, error), exitCode);
    RecordStore store;
    if (!openRecording(ctx, parser, store, exitCode)) return exitCode;
    return writeBlock(ctx, group, image,
                      {{store, RecordKind::BlockWrite, parser.isSet(LocalHistoryOption())},
                       false,
                       parser.isSet(allBytesOption()),
                       {}});
}

namespace {

// restore --id: the image from before that record's write, through the same path.
int restoreRecord(Context& ctx, const QString& idText, BlockRecording recording) {
    RecordStore& store = recording.store;
    bool ok = false;
    const qint64 id = idText.toLongLong(&ok);
    if (!ok || id < 1)
        return Fail(ctx, QStringLiteral("--id must be a record number (qm07ctl history)"),
                    kExitBadInput);
    CalibrationRecord rec;
    if (const DatabaseStatus st = store.get(id, rec); !st.ok()) return HistoryFailure(ctx, st);
    recording.writtenSerials = serialsWritten(rec);
    if (rec.block < 0 && rec.imageBefore.size() == kConstantsBytes)
        return restoreConstants(ctx, rec.imageBefore,
                                {store, RecordKind::Constants, recording.localFallback});
    if ((rec.block != BlockNumber(kGroupTag, 0) && rec.block != BlockNumber(kGroupDevice, 0)) ||
        rec.imageBefore.size() != kBlockBytes)
        return Fail(ctx,
                    QStringLiteral("record #%1 holds no block image from before its write").arg(id),
                    kExitNoRecord);
    return writeBlock(ctx, rec.block / 32, rec.imageBefore, recording);
}

} // namespace

int RunRestore(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Puts a backup back: the block ends exactly as it was saved, bytes behind "
            "the image included; only the bytes that differ from the block as it stands "
            "are sent (--all-bytes: all 256, about 5.5 s at 20 ms a byte). The block is taken from "
            "the file's name "
            "(<serial>-<block>-<date>-<time>.bin) or --block; a backup of N and k (device-90-...) "
            "goes back into the device memory. With --id N instead of a file, the image from "
            "before the write that history record N holds goes back. What the block holds "
            "now is backed up first, as write does. ") +
        QLatin1String(kExitCodes));
    parser.addPositionalArgument(QStringLiteral("BACKUP.bin"), QStringLiteral("The backup."));
    const QCommandLineOption block(QStringLiteral("block"),
                                   QStringLiteral("0x00 or 0x80 (default: from the file name)."),
                                   QStringLiteral("B"));
    const QCommandLineOption id(QStringLiteral("id"),
                                QStringLiteral("The history record whose image from before "
                                               "its write goes back (no file then)."),
                                QStringLiteral("N"));
    parser.addOption(block);
    parser.addOption(id);
    parser.addOption(allBytesOption());
    parser.addOption(LocalHistoryOption());
    parser.addOption(otherSensorOption());
    const bool byId = std::any_of(args.begin(), args.end(), [](const QString& a) {
        return a == u"--id" || a.startsWith(QStringLiteral("--id="));
    });
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, byId ? 0 : 1, exitCode)) return exitCode;
    RecordStore store;
    const bool local = parser.isSet(LocalHistoryOption());
    BlockRecording recording{{store, RecordKind::Restore, local},
                             parser.isSet(otherSensorOption()),
                             parser.isSet(allBytesOption()),
                             {}};
    if (byId) {
        if (parser.isSet(block))
            return Fail(ctx, QStringLiteral("--id takes the block from the record; drop --block"),
                        kExitBadInput);
        if (!openRecording(ctx, parser, store, exitCode)) return exitCode;
        return restoreRecord(ctx, parser.value(id), recording);
    }
    const QString path = parser.positionalArguments().at(0);
    const bool constants =
        IsConstantsBackupName(QFileInfo(path).fileName()) && !parser.isSet(block);
    const int named = BlockFromBackupName(QFileInfo(path).fileName());
    int group = named < 0 ? -1 : named / 32;
    if (parser.isSet(block)) {
        int given = 0;
        if (!ParseBlockOption(parser.value(block), given))
            return Fail(ctx, QStringLiteral("--block must be 0x00 or 0x80"), kExitBadInput);
        if (group >= 0 && given != group)
            return Fail(ctx,
                        QStringLiteral("%1 is a backup of block %2, not %3")
                            .arg(path, blockName(group), blockName(given)),
                        kExitBadInput);
        group = given;
    }
    if (group < 0 && !constants)
        return Fail(ctx, QStringLiteral("%1: the file name names no block; give --block").arg(path),
                    kExitBadInput);
    const qsizetype size = constants ? kConstantsBytes : kBlockBytes;
    QByteArray content;
    QString error;
    if (!ReadInput(path, size + 1, content, error)) return Fail(ctx, error, kExitBadInput);
    if (content.size() != size)
        return Fail(ctx,
                    QStringLiteral("%1: a backup %2holds %3 bytes, this file %4%5")
                        .arg(path, constants ? QStringLiteral("of N and k ") : QString())
                        .arg(size)
                        .arg(content.size())
                        .arg(content.size() > size ? QStringLiteral(" or more") : QString()),
                    kExitBadInput);
    if (!openRecording(ctx, parser, store, exitCode)) return exitCode;
    if (constants) return restoreConstants(ctx, content, {store, RecordKind::Constants, local});
    CalibrationRecord write;
    if (store.writeBackedUpTo(QFileInfo(path).absoluteFilePath(), write).ok())
        recording.writtenSerials = serialsWritten(write);
    return writeBlock(ctx, group, content, recording);
}

} // namespace qm::cli
