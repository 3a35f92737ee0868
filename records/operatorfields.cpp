#include "records/operatorfields.h"

#include "core/settings.h"

#include <QSysInfo>

namespace qm {

namespace {
const QString kSection = QStringLiteral("Calibration");
const QString kOperator = QStringLiteral("Operator");
const QString kReference = QStringLiteral("ReferenceStandard");
} // namespace

OperatorFields LoadOperatorFields(const SettingsStore& settings) {
    return {settings.value(kSection, kOperator), settings.value(kSection, kReference)};
}

void SaveOperatorFields(SettingsStore& settings, const OperatorFields& fields) {
    settings.setValue(kSection, kOperator, fields.operatorName.trimmed());
    settings.setValue(kSection, kReference, fields.referenceStandard.trimmed());
}

CalibrationRecord NewRecord(RecordKind kind, const OperatorFields& fields, const QDateTime& now) {
    CalibrationRecord r;
    r.kind = kind;
    r.timeUtc = now.toUTC();
    r.bench = QSysInfo::machineHostName();
    r.operatorName = fields.operatorName;
    r.referenceStandard = fields.referenceStandard;
    return r;
}

} // namespace qm
