#include "cli/restoreconstants.h"

#include "cli/deferredsignals.h"
#include "cli/devicelink.h"
#include "cli/historystore.h"
#include "records/writeoutcome.h"
#include "sensor/constantsbackup.h"

#include <QFile>

namespace qm::cli {

int RestoreConstantsBytes(Context& ctx, const QByteArray& bytes, const WriteRecording& recording) {
    DeviceLink link;
    int exitCode = kExitOk;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;
    ReadContext rc = link.readContext();
    const BackupResult backup = BackUpConstants(rc.link);
    if (!backup.ok)
        return Fail(ctx,
                    QStringLiteral("nothing written: N and k could not be backed up (%1)")
                        .arg(backup.error),
                    kExitNoBackup);
    ctx.out << "backup: " << backup.path << Qt::endl;
    if (StoppedBeforeWriting(ctx, exitCode)) return exitCode;
    CalibrationRecord rec = NewWriteRecord(RecordKind::Constants, link.clock().now());
    rec.block = -1;
    rec.backupPath = backup.path;
    rec.imageBefore = backup.bytes;
    if (!BeginWriteRecord(ctx, recording, rec)) return kExitHistory;
    const int p = RestoreConstants(rc.link, bytes);
    int code = kExitOk;
    if (p != 0)
        code = Fail(ctx, QStringLiteral("byte %1 of N and k does not hold what was written").arg(p),
                    kExitNotConfirmed);
    else
        ctx.out << "written: N and k, read back and confirmed" << Qt::endl;
    FillConstantsOutcome(rec, bytes, backup.path, p);
    const DatabaseStatus recorded = FinishWriteRecord(
        recording.store, rec, LocalHistoryFallback(ctx, recording.localFallback, rec.id));
    if (!ReportRecorded(ctx, recording.store, rec, recorded) && code == kExitOk)
        code = kExitHistory;
    return code;
}

} // namespace qm::cli
