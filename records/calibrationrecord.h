#pragma once
// One write to a QM-07R as the calibration history keeps it: who, when,
// against what, the block before and after, and the points behind the curve.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace qm {

// What made the write; stored as its word (see RecordKindWord).
enum class RecordKind {
    Calibration,  // the wizard's last step
    BlockWrite,   // qm07ctl write
    Restore,      // a backup or an earlier calibration put back
    Constants,    // the device constants N and k (system calibration)
    Verification, // the device's own reading checked against reference loads; writes nothing
};

struct CalibrationPoint {
    double signal = 0;            // mV/V
    double reference = 0;         // in the sensor's unit
    std::optional<double> spread; // of the captured signal, in the sensor's unit, when known
    // The device's displayed value averaged over the same window (before a
    // write: the old curve's, as found) and the standard deviation of that mean.
    std::optional<double> indicated;
    std::optional<double> indicatedSd;

    bool operator==(const CalibrationPoint&) const = default;
};

struct CalibrationRecord {
    qint64 id = 0;         // given by the database
    QString certificateNo; // given by the database
    RecordKind kind = RecordKind::Calibration;
    QDateTime timeUtc;
    QString bench; // host name
    QString operatorName;
    QString referenceStandard;
    QString device;   // the device's identification reply
    QString serialNo; // the sensor's
    int block = 0;    // 0x00 the iTag, 0x80 the device's store; -1 for the constants
    QByteArray imageBefore;
    QString backupPath; // the backup file of imageBefore
    QByteArray imageAfter;
    std::vector<CalibrationPoint> points;
    std::optional<double> nonLinearity; // % of full scale
    std::optional<int> bytesSent;       // "KW" requests that went out; unknown for older records
    int result = 1;                     // kRecordDone, kRecordStarted, else the write's result code
    QString resultText;
    // A verification's: the calibration it checks, what its figures were taken
    // against, and its verdict ("pass", "fail").
    std::optional<qint64> checks;
    std::optional<double> fullScale;            // sensor unit
    std::optional<double> displayDigit;         // sensor unit
    std::optional<double> tolerance;            // % of full scale
    std::optional<double> referenceUncertainty; // % of reading, expanded, k = 2
    QString verdict;

    bool operator==(const CalibrationRecord&) const = default;
};

// The result of a write beyond the write's own codes (which are negative).
inline constexpr int kRecordDone = 1;
inline constexpr int kRecordNotConfirmed = 0; // written whole, the read-back differs or is missing
inline constexpr int kRecordStarted = 2;      // recorded before the first byte; no outcome yet

// Only a calibration whose points were captured and written takes a certificate.
inline bool TakesCertificate(const CalibrationRecord& r) {
    return r.kind == RecordKind::Calibration && r.result == kRecordDone && !r.points.empty();
}

// "calibration", "write", "restore", "constants", "verification"; and back (false for another
// word).
QString RecordKindWord(RecordKind kind);
bool RecordKindFromWord(const QString& word, RecordKind& kind);

} // namespace qm
