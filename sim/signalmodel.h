#pragma once
// The bridge signal of a simulated sensor: after a change of load it moves to
// the new level along a first-order curve, drifts slowly and carries noise.
// No clock of its own: every question names the moment (clock ticks in ms).
#include <QtGlobal>
#include <random>

namespace qm {

struct SignalOptions {
    double noiseSigma = 0;     // mV/V, Gaussian, independent per measurement
    double settleSeconds = 0;  // time constant of the approach to a new load
    double driftPerMinute = 0; // mV/V per minute since tick 0
    quint32 seed = 1;
};

class SignalModel {
  public:
    explicit SignalModel(const SignalOptions& options = {});
    // Reseeds the noise; a settling under way keeps its start and target.
    void setOptions(const SignalOptions& options);
    const SignalOptions& options() const { return m_options; }

    // A new load at nowMs: the signal sets off from where it is towards it, or
    // jumps there when settle is false. The same load again changes nothing.
    void setLoad(double mvPerV, qint64 nowMs, bool settle = true);
    double load() const { return m_to; }

    // The signal at nowMs without noise.
    double level(qint64 nowMs) const;
    // One measurement at nowMs: the level plus noise.
    double sample(qint64 nowMs);

  private:
    double settled(qint64 nowMs) const; // the level without drift

    SignalOptions m_options;
    double m_from = 0;
    double m_to = 0;
    qint64 m_changedMs = 0;
    std::mt19937 m_random;
    std::normal_distribution<double> m_noise;
};

} // namespace qm
