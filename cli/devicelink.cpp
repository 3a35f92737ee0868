#include "cli/devicelink.h"

#include "core/hex.h"
#include "device/discovery.h"
#include "device/portlist.h"

#include <QRegularExpression>

namespace qm::cli {

DeviceLink::DeviceLink() : m_map(&m_settings) {}

bool DeviceLink::choosePort(Context& ctx, int& exitCode) {
    QString name = ctx.port.trimmed();
    if (ctx.portGiven && name.isEmpty()) {
        exitCode =
            Fail(ctx, QStringLiteral("--port needs a port: COM1..COM20 or a path"), kExitBadInput);
        return false;
    }
    QString stored;
    if (!ctx.portGiven) { // the port that last answered, following its adapter
        stored = StoredPortSetting(
            m_settings, [this](int p) { return m_map.path(p); }, kPortCount);
        name = QStringLiteral("COM") + stored.trimmed();
    }
    m_port = PortNumberFromName(name);
    if (m_port == 0) {
        if (!ctx.portGiven) { // the stored setting is a number, never a path
            exitCode = Fail(ctx,
                            QStringLiteral("the stored port setting ComPort=\"%1\" names no port "
                                           "COM1..COM20; give --port")
                                .arg(stored),
                            kExitBadInput);
            return false;
        }
        if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
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
    switch (ConnectDevice(*m_connection, m_port)) {
    case ConnectResult::Ok:
        return true;
    case ConnectResult::OpenFailed: {
        QString text;
        m_connection->errorText(text);
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
    return ReadContext{*m_connection, QDate::currentDate(), {}, {}};
}

namespace {

// "the iTag query (KQ)" and the like: the first exchange without a whole reply.
QString gapText(const SensorReadReport& r) {
    switch (r.gap) {
    case ReadGap::DisplayDigits:
        return QStringLiteral("the display digits (ER 20)");
    case ReadGap::ZeroCount:
        return QStringLiteral("the zero count N (ER 90)");
    case ReadGap::Multiplier:
        return QStringLiteral("the multiplier k (ER 94)");
    case ReadGap::TagQuery:
        return QStringLiteral("the iTag query (KQ)");
    case ReadGap::LineLost:
        return QStringLiteral("the iTag query (the line was lost)");
    case ReadGap::Block:
        return QStringLiteral("block 0x%1 (KB)").arg(HexN(r.gapBlock, 2));
    case ReadGap::None:
        break;
    }
    return {};
}

} // namespace

bool DeviceLink::readAll(Context& ctx, SensorSession& s, int& exitCode, QString* ident,
                         SensorReadReport* report) {
    ReadContext rc = readContext();
    SensorReadReport local;
    SensorReadReport& got = report ? *report : local;
    const int r = ReadAll(rc, s, &got);
    if (ident) *ident = got.ident;
    if (r == -3 || r == -2) {
        exitCode = Fail(ctx, QStringLiteral("no QM-07R identifies itself on %1").arg(where()),
                        kExitDevice);
        return false;
    }
    if (got.gap != ReadGap::None && got.gap != ReadGap::LineLost) {
        exitCode = Fail(ctx,
                        QStringLiteral("no whole reply from %1 to %2, or no two that agree: "
                                       "nothing it reported is used")
                            .arg(where(), gapText(got)),
                        kExitDevice);
        return false;
    }
    if (r < 0 || !m_connection->isOpen()) {
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
    m_connection = std::make_unique<DeviceConnection>(*m_factory, m_clock);
}

bool ParseBlockOption(const QString& text, int& group) {
    // Exactly the two blocks: "-0", "+80" or "0x080" name nothing.
    static const QRegularExpression block(QStringLiteral("^(0x)?(00|80)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = block.match(text.trimmed());
    if (!m.hasMatch()) return false;
    group = m.captured(2) == u"80" ? kGroupDevice : kGroupTag;
    return true;
}

} // namespace qm::cli
