#include "core/settings.h"

#include <QSettings>

namespace qm {

QString QtSettingsStore::value(const QString& section, const QString& key,
                               const QString& fallback) const {
    const QSettings s(QStringLiteral("QM-07R"), QStringLiteral("QM-07R"));
    return s.value(section + QLatin1Char('/') + key, fallback).toString();
}

void QtSettingsStore::setValue(const QString& section, const QString& key, const QString& value) {
    QSettings s(QStringLiteral("QM-07R"), QStringLiteral("QM-07R"));
    s.setValue(section + QLatin1Char('/') + key, value);
}

} // namespace qm
