#include "session/livesettings.h"

#include "core/settings.h"

#include <cmath>
#include <optional>

namespace qm {

namespace {
const QString kSection = QStringLiteral("Stability");

// The number stored under key when it is finite and within [lo, hi].
std::optional<double> storedNumber(const SettingsStore& s, const char* key, double lo, double hi) {
    bool ok = false;
    const double v = s.value(kSection, QLatin1String(key)).trimmed().toDouble(&ok);
    return ok && std::isfinite(v) && v >= lo && v <= hi ? std::optional<double>(v) : std::nullopt;
}
} // namespace

LiveEvidenceSettings ReadLiveEvidenceSettings(const SettingsStore& settings) {
    LiveEvidenceSettings out;
    out.stability.windowMs =
        static_cast<int>(storedNumber(settings, "WindowMs", 300, 60000).value_or(2000));
    const double digits = storedNumber(settings, "Digits", 0, 1000).value_or(5);
    out.stability.digits = digits > 0 ? digits : 5;
    const QString autoCapture = settings.value(kSection, QStringLiteral("AutoCapture")).trimmed();
    out.autoCapture = autoCapture == QLatin1String("1") ||
                      autoCapture.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    return out;
}

} // namespace qm
