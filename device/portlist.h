#pragma once
// The serial devices present, by their real names, and the stable names udev
// gives USB adapters under /dev/serial/by-id (the same adapter keeps its name
// in any socket). The COMn numbering stays what the settings, the scan and the
// simulator use; an adapter is remembered beside it ("ComPortById") and the
// port page selects whichever COMn leads to it now.
#include <QList>
#include <QString>
#include <functional>

namespace qm {

class SettingsStore;

inline constexpr char kByIdFolder[] = "/dev/serial/by-id";

struct SerialDevice {
    QString device; // the device file (/dev/ttyUSB0); COMn on Windows
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString stableName; // its link in the by-id folder, when it has one
};

// The link in folder that leads to the same device file as path; empty when none.
QString StableNameOf(const QString& path, const QString& folder = QLatin1String(kByIdFolder));

// The serial devices present (QSerialPortInfo), with their stable names.
QList<SerialDevice> ListSerialDevices(const QString& folder = QLatin1String(kByIdFolder));

// The device in present that path leads to (through links), or nullptr.
const SerialDevice* FindPresent(const QString& path, const QList<SerialDevice>& present);

// "/dev/ttyUSB0: FT232R USB UART, FTDI, A50285BI" for a device present; the
// path alone otherwise.
QString DeviceSummary(const QString& path, const QList<SerialDevice>& present);

// The stored port as a "ComPort" text: the number 1..lastPort whose path
// (pathOf) leads to the remembered adapter when it is plugged in, else "ComPort"
// as stored ("1" when absent).
QString StoredPortSetting(const SettingsStore& settings, const std::function<QString(int)>& pathOf,
                          int lastPort, const QString& folder = QLatin1String(kByIdFolder));

// After a successful connect through path: remember the adapter's stable name,
// or forget an earlier one when the device has none.
void RememberStableName(SettingsStore& settings, const QString& path,
                        const QString& folder = QLatin1String(kByIdFolder));

} // namespace qm
