#include "sensor/changedbytes.h"

namespace qm {

QList<int> ChangedOffsets(const QByteArray& stored, const QByteArray& image) {
    QList<int> offsets;
    for (qsizetype i = 0; i < image.size(); ++i)
        if (i >= stored.size() || image[i] != stored[i]) offsets.append(static_cast<int>(i));
    return offsets;
}

QByteArray BlockAfterWrite(const QByteArray& stored, const QByteArray& image) {
    return image.size() >= stored.size() ? image : image + stored.mid(image.size());
}

} // namespace qm
