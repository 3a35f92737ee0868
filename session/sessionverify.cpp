// The verification after a write: points at reference loads with the
// device's own reading, the figures and the verdict, and its record.
#include "session/calibrationsession.h"

#include "core/numformat.h"
#include "session/verificationrecord.h"

namespace qm {

void CalibrationSession::openVerification() {
    m_verification.clear();
    m_verificationOpen = true;
    m_stability.clear();
    startLive();
}

void CalibrationSession::addVerificationPoint(double reference, const CapturedReading& reading) {
    m_verification.push_back({reference, reading.indicated, reading.signal, reading.sdMean});
}

VerificationInputs CalibrationSession::verificationInputs() const {
    const SensorRecord& rec = m_sensor.CurrentRecord;
    return {VerificationFullScale(rec, m_verification), DisplayDigit(rec.Format),
            ReferenceUncertaintySetting(m_settings), ToleranceSetting(m_settings)};
}

VerificationSummary CalibrationSession::verificationSummary() const {
    return Verify(m_verification, verificationInputs());
}

bool CalibrationSession::recordVerification() {
    const bool calibration = m_lastRecord.id > 0 && m_lastRecord.kind == RecordKind::Calibration;
    // A write of the sensor's settings claims no calibration: left unverified,
    // there is nothing to record.
    if (m_verification.empty() && !calibration) {
        m_verificationOpen = false;
        return true;
    }
    CalibrationRecord rec = newRecord(RecordKind::Verification);
    if (calibration) rec.checks = m_lastRecord.id;
    FillVerificationRecord(rec, m_sensor, m_verification, verificationInputs(),
                           verificationSummary());
    m_verification.clear();
    m_verificationOpen = false;
    if (ensureHistory() != HistoryReady::Open) {
        emit recordNotStored();
        return false;
    }
    m_historyStatus = m_history->add(rec);
    m_lastVerification = m_historyStatus.ok() ? rec : CalibrationRecord{};
    if (!m_historyStatus.ok()) emit recordNotStored();
    return m_historyStatus.ok();
}

void CalibrationSession::backToCurve() {
    if (!m_verification.empty()) recordVerification();
    m_verificationOpen = false;
    openCurve();
}

} // namespace qm
