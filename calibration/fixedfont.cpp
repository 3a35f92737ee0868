#include "calibration/fixedfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace qm {

// The curve list lines its columns up with blanks, so the font must really be
// fixed-pitch. Some platforms (offscreen, minimal X setups) answer the generic
// fixed font with a proportional one; try known families before giving up.
QFont FixedPitchFont() {
    const QStringList preferred = {
        QStringLiteral("Courier New"),     QStringLiteral("DejaVu Sans Mono"),
        QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans Mono"),
        QStringLiteral("Nimbus Mono PS"),  QStringLiteral("Consolas")};
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : preferred) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            QFont f(family);
            f.setStyleHint(QFont::TypeWriter);
            return f;
        }
    }
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(system).fixedPitch()) return system;
    for (const QString& family : installed) {
        if (QFontDatabase::isFixedPitch(family)) return QFont(family);
    }
    return system;
}

} // namespace qm
