// Any text as the history's URL and the settings' port map: a URL is taken
// whole or refused, and what goes to the database driver is key=value
// options that cannot start another one; every port keeps a path.
#include "core/settings.h"
#include "device/portmap.h"
#include "records/databaseurl.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = input.split(u'\n');
    DatabaseTarget t;
    QString error;
    if (ParseDatabaseUrl(lines.first(), t, &error)) {
        if (t.driver != u"QSQLITE" && t.driver != u"QPSQL") std::abort();
        for (const QString& option : t.options)
            if (!option.contains(u'=') || option.contains(u';') || option.contains(u' '))
                std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    // The other lines: COMn=path in the settings' Ports section.
    MemorySettingsStore settings;
    for (const QString& line : lines.mid(1))
        settings.setValue(QStringLiteral("Ports"), line.section(u'=', 0, 0), line.section(u'=', 1));
    const PortMap map(&settings, [](const QString&) { return QString(); });
    for (int port = 1; port <= kPortCount; ++port)
        if (map.path(port).isEmpty()) std::abort();
    if (!map.path(0).isEmpty() || !map.path(kPortCount + 1).isEmpty()) std::abort();
    PortNumberFromName(lines.first());
    return 0;
}
