#include "core/axisrange.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::pair<double, double> PaddedRange(double lo, double hi, double minSpan) {
    if (lo > hi) std::swap(lo, hi);
    const double pad = std::max((hi - lo) * 0.05, (minSpan - (hi - lo)) / 2);
    return {lo - pad, hi + pad};
}

double TickStep(std::pair<double, double> range) {
    // At most four steps of 1, 2 or 5 times a power of ten.
    const double rough = (range.second - range.first) / 4;
    if (!(rough > 0) || !std::isfinite(rough)) return 0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double m = rough / power;
    return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * power;
}

std::pair<double, double> SnappedRange(std::pair<double, double> range) {
    const double step = TickStep(range) / 2;
    if (!(step > 0)) return range;
    return {std::floor(range.first / step) * step, std::ceil(range.second / step) * step};
}

std::vector<double> Ticks(std::pair<double, double> range) {
    const double step = TickStep(range);
    std::vector<double> ticks;
    if (!(step > 0)) return ticks;
    // Multiplied, not added up: no drift that prints a zero as "-0.0".
    const double first = std::ceil(range.first / step - 1e-9);
    for (int i = 0; i < 12; ++i) {
        const double tick = (first + i) * step;
        if (tick > range.second + step * 1e-9 || (!ticks.empty() && tick == ticks.back())) break;
        ticks.push_back(tick);
    }
    return ticks;
}

int StepDecimals(double step) {
    return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
}

} // namespace qm
