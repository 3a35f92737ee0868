#include "core/datafiles.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

QString FindLanguageFile(const QString& programDir, const QString& dataFromBin) {
    const QDir dir(programDir);
    const QString beside = dir.filePath(QLatin1String(kLanguageFileName));
    if (QFileInfo(beside).isFile()) return beside;
    const QString installed =
        QDir::cleanPath(dir.filePath(dataFromBin + u'/' + QLatin1String(kLanguageFileName)));
    return QFileInfo(installed).isFile() ? installed : beside;
}

} // namespace qm
