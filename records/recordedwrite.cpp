#include "records/recordedwrite.h"

#include "records/databaseurl.h"
#include "records/writeoutcome.h"

namespace qm {

namespace {

bool mayUseLocal(const LocalFallback& useLocal, HistoryStep step, const QString& url,
                 const DatabaseStatus& failure) {
    return url != LocalDatabaseUrl() && useLocal && useLocal(step, url, failure);
}

} // namespace

DatabaseStatus OpenWriteHistory(RecordStore& store, const QString& configuredUrl,
                                const LocalFallback& useLocal) {
    const DatabaseStatus s = store.open(configuredUrl);
    if (s.ok()) return s;
    const QString url = store.url().isEmpty() ? configuredUrl : store.url();
    if (!mayUseLocal(useLocal, HistoryStep::Open, url, s)) return s;
    return store.open(LocalDatabaseUrl());
}

DatabaseStatus BeginWriteRecord(RecordStore& store, CalibrationRecord& rec,
                                const LocalFallback& useLocal) {
    DatabaseStatus s = store.begin(rec);
    if (s.ok() || !mayUseLocal(useLocal, HistoryStep::Begin, store.url(), s)) return s;
    s = store.open(LocalDatabaseUrl());
    return s.ok() ? store.begin(rec) : s;
}

DatabaseStatus FinishWriteRecord(RecordStore& store, CalibrationRecord& rec,
                                 const LocalFallback& useLocal) {
    const qint64 started = rec.id;
    const QString url = store.url();
    DatabaseStatus s = store.finish(rec);
    if (s.ok() || !mayUseLocal(useLocal, HistoryStep::Finish, url, s)) return s;
    s = store.open(LocalDatabaseUrl());
    if (!s.ok()) return s;
    rec.resultText += QStringLiteral(" (started as #%1 in %2)").arg(started).arg(url);
    return store.add(rec);
}

DatabaseStatus RecordBlockWrite(RecordStore& store, CalibrationRecord& rec,
                                const SaveReport& report, const CurveFacts& facts,
                                const LocalFallback& useLocal) {
    FillWriteOutcome(rec, report);
    if (rec.kind == RecordKind::Calibration) {
        // The stored points are the curve's rows in order.
        for (size_t i = 0; i < rec.points.size() && i < facts.points.size(); ++i) {
            rec.points[i].spread = facts.points[i].spread;
            rec.points[i].indicated = facts.points[i].indicated;
            rec.points[i].indicatedSd = facts.points[i].indicatedSd;
        }
        rec.nonLinearity = facts.nonLinearity;
    }
    return FinishWriteRecord(store, rec, useLocal);
}

} // namespace qm
