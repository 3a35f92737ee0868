#pragma once
// What the port page shows about the ports: each COMn with the device behind
// it, and why the chosen port could not be opened.
#include <QString>

class QComboBox;

namespace qm {

class LangTable;
class SettingsStore;
class TransportFactory;

// Language texts of the permission message (%1 device file, %2 group, %3 user):
// the group to join, or a group that gives no way in.
inline constexpr int kTextNoPermission = 250;
inline constexpr int kTextNoPermissionNoGroup = 251;

// Fills the list with COM1..COMcount, each with the device it leads to and,
// for a device present, its description, manufacturer and serial number.
void FillPortList(QComboBox& list, const TransportFactory& transports, int count);

// The list entry of the stored port: the remembered adapter's port when it is
// plugged in, else "ComPort".
int StoredPortIndex(const SettingsStore& settings, const TransportFactory& transports, int count);

// Language text 54, and when the device is there but this user may not use it,
// the reason and the fix.
QString OpenFailedText(const LangTable& lang, int serialError, const QString& path);

} // namespace qm
