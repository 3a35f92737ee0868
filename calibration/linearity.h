#pragma once
// How straight a calibration curve is: the least-squares line through its
// points and each point's distance from it in % of full scale.
#include "sensor/curveinterpolation.h"

#include <QString>
#include <optional>
#include <vector>

namespace qm {

class WorkingCurve;

// value = intercept + slope * signal
struct StraightLine {
    double intercept = 0;
    double slope = 0;
    double at(double signal) const { return intercept + slope * signal; }
};

struct Linearity {
    StraightLine line;
    double fullScale = 0;             // largest absolute reference value
    std::vector<double> deviationPct; // per point, in the order given
    double nonLinearityPct = 0;       // largest absolute deviation
    int worstPoint = -1;              // index of that point
};

// Least squares of the value on the signal; nullopt with fewer than two
// distinct signals or with a number that is not finite.
std::optional<StraightLine> FitStraightLine(const std::vector<CurvePoint>& points);

// Largest absolute reference value; 0 without points.
double FullScaleOf(const std::vector<CurvePoint>& points);

// Deviation of each point: (value - line) / full scale * 100. nullopt when no
// line fits or the full scale is 0.
std::optional<Linearity> AnalyseLinearity(const std::vector<CurvePoint>& points);

// "0.123 % FS": how the non-linearity is shown wherever it is shown.
QString NonLinearityFigure(double pct);

// The points in use, in row order (ascending signal).
std::vector<CurvePoint> CurvePoints(const WorkingCurve& curve);

} // namespace qm
