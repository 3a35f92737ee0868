#include "app/historyproblem.h"

#include "core/messages.h"

namespace qm {

QString HistoryProblemText(const LangTable& lang, const QString& url,
                           const DatabaseStatus& status) {
    const bool server = url.startsWith(QStringLiteral("postgres"));
    int n = kTextHistoryNotWritable;
    switch (status.code) {
    case kDbBadUrl:
        n = url.isEmpty() ? kTextNoDataFolder : kTextHistoryBadUrl;
        break;
    case kDbNoDriver:
        n = kTextHistoryNoDriver;
        break;
    case kDbUnreachable:
        n = server ? kTextServerUnreachable : kTextHistoryFileUnreachable;
        break;
    case kDbTooNew:
        n = kTextHistoryTooNew;
        break;
    default:
        break;
    }
    return lang.text(n) + QStringLiteral(" [") + withCode(status.text, status.code) +
           QLatin1Char(']');
}

} // namespace qm
