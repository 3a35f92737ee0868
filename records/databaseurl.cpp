#include "records/databaseurl.h"

#include "core/settings.h"
#include "sensor/backup.h"

#include <QUrl>
#include <QUrlQuery>

namespace qm {

namespace {

bool fail(QString* error, const QString& url, const QString& why) {
    if (error) *error = QStringLiteral("the database URL \"%1\" %2").arg(url, why);
    return false;
}

} // namespace

bool ParseDatabaseUrl(const QString& text, DatabaseTarget& target, QString* error) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (error)
            *error = QStringLiteral("no database URL, and no data folder for the local history "
                                    "(neither HOME nor XDG_DATA_HOME is set)");
        return false;
    }
    if (trimmed.startsWith(u'/'))
        return ParseDatabaseUrl(QStringLiteral("sqlite://") + trimmed, target, error);
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid()) return fail(error, trimmed, QStringLiteral("cannot be read"));
    DatabaseTarget t;
    t.url = url.toString(QUrl::RemovePassword);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"sqlite") {
        if (!url.host().isEmpty() || url.path().isEmpty() || url.path().endsWith(u'/'))
            return fail(error, trimmed, QStringLiteral("names no file (sqlite:///path/file)"));
        t.driver = QStringLiteral("QSQLITE");
        t.databaseName = url.path();
    } else if (scheme == u"postgresql" || scheme == u"postgres") {
        t.driver = QStringLiteral("QPSQL");
        t.databaseName = url.path().mid(1);
        if (t.databaseName.isEmpty() || t.databaseName.contains(u'/'))
            return fail(error, trimmed, QStringLiteral("names no database (.../qm07)"));
        t.host = url.host();
        const QUrlQuery query(url);
        if (query.hasQueryItem(QStringLiteral("host")))
            t.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
        t.port = url.port(-1);
        t.user = url.userName(QUrl::FullyDecoded);
        t.password = url.password(QUrl::FullyDecoded);
    } else {
        return fail(error, trimmed,
                    QStringLiteral("is neither postgresql://user@host:port/database nor "
                                   "sqlite:///path/file"));
    }
    target = t;
    return true;
}

QString DefaultDatabaseFile() {
    const QString data = DefaultDataFolder();
    return data.isEmpty() ? QString() : data + QStringLiteral("/calibrations.sqlite");
}

QString LocalDatabaseUrl() {
    const QString file = DefaultDatabaseFile();
    if (file.isEmpty()) return {};
    QUrl url = QUrl::fromLocalFile(file);
    url.setScheme(QStringLiteral("sqlite"));
    return url.toString();
}

QString ConfiguredDatabaseUrl(const SettingsStore& settings) {
    const QString env = qEnvironmentVariable(kDatabaseEnv).trimmed();
    if (!env.isEmpty()) return env;
    const QString stored =
        settings.value(QStringLiteral("Database"), QStringLiteral("Url")).trimmed();
    return stored.isEmpty() ? LocalDatabaseUrl() : stored;
}

} // namespace qm
