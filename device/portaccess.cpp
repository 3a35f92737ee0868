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

QString PermissionMessage(const QString& templ, const DeviceFileFacts& facts, const QString& user) {
    const QString text = templ.isEmpty()
                             ? QStringLiteral("You may not use the serial port %1: it belongs to "
                                              "the group \"%2\". Add your user to that group "
                                              "(sudo usermod -aG %2 %3), then log out and log "
                                              "in again.")
                             : templ;
    const QString group = facts.group.isEmpty() ? QStringLiteral("dialout") : facts.group;
    return text.arg(facts.path, group, user.isEmpty() ? QStringLiteral("$USER") : user);
}

} // namespace qm
