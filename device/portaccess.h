#pragma once
// Why a serial port could not be opened, told apart so that the commonest first
// failure on Linux (the user is not in the group that owns the device) can be
// said with its fix. Pure: the facts about the device file are gathered apart.
#include <QString>

namespace qm {

struct DeviceFileFacts {
    QString path; // the device file (links followed)
    bool exists = false;
    bool readable = false; // by this user
    bool writable = false;
    QString group; // the group that owns it ("dialout")
};

enum class OpenFailure {
    Other,
    Missing,      // no such device
    NoPermission, // the device is there but this user may not use it
    Busy,         // usable by this user, yet refused: another program holds it
};

// The failure behind serialError (a QSerialPort::SerialPortError) for a device
// file with the given facts.
OpenFailure ClassifyOpenFailure(int serialError, const DeviceFileFacts& facts);

// The facts about the device file that path leads to.
DeviceFileFacts InspectDeviceFile(const QString& path);

// The login name of the user running the program.
QString CurrentUserName();

// The message for NoPermission: %1 the device file, %2 its group, %3 the user.
// groupTempl names the group to join; noGroupTempl serves a device whose group
// gives no way in (root, or none), where only the administrator can help.
// Empty templates take the built-in English ones.
QString PermissionMessage(const QString& groupTempl, const QString& noGroupTempl,
                          const DeviceFileFacts& facts, const QString& user);

} // namespace qm
