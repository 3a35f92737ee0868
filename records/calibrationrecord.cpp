#include "records/calibrationrecord.h"

namespace qm {

QString RecordKindWord(RecordKind kind) {
    switch (kind) {
    case RecordKind::Calibration:
        return QStringLiteral("calibration");
    case RecordKind::BlockWrite:
        return QStringLiteral("write");
    case RecordKind::Restore:
        return QStringLiteral("restore");
    case RecordKind::Constants:
        return QStringLiteral("constants");
    case RecordKind::Verification:
        return QStringLiteral("verification");
    }
    return {};
}

bool RecordKindFromWord(const QString& word, RecordKind& kind) {
    for (RecordKind k : {RecordKind::Calibration, RecordKind::BlockWrite, RecordKind::Restore,
                         RecordKind::Constants, RecordKind::Verification})
        if (RecordKindWord(k) == word) {
            kind = k;
            return true;
        }
    return false;
}

} // namespace qm
