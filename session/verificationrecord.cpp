#include "session/verificationrecord.h"

#include <algorithm>
#include <cmath>

namespace qm {

double VerificationFullScale(const SensorRecord& rec,
                             const std::vector<VerificationPoint>& series) {
    double fs = 0;
    for (int i = 0; i < std::clamp(rec.PointCount, 0, SensorRecord::kMaxPoints); ++i)
        fs = std::max(fs, std::abs(double(rec.Value[size_t(i)])));
    for (const VerificationPoint& p : series)
        fs = std::max(fs, std::abs(p.reference));
    return fs;
}

void FillVerificationRecord(CalibrationRecord& rec, const SensorSession& sensor,
                            const std::vector<VerificationPoint>& series,
                            const VerificationInputs& inputs, const VerificationSummary& summary) {
    rec.kind = RecordKind::Verification;
    rec.serialNo = sensor.CurrentRecord.SerialNo.trimmed();
    rec.block = sensor.LastReadGroup() == kGroupTag ? 0x00 : 0x80;
    // The block stays as read, so that the verification's own report can
    // name the sensor and its unit.
    rec.imageAfter = sensor.MemoryImage;
    rec.points.clear();
    for (const VerificationPoint& p : series)
        rec.points.push_back({p.signal, p.reference, std::nullopt, p.indicated, p.spread});
    rec.fullScale = inputs.fullScale;
    rec.displayDigit = inputs.digit;
    rec.tolerance = inputs.tolerancePct;
    rec.referenceUncertainty = inputs.referenceUPct;
    rec.verdict = series.empty() ? QStringLiteral("not verified")
                  : summary.pass ? QStringLiteral("pass")
                                 : QStringLiteral("fail");
    rec.result = kRecordDone;
}

} // namespace qm
