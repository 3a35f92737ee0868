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

namespace {

void printRecorded(Context& ctx, const RecordStore& store, const CalibrationRecord& r) {
    ctx.out << "recorded: #" << r.id << " in " << store.url();
    if (!r.certificateNo.isEmpty()) ctx.out << ", certificate " << r.certificateNo;
    ctx.out << Qt::endl;
}

int notRecorded(Context& ctx, const RecordStore& store, const DatabaseStatus& s) {
    return Fail(ctx,
                QStringLiteral("the write was not recorded in %1: %2 [%3]")
                    .arg(store.url(), s.text)
                    .arg(s.code),
                kExitHistory);
}

} // namespace

bool BeginWriteRecord(Context& ctx, const WriteRecording& recording, CalibrationRecord& r) {
    RecordStore& store = recording.store;
    DatabaseStatus s = store.begin(r);
    if (s.ok()) return true;
    if (recording.localFallback && store.url() != LocalDatabaseUrl()) {
        ctx.err << ctx.program << ": " << s.text << "; recording into the local file "
                << LocalDatabaseUrl() << " (--local-history)" << Qt::endl;
        s = store.open(LocalDatabaseUrl());
        if (s.ok()) s = store.begin(r);
        if (s.ok()) return true;
    }
    Fail(ctx,
         QStringLiteral("nothing written: the write cannot be recorded in %1: %2 [%3]")
             .arg(store.url(), s.text)
             .arg(s.code),
         kExitHistory);
    return false;
}

bool FinishWriteRecord(Context& ctx, const WriteRecording& recording, CalibrationRecord& r) {
    RecordStore& store = recording.store;
    const qint64 started = r.id;
    const DatabaseStatus s = store.finish(r);
    if (s.ok()) {
        printRecorded(ctx, store, r);
        return true;
    }
    if (!recording.localFallback || store.url() == LocalDatabaseUrl()) {
        notRecorded(ctx, store, s);
        return false;
    }
    ctx.err << ctx.program << ": " << s.text << "; recording the outcome of #" << started
            << " into the local file " << LocalDatabaseUrl() << " (--local-history)" << Qt::endl;
    RecordStore local;
    DatabaseStatus l = local.open(LocalDatabaseUrl());
    if (l.ok()) {
        r.resultText += QStringLiteral(" (started as #%1 in %2)").arg(started).arg(store.url());
        l = local.add(r);
    }
    if (!l.ok()) {
        notRecorded(ctx, local, l);
        return false;
    }
    printRecorded(ctx, local, r);
    return true;
}

} // namespace qm::cli
