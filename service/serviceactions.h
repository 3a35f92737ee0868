#pragma once
// What the system calibration column asks of the calibration behind it: the
// live count, the constants written and the device reset. The column itself
// holds no device code.
#include <QString>

namespace qm {

class ServiceActions {
  public:
    virtual ~ServiceActions() = default;
    // The latest raw converter count; NaN while there is none.
    virtual double liveDiv() const = 0;
    // Backs up N and k as the device holds them, writes N to 144..147 and k to
    // 148..151 as singles, resets the device and reads it again: the backup's
    // path, or empty with error set when nothing was written.
    virtual QString writeConstants(double N, double k, QString& error) = 0;
    // "$00X": the device restarts and loads its configuration.
    virtual void resetDevice() = 0;
};

} // namespace qm
