#include "sim/signalmodel.h"

#include <cmath>

namespace qm {

SignalModel::SignalModel(const SignalOptions& options) {
    setOptions(options);
}

void SignalModel::setOptions(const SignalOptions& options) {
    m_options = options;
    m_random.seed(options.seed);
    m_noise.reset();
}

double SignalModel::settled(qint64 nowMs) const {
    const double tau = m_options.settleSeconds * 1000.0;
    const double elapsed = static_cast<double>(std::max<qint64>(0, nowMs - m_changedMs));
    if (!(tau > 0) || !std::isfinite(tau)) return m_to;
    return m_to + (m_from - m_to) * std::exp(-elapsed / tau);
}

void SignalModel::setLoad(double mvPerV, qint64 nowMs, bool settle) {
    // A signal file is read again on every request; only a change starts a settling.
    if (mvPerV == m_to) return;
    m_from = settle ? settled(nowMs) : mvPerV;
    m_to = mvPerV;
    m_changedMs = nowMs;
}

double SignalModel::level(qint64 nowMs) const {
    const double drift = m_options.driftPerMinute * static_cast<double>(nowMs) / 60000.0;
    return settled(nowMs) + (std::isfinite(drift) ? drift : 0);
}

double SignalModel::sample(qint64 nowMs) {
    const double sigma = m_options.noiseSigma;
    const double noise = sigma > 0 && std::isfinite(sigma) ? sigma * m_noise(m_random) : 0;
    return level(nowMs) + noise;
}

} // namespace qm
