#include "cli/historystore.h"

#include "core/settings.h"
#include "records/databaseurl.h"
#include "records/operatorfields.h"

namespace qm::cli {

LocalFallback LocalHistoryFallback(Context& ctx, bool localFallback, qint64 started) {
    if (!localFallback) return {};
    return [&ctx, started](HistoryStep step, const QString&, const DatabaseStatus& failure) {
        ctx.err << ctx.program << ": " << failure.text << "; recording ";
        if (step == HistoryStep::Finish) ctx.err << "the outcome of #" << started << " ";
        ctx.err << "into the local file " << LocalDatabaseUrl() << " (--local-history)" << Qt::endl;
        return true;
    };
}

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
    const DatabaseStatus s = qm::OpenWriteHistory(store, ConfiguredDatabaseUrl(settings),
                                                  LocalHistoryFallback(ctx, localFallback));
    if (s.ok()) return true;
    exitCode = HistoryFailure(ctx, s);
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
    const DatabaseStatus s =
        qm::BeginWriteRecord(store, r, LocalHistoryFallback(ctx, recording.localFallback));
    if (s.ok()) return true;
    Fail(ctx,
         QStringLiteral("nothing written: the write cannot be recorded in %1: %2 [%3]")
             .arg(store.url(), s.text)
             .arg(s.code),
         kExitHistory);
    return false;
}

bool ReportRecorded(Context& ctx, const RecordStore& store, const CalibrationRecord& r,
                    const DatabaseStatus& s) {
    if (!s.ok()) {
        notRecorded(ctx, store, s);
        return false;
    }
    printRecorded(ctx, store, r);
    return true;
}

} // namespace qm::cli
