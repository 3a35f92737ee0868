#pragma once
// COMn -> device path. The defaults follow the usual Linux names; the settings
// store (section "Ports", key "COMn") and the environment (QM07_PORT_COMn) can
// point a port elsewhere, e.g. at the simulator's pty. The environment wins.
#include <QMap>
#include <QString>
#include <QStringView>
#include <functional>

namespace qm {

class SettingsStore;

inline constexpr int kPortCount = 20;

// The built-in path of COMn (1..20); empty outside that range.
QString DefaultPortPath(int port);

// "COM3", "com3" -> 3; 0 when the text is not COM followed by 1..20.
int PortNumberFromName(QStringView name);

class PortMap {
  public:
    using EnvLookup = std::function<QString(const QString& name)>;
    // settings may be null; env defaults to the process environment.
    explicit PortMap(const SettingsStore* settings = nullptr, EnvLookup env = {});
    // The path for COMn; empty outside 1..20.
    QString path(int port) const;
    // Names COMn's path outright, before anything else (a path given on a command line).
    void pin(int port, const QString& path);

  private:
    const SettingsStore* m_settings;
    EnvLookup m_env;
    QMap<int, QString> m_pinned;
};

} // namespace qm
