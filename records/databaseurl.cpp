#include "records/databaseurl.h"

#include "core/settings.h"
#include "sensor/backup.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace qm {

namespace {

bool fail(QString* error, const QString& url, const QString& why) {
    if (error) *error = QStringLiteral("the database URL \"%1\" %2").arg(url, why);
    return false;
}

// What the server's client library takes from a URL, less host (read above).
const QStringList kServerParameters = {"sslmode",
                                       "sslcert",
                                       "sslkey",
                                       "sslrootcert",
                                       "sslcrl",
                                       "sslpassword",
                                       "sslcompression",
                                       "requiressl",
                                       "gssencmode",
                                       "channel_binding",
                                       "krbsrvname",
                                       "application_name",
                                       "connect_timeout",
                                       "keepalives",
                                       "keepalives_idle",
                                       "keepalives_interval",
                                       "keepalives_count",
                                       "tcp_user_timeout",
                                       "target_session_attrs",
                                       "hostaddr",
                                       "passfile",
                                       "service",
                                       "client_encoding"};

// The URL's parameters as driver options; false with the reason for one it cannot pass.
bool serverOptions(const QUrlQuery& query, QStringList& options, QString& why) {
    bool timeout = false;
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == u"host") continue;
        if (!kServerParameters.contains(key)) {
            why =
                QStringLiteral("has the parameter \"%1\", which the server's driver does not take")
                    .arg(key);
            return false;
        }
        // The driver joins the options into one line: a space or quote would start another.
        if (value.isEmpty() ||
            value.contains(QRegularExpression(QStringLiteral("[\\s;'\"\\\\]")))) {
            why = QStringLiteral("has an empty value or a space, ';' or quote in \"%1\"").arg(key);
            return false;
        }
        timeout = timeout || key == u"connect_timeout";
        options << key + u'=' + value;
    }
    if (!timeout) options << QStringLiteral("connect_timeout=5");
    return true;
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
        if (url.hasQuery())
            return fail(error, trimmed,
                        QStringLiteral("has parameters, which an SQLite file does not take"));
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
        QString why;
        if (!serverOptions(query, t.options, why)) return fail(error, trimmed, why);
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
