#pragma once
// Whether the device reads right: the error of each verification point
// against its reference load, grouped by load into hysteresis and
// repeatability, each point's uncertainty, and the verdict against the lab's
// tolerance. Pure numbers, all in the sensor's unit unless named "FS".
#include <QString>
#include <vector>

namespace qm {

class SettingsStore;

struct VerificationPoint {
    double reference = 0; // the load applied
    double indicated = 0; // the device's displayed value, averaged over the stable window
    double signal = 0;    // mV/V, averaged likewise
    double spread = 0;    // standard deviation of the mean of the displayed value
};

enum class LoadDirection { Ascending, Descending };

struct PointVerdict {
    LoadDirection direction = LoadDirection::Ascending;
    double error = 0;       // indicated - reference
    double errorFS = 0;     // in % of full scale
    double uncertainty = 0; // standard, combined
    double expanded = 0;    // k = 2
};

// The points at one load (within one display digit of the first of them).
struct LoadGroup {
    double reference = 0;
    std::vector<int> points;  // indexes into the series
    double hysteresis = 0;    // mean descending - mean ascending indication; 0 unless both
    double repeatability = 0; // largest spread of the indications of one direction
};

struct VerificationInputs {
    double fullScale = 0;      // the sensor's range in its unit
    double digit = 1;          // one display digit
    double referenceUPct = 0;  // the reference standard's relative expanded uncertainty (k = 2), %
    double tolerancePct = 0.1; // of full scale
};

struct VerificationSummary {
    std::vector<PointVerdict> points;
    std::vector<LoadGroup> groups;
    double maxErrorFS = 0;      // largest |error| in % FS
    double hysteresisFS = 0;    // largest |hysteresis| in % FS
    double repeatabilityFS = 0; // largest repeatability in % FS
    double maxExpanded = 0;     // largest expanded uncertainty, sensor unit
    bool pass = false;          // every |error| + U within the tolerance; never without points
};

inline constexpr double kCoverageFactor = 2;

// A point is descending when the load before it was higher by more than a
// digit; a repeat at the same load keeps the direction it was reached in.
std::vector<LoadDirection> LoadDirections(const std::vector<VerificationPoint>& series,
                                          double digit);

std::vector<LoadGroup> GroupByLoad(const std::vector<VerificationPoint>& series,
                                   const std::vector<LoadDirection>& directions, double digit);

// Everything at once. A full scale of 0 or less, or no points, fails.
VerificationSummary Verify(const std::vector<VerificationPoint>& series,
                           const VerificationInputs& inputs);

// Settings: section "Verification", keys "Tolerance" (% FS, default 0.1) and
// "ReferenceUncertainty" (% of reading, default 0). Unreadable or negative
// values fall back to the default.
double ToleranceSetting(const SettingsStore& settings);
double ReferenceUncertaintySetting(const SettingsStore& settings);

} // namespace qm
