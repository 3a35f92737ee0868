#include "cli/historystore.h"

#include "core/settings.h"
#include "records/databaseurl.h"
#include "records/operatorfields.h"

namespace qm::cli {

bool OpenHistory(Context& ctx, RecordStore& store, int& exitCode) {
    return OpenWriteHistory(ctx, store, false, exitCode);
}

int HistoryFailure(Context& ctx, const DatabaseStatus& status) {
    return Fail(ctx, QStringLiteral("%1 [%2]").arg(status.text).arg(status.code),
                status.code == kDbNotFound ? kExitNoRecord : kExitHistory);
}

QCommandLineOption LocalHistoryOption() {
    return QCommandLineOption(
        QStringLiteral("local-history"),
        QStringLiteral("When the configured calibration history cannot be opened, record into "
                       "the local file (QM-07R/calibrations.sqlite in the data folder) instead of "
                       "ending with exit 8 before anything is written."));
}

bool OpenWriteHistory(Context& ctx, RecordStore& store, bool localFallback, int& exitCode) {
    const QtSettingsStore settings;
    const DatabaseStatus s = store.open(ConfiguredDatabaseUrl(settings));
    if (s.ok()) return true;
    if (!localFallback || ConfiguredDatabaseUrl(settings) == LocalDatabaseUrl()) {
        exitCode = HistoryFailure(ctx, s);
        return false;
    }
    ctx.err << ctx.program << ": " << s.text << "; recording into the local file "
            << LocalDatabaseUrl() << " (--local-history)" << Qt::endl;
    const DatabaseStatus local = store.open(LocalDatabaseUrl());
    if (local.ok()) return true;
    exitCode = HistoryFailure(ctx, local);
    return false;
}

CalibrationRecord NewWriteRecord(RecordKind kind, const QDateTime& now) {
    const QtSettingsStore settings;
    return NewRecord(kind, LoadOperatorFields(settings), now);
}

bool AddWriteRecord(Context& ctx, RecordStore& store, CalibrationRecord& r) {
    const DatabaseStatus s = store.add(r);
    if (!s.ok()) {
        Fail(ctx,
             QStringLiteral("the write was not recorded in %1: %2 [%3]")
                 .arg(store.url(), s.text)
                 .arg(s.code),
             kExitHistory);
        return false;
    }
    ctx.out << "recorded: #" << r.id << " in " << store.url() << ", certificate " << r.certificateNo
            << Qt::endl;
    return true;
}

} // namespace qm::cli
