#include "device/measurement.h"

#include <cmath>

namespace qm {

namespace {

// The count is whole, so the signal may stand half a count off it; N and k
// reach the program as 7-digit texts, and the signal is a single.
bool agrees(const Measurement& m, const SystemConstants& c) {
    if (c.k == 0 || !std::isfinite(c.k) || !std::isfinite(c.N)) return true;
    const double expected = (m.div - c.N) * c.k;
    const double tolerance =
        std::fabs(c.k) + 2e-6 * std::fabs(expected) + 1e-7 * std::fabs(m.signal);
    return std::fabs(m.signal - expected) <= tolerance;
}

} // namespace

std::optional<Measurement> CheckedMeasurement(QByteArrayView reply, const SystemConstants& c) {
    std::optional<Measurement> m = ParseMeasurement(reply);
    if (!m) return std::nullopt;
    if (!std::isfinite(m->signal) || !std::isfinite(m->display) || !agrees(*m, c))
        return std::nullopt;
    return m;
}

} // namespace qm
