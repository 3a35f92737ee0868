#include "cli/restoreconstants.h"

#include "cli/devicelink.h"
#include "sensor/constantsbackup.h"

namespace qm::cli {

int RestoreConstantsFile(Context& ctx, const QString& path) {
    QByteArray content;
    QString error;
    if (!ReadInput(path, kConstantsBytes + 1, content, error))
        return Fail(ctx, error, kExitBadInput);
    if (content.size() != kConstantsBytes)
        return Fail(ctx,
                    QStringLiteral("%1: a backup of N and k holds 8 bytes, this file %2")
                        .arg(path)
                        .arg(content.size()),
                    kExitBadInput);
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
    if (const int p = RestoreConstants(rc.link, content); p != 0)
        return Fail(ctx, QStringLiteral("byte %1 of N and k does not hold what was written").arg(p),
                    kExitNotConfirmed);
    ctx.out << "written: N and k, read back and confirmed" << Qt::endl;
    return kExitOk;
}

} // namespace qm::cli
