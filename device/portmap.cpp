#include "device/portmap.h"

#include "core/settings.h"

#include <QtGlobal>

namespace qm {

QString DefaultPortPath(int port) {
    if (port < 1 || port > kPortCount) return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    if (port <= 4) return QStringLiteral("/dev/ttyS%1").arg(port - 1);
    if (port <= 12) return QStringLiteral("/dev/ttyUSB%1").arg(port - 5);
    return QStringLiteral("/dev/ttyACM%1").arg(port - 13);
#endif
}

int PortNumberFromName(QStringView name) {
    const QStringView t = name.trimmed();
    if (t.size() < 4 || !t.left(3).startsWith(u"COM", Qt::CaseInsensitive)) return 0;
    bool ok = false;
    const int n = t.mid(3).toInt(&ok);
    return (ok && n >= 1 && n <= kPortCount && t.mid(3).front().isDigit()) ? n : 0;
}

PortMap::PortMap(const SettingsStore* settings, EnvLookup env)
    : m_settings(settings), m_env(std::move(env)) {
    if (!m_env)
        m_env = [](const QString& name) {
            return qEnvironmentVariable(name.toLocal8Bit().constData());
        };
}

QString PortMap::path(int port) const {
    if (port < 1 || port > kPortCount) return {};
    if (m_pinned.contains(port)) return m_pinned.value(port);
    const QString key = QStringLiteral("COM%1").arg(port);
    const QString fromEnv = m_env(QStringLiteral("QM07_PORT_") + key).trimmed();
    if (!fromEnv.isEmpty()) return fromEnv;
    if (m_settings) {
        const QString stored = m_settings->value(QStringLiteral("Ports"), key).trimmed();
        if (!stored.isEmpty()) return stored;
    }
    return DefaultPortPath(port);
}

void PortMap::pin(int port, const QString& path) {
    if (port >= 1 && port <= kPortCount) m_pinned.insert(port, path);
}

} // namespace qm
