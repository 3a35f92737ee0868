#include "device/portaccess.h"

#include <QFileInfo>
#include <QSerialPort>

namespace qm {

OpenFailure ClassifyOpenFailure(int serialError, const DeviceFileFacts& facts) {
    if (!facts.exists) return OpenFailure::Missing;
    // QSerialPort reports a refused open and a lock held by another program
    // alike; the file's mode tells them apart.
    if (serialError == QSerialPort::PermissionError)
        return facts.readable && facts.writable ? OpenFailure::Busy : OpenFailure::NoPermission;
    if (serialError == QSerialPort::DeviceNotFoundError) return OpenFailure::Missing;
    return OpenFailure::Other;
}

DeviceFileFacts InspectDeviceFile(const QString& path) {
    const QFileInfo link(path);
    const QString canonical = link.canonicalFilePath();
    const QFileInfo f(canonical.isEmpty() ? path : canonical);
    return {f.filePath(), f.exists(), f.isReadable(), f.isWritable(), f.group()};
}

QString CurrentUserName() {
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

QString PermissionMessage(const QString& groupTempl, const QString& noGroupTempl,
                          const DeviceFileFacts& facts, const QString& user) {
    // Joining root's group would hand out far more than the port.
    const bool joinable = !facts.group.isEmpty() && facts.group != u"root";
    QString text = joinable ? groupTempl : noGroupTempl;
    if (text.isEmpty())
        text = joinable ? QStringLiteral("You may not use the serial port %1: it belongs to the "
                                         "group \"%2\". Add your user to that group (sudo "
                                         "usermod -aG %2 %3), then log out and log in again.")
                        : QStringLiteral("You may not use the serial port %1, and its group "
                                         "\"%2\" gives no way in. Ask the administrator to "
                                         "give the group dialout access to it (a udev rule), "
                                         "add your user to dialout, then log in again.");
    // A translation may leave a placeholder out; the path goes in last so that
    // its characters are never read as one.
    return text.replace(QStringLiteral("%3"), user.isEmpty() ? QStringLiteral("$USER") : user)
        .replace(QStringLiteral("%2"), facts.group)
        .replace(QStringLiteral("%1"), facts.path);
}

} // namespace qm
