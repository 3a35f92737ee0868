#pragma once
// Who calibrates, and against what: typed once, remembered in the settings
// (section "Calibration"), stamped on every record of this bench.
#include "records/calibrationrecord.h"

namespace qm {

class SettingsStore;

struct OperatorFields {
    QString operatorName;
    QString referenceStandard; // e.g. the load cell and its certificate number
};

OperatorFields LoadOperatorFields(const SettingsStore& settings);
void SaveOperatorFields(SettingsStore& settings, const OperatorFields& fields);

// A record of the given kind made now at this bench (host name) by them.
CalibrationRecord NewRecord(RecordKind kind, const OperatorFields& fields, const QDateTime& now);

} // namespace qm
