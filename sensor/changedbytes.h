#pragma once
// Which bytes of a block a write has to send: a byte that already holds its
// new value costs 20 ms for nothing.
#include <QByteArray>
#include <QList>

namespace qm {

// The 0-based offsets of image whose byte differs from the block as it
// stands, ascending; an offset behind the end of stored differs, so an empty
// stored (a block that cannot be trusted) gives every offset.
QList<int> ChangedOffsets(const QByteArray& stored, const QByteArray& image);

// What the block must hold after image is written into it: image over the
// stored bytes, the stored ones behind it unchanged.
QByteArray BlockAfterWrite(const QByteArray& stored, const QByteArray& image);

} // namespace qm
