// What the session writes into the device and the sensor, each write's record
// begun before its first byte and finished after its read-back.
#include "session/calibrationsession.h"

#include "core/clock.h"
#include "core/hex.h"
#include "device/protocol.h"
#include "records/writeoutcome.h"
#include "sensor/backup.h"
#include "sensor/constantsbackup.h"
#include "session/sessionquestions.h"

#include <QFile>

namespace qm {

WriteProgress CalibrationSession::writeProgress() {
    return [this, last = -1](int p, int n) mutable {
        const int percent = n > 0 ? p * 100 / n : 0;
        if (percent == last) return;
        last = percent;
        emit statusChanged(SessionStatus::Storing, percent);
    };
}

SaveOutcome CalibrationSession::save(bool onlyIfChanged) {
    SaveOutcome out;
    SaveReport& r = out.report;
    stopLive();
    // A calibration only when points were captured for it.
    const bool calibration = !onlyIfChanged && m_pointCaptured;
    CalibrationRecord rec =
        newRecord(calibration ? RecordKind::Calibration : RecordKind::BlockWrite);
    rec.block = BlockNumber(m_sensor.TagPresent == 1 ? kGroupTag : kGroupDevice, 0);
    FillStoredPoints(rec, m_sensor.CurrentRecord);
    if (calibration) {
        // What its as-found figures are judged by, as the verification will be.
        const VerificationInputs judged = verificationInputs();
        rec.displayDigit = judged.digit;
        rec.tolerance = judged.tolerancePct;
        if (judged.referenceUPct > 0) rec.referenceUncertainty = judged.referenceUPct;
    }
    if (!beginRecord(rec)) {
        out.started = false;
        r.result = kSaveWriteFailed;
        return out;
    }
    lock();
    // The pages keep what the technician made until the block is confirmed: a
    // read-back that differs must not replace the points with what it found.
    ReadContext ctx = readContext();
    ctx.onStage = [this](SensorStage stage) {
        if (stage != SensorStage::Done) reached(stage);
    };
    const CurveFacts facts = curveFacts();
    do {
        r = SaveSensorCore(ctx, m_sensor, {onlyIfChanged, m_backupFolder, writeProgress()});
    } while (!r.backupError.isEmpty() && m_questions.retryBackup(r.backupError, m_backupFolder));
    if (r.readBack == ReadBack::Agrees) reached(SensorStage::Done);
    unlock();
    if (!r.backupPath.isEmpty()) m_backups << r.backupPath;
    // Bytes went out (the write may have stopped midway): its outcome is recorded.
    if (r.backupError.isEmpty() && (r.writeResult != 0 || r.readBack != ReadBack::NotWritten))
        recorded(rec, m_history ? RecordBlockWrite(*m_history, rec, r, facts, askRecordLocally())
                                : DatabaseStatus{kDbNotOpen, {}});
    else if (m_history)
        m_history->discard(rec.id); // nothing was sent: the started record goes again
    return out;
}

RestoreOutcome CalibrationSession::restoreBackup(const QString& backupPath) {
    RestoreOutcome out;
    QFile f(backupPath);
    const QByteArray backup = f.open(QIODevice::ReadOnly) ? f.read(kBlockBytes + 1) : QByteArray();
    const int block = BlockFromBackupName(backupPath);
    if (block < 0) {
        out.result = RestoreResult{kRestoreNotABlock};
        return out;
    }
    CalibrationRecord rec = newRecord(RecordKind::Restore);
    rec.block = block;
    FillPointsFromImage(rec, backup.left(kBlockBytes), block / 32);
    if (!beginRecord(rec)) {
        out.started = false;
        return out;
    }
    lock();
    emit statusChanged(SessionStatus::PleaseWait, 0);
    out.result = RestoreBlock(m_link, block / 32, backup, writeProgress());
    emit statusChanged(SessionStatus::Hidden, 0);
    unlock();
    recordRestore(rec, backup, backupPath, out.result);
    return out;
}

void CalibrationSession::recordRestore(CalibrationRecord& rec, const QByteArray& backup,
                                       const QString& path, const RestoreResult& back) {
    SaveReport r;
    r.group = rec.block / 32;
    r.backupPath = path; // what was put back; the broken block before it is not known
    r.imageAfter = backup.left(kBlockBytes);
    r.writeResult = back.writeResult;
    r.bytesSent = back.bytesSent;
    r.firstDifference = back.firstDifference;
    if (back.writeResult == 0)
        r.readBack = !back.readBack             ? ReadBack::Missing
                     : back.firstDifference > 0 ? ReadBack::Differs
                                                : ReadBack::Agrees;
    recorded(rec, m_history ? RecordBlockWrite(*m_history, rec, r, {}, askRecordLocally())
                            : DatabaseStatus{kDbNotOpen, {}});
}

FinishResult CalibrationSession::finish(SaveOutcome* outcome) {
    if (ensureHistory() != HistoryReady::Open) return FinishResult::NoHistory;
    const SaveOutcome saved = save(false);
    if (outcome) *outcome = saved;
    if (saved.report.result != kSaveWritten || saved.report.readBack != ReadBack::Agrees) {
        // Nothing is lost: the points stay for another try.
        m_unsavedCurve = true;
        startLive();
        return FinishResult::SaveFailed;
    }
    resetDevice();
    return FinishResult::Done;
}

void CalibrationSession::resetDevice() {
    lock();
    emit statusChanged(SessionStatus::PleaseWait, 0);
    stopLive();
    m_clock.delay(200);
    m_link.write(kRequestReset);
    m_clock.delay(1000); // the device restarts and loads its configuration
    emit statusChanged(SessionStatus::Hidden, 0);
    unlock();
}

ConstantsOutcome CalibrationSession::writeConstants(double N, double k) {
    ConstantsOutcome out;
    // Busy for the whole of it: a close waits until the device is read back.
    // The live poll stays off from the backup's reads to the read-back: its
    // replies would land among theirs.
    lock();
    stopLive();
    m_clock.delay(200);
    const auto stop = [&](ConstantsOutcome::Stopped why) {
        out.stopped = why;
        startLive();
        unlock();
        return out;
    };
    // The history first: nothing is written without knowing where its record goes.
    if (ensureHistory() != HistoryReady::Open) return stop(ConstantsOutcome::NoHistory);
    const BackupResult backup = BackUpConstants(m_link, m_backupFolder);
    if (!backup.ok) {
        out.backupError = backup.error;
        return stop(ConstantsOutcome::NoBackup);
    }
    CalibrationRecord rec = newRecord(RecordKind::Constants);
    rec.block = -1;
    rec.backupPath = backup.path;
    rec.imageBefore = backup.bytes;
    if (!beginRecord(rec)) return stop(ConstantsOutcome::NotStarted);
    out.backupPath = backup.path;

    emit statusChanged(SessionStatus::PleaseWait, 0);
    // Both are written even when the first fails; the read-back shows what holds.
    const int n = m_link.eeWriteSingle(kDeviceAddress, kAddrZeroCount, N, kEETimeoutMs);
    const int m = m_link.eeWriteSingle(kDeviceAddress, kAddrMultiplier, k, kEETimeoutMs);
    out.acknowledged = n == 1 && m == 1;
    const QByteArray written =
        SingleBytes(static_cast<float>(N)) + SingleBytes(static_cast<float>(k));
    FillConstantsOutcome(rec, written, rec.backupPath, ConstantsDifference(m_link, written));
    recorded(rec, m_history ? FinishWriteRecord(*m_history, rec, askRecordLocally())
                            : DatabaseStatus{kDbNotOpen, {}});
    m_clock.delay(100);
    emit statusChanged(SessionStatus::Hidden, 0);
    resetDevice();
    readAll();
    startLive();
    unlock();
    return out;
}

} // namespace qm
