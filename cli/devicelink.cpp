#include "cli/devicelink.h"

#include "device/discovery.h"
#include "device/portlist.h"

namespace qm::cli {

DeviceLink::DeviceLink() : m_map(&m_settings) {}

bool DeviceLink::choosePort(Context& ctx, int& exitCode) {
    QString name = ctx.port.trimmed();
    if (name.isEmpty()) // the port that last answered, following its adapter
        name = QStringLiteral("COM") +
               StoredPortSetting(
                   m_settings, [this](int p) { return m_map.path(p); }, kPortCount);
    m_port = PortNumberFromName(name);
    if (m_port == 0) {
        if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || name.isEmpty()) {
            exitCode =
                Fail(ctx, QStringLiteral("no such port \"%1\" (COM1..COM20 or a path)").arg(name),
                     kExitBadInput);
            return false;
        }
        m_port = 1; // a path stands in for COM1
        m_map.pin(m_port, name);
    }
    m_name = name;
    build();
    return true;
}

bool DeviceLink::connect(Context& ctx, int& exitCode) {
    switch (ConnectDevice(*m_layer, m_clock, m_port)) {
    case ConnectResult::Ok:
        return true;
    case ConnectResult::OpenFailed: {
        QString text;
        m_layer->CommErrorText(text);
        exitCode = Fail(ctx, QStringLiteral("cannot open %1: %2").arg(where(), text), kExitDevice);
        return false;
    }
    case ConnectResult::NoDevice:
        break;
    }
    exitCode = Fail(ctx, QStringLiteral("no QM-07R answers on %1").arg(where()), kExitDevice);
    return false;
}

ReadContext DeviceLink::readContext() {
    return ReadContext{*m_layer, m_clock, m_port, m_lang, m_ui, nullptr, QDate::currentDate()};
}

bool DeviceLink::readAll(Context& ctx, SensorSession& s, int& exitCode, QString* ident,
                         SensorReadReport* report) {
    ReadContext rc = readContext();
    const int r = ReadAll(rc, s, ident, report);
    if (r == -3 || r == -2) {
        exitCode = Fail(ctx, QStringLiteral("no QM-07R identifies itself on %1").arg(where()),
                        kExitDevice);
        return false;
    }
    if (r < 0 || !m_layer->PortIsOpen(m_port)) {
        exitCode = Fail(ctx, QStringLiteral("the line to %1 was lost").arg(where()), kExitDevice);
        return false;
    }
    return true;
}

QString DeviceLink::where() const {
    const QString path = m_map.path(m_port);
    return m_name == path ? path : QStringLiteral("%1 (%2)").arg(m_name, path);
}

void DeviceLink::build() {
    m_factory = std::make_unique<SerialTransportFactory>(m_map);
    m_layer = std::make_unique<SerialLayer>(*m_factory, m_clock);
}

bool ParseBlockOption(const QString& text, int& group) {
    bool ok = false;
    const QString t = text.trimmed().toLower();
    const int n = t.startsWith(QLatin1String("0x")) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok, 16);
    if (!ok || (n != 0x00 && n != 0x80)) return false;
    group = n / 32;
    return true;
}

} // namespace qm::cli
