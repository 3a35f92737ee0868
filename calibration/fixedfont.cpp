#include "calibration/fixedfont.h"

#include <QFontDatabase>
#include <QStringList>

namespace qm {

QFont FixedPitchFont() {
    const QString family = QStringLiteral("Courier New");
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
        QFont f(family);
        f.setStyleHint(QFont::TypeWriter);
        return f;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace qm
