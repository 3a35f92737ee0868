#include "cli/historystore.h"

#include "core/settings.h"
#include "records/databaseurl.h"

namespace qm::cli {

bool OpenHistory(Context& ctx, RecordStore& store, int& exitCode) {
    const QtSettingsStore settings;
    const DatabaseStatus s = store.open(ConfiguredDatabaseUrl(settings));
    if (s.ok()) return true;
    exitCode = HistoryFailure(ctx, s);
    return false;
}

int HistoryFailure(Context& ctx, const DatabaseStatus& status) {
    return Fail(ctx, QStringLiteral("%1 [%2]").arg(status.text).arg(status.code),
                status.code == kDbNotFound ? kExitNoRecord : kExitHistory);
}

} // namespace qm::cli
