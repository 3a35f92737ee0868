#pragma once
// What the system calibration panel asks of the main window: the live count,
// the live timer, the navigation buttons, the status overlay and the device.
// The panel itself holds no device code.
#include <QString>
#include <optional>

namespace qm {

class ServiceActions {
  public:
    virtual ~ServiceActions() = default;
    virtual double liveDiv() const = 0; // the latest raw converter count
    virtual void stopLive() = 0;        // liveTimer off
    virtual void startLive() = 0;       // liveTimer on
    virtual void disableNavigation() = 0;
    virtual void enableNavigation() = 0;
    // fraSTATUS shown; lblStatus takes the text when one is given.
    virtual void showStatus(const std::optional<QString>& text) = 0;
    virtual void hideStatus() = 0;
    // N as a single to 144..147, then k to 148..151 (EEWriteSingle, 100 ms time-out);
    // true when every byte was acknowledged.
    virtual bool writeConstants(double N, double k) = 0;
    // Saves N and k as the device holds them: the file's path, or empty with
    // error set (then nothing may be written).
    virtual QString backUpConstants(QString& error) = 0;
    virtual void sendReset() = 0; // "$00X" + CR; no reply is read
    virtual void
    readAll() = 0; // ReadAll: refreshes constantNField/constantKField and the held N, k
};

} // namespace qm
