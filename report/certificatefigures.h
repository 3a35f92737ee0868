#pragma once
// The numbers a certificate prints, worked out from a calibration record
// without drawing anything: the sensor as stored after the write, and for
// each point the stored curve's value and its deviation from the best-fit
// line in % of full scale.
#include "calibration/verification.h"
#include "records/calibrationrecord.h"
#include "sensor/sensorrecord.h"

#include <optional>
#include <vector>

namespace qm {

struct CertificateRow {
    double signal = 0;
    double reference = 0;
    std::optional<double> curveValue; // absent when the stored image does not decode
    std::optional<double> deviation;  // (reference - line) / full scale x 100
    std::optional<double> spread;
    bool unsettled = false; // captured with a spread the live display would not call stable
};

struct CertificateFigures {
    bool storedDecoded = false;
    SensorRecord stored; // decoded from the image after the write
    double fullScale = 0;
    int decimals = 4;       // of values in the sensor's unit, from its display format
    double digit = 1;       // one display digit in the sensor's unit, from its display format
    double spreadLimit = 0; // a wider spread marks its point unsettled
    std::vector<CertificateRow> rows;
};

CertificateFigures FiguresOf(const CalibrationRecord& rec);

// The points of rec that carry the device's own indication, judged: a
// verification against what it recorded, a calibration's as found against
// the given full scale and digit and the default tolerance.
struct VerificationTable {
    std::vector<VerificationPoint> series;
    VerificationSummary summary;
    double fullScale = 0;
    double tolerance = 0;
};
VerificationTable VerificationOf(const CalibrationRecord& rec, double fullScale, double digit);

// The texts of the numbers as printed: signals with 6 decimals, values in
// the unit with the format's decimals, percentages with 3.
QString SignalText(double mvPerV);
QString ValueText(double value, int decimals);
QString PercentText(double percent);

} // namespace qm
