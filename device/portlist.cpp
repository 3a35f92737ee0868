#include "device/portlist.h"

#include "core/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace qm {

namespace {

const QString kDefault = QStringLiteral("Default");
const QString kById = QStringLiteral("ComPortById");

// The device file behind a path (links followed); the path itself when it leads nowhere.
QString realDevice(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

QString StableNameOf(const QString& path, const QString& folder) {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) return {};
    const QFileInfoList links = QDir(folder).entryInfoList(QDir::System | QDir::Files, QDir::Name);
    for (const QFileInfo& link : links)
        if (link.isSymLink() && link.canonicalFilePath() == target) return link.filePath();
    return {};
}

QList<SerialDevice> ListSerialDevices(const QString& folder) {
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString device = info.systemLocation();
        out.append({device, info.description(), info.manufacturer(), info.serialNumber(),
                    StableNameOf(device, folder)});
    }
    return out;
}

const SerialDevice* FindPresent(const QString& path, const QList<SerialDevice>& present) {
    const QString device = realDevice(path);
    for (const SerialDevice& d : present)
        if (realDevice(d.device) == device) return &d;
    return nullptr;
}

QString DeviceSummary(const QString& path, const QList<SerialDevice>& present) {
    const SerialDevice* d = FindPresent(path, present);
    if (!d) return path;
    QStringList facts;
    for (const QString& fact : {d->description, d->manufacturer, d->serialNumber})
        if (!fact.trimmed().isEmpty()) facts << fact.trimmed();
    const QString name = path == d->device ? path : path + QStringLiteral(" -> ") + d->device;
    return facts.isEmpty() ? name : name + QStringLiteral(": ") + facts.join(QStringLiteral(", "));
}

QString StoredPortSetting(const SettingsStore& settings, const std::function<QString(int)>& pathOf,
                          int lastPort, const QString& folder) {
    const QString stored = settings.value(kDefault, QStringLiteral("ComPort"), QStringLiteral("1"));
    const QString link = settings.value(kDefault, kById).trimmed();
    // Only a link in the by-id folder counts: the setting is not a way to name any file.
    if (link.isEmpty() || QFileInfo(link).absolutePath() != QFileInfo(folder).absoluteFilePath())
        return stored;
    const QString device = QFileInfo(link).canonicalFilePath();
    if (device.isEmpty()) return stored; // not plugged in
    if (realDevice(pathOf(static_cast<int>(stored.toInt()))) == device) return stored;
    for (int p = 1; p <= lastPort; ++p)
        if (realDevice(pathOf(p)) == device) return QString::number(p);
    return stored;
}

void RememberStableName(SettingsStore& settings, const QString& path, const QString& folder) {
    settings.setValue(kDefault, kById, StableNameOf(path, folder));
}

} // namespace qm
