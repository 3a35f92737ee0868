#pragma once
// Putting a backup back right after a write that stopped midway: the block
// read again, the bytes of the backup that it does not hold written, the
// block read back and all 256 bytes compared.
#include "device/protocol.h"

#include <QByteArray>

namespace qm {

struct RestoreResult {
    int writeResult = 0;     // WriteConfigBlock's; kRestoreNotABlock for a file of another size
    bool readBack = false;   // the block arrived when read back
    int firstDifference = 0; // 1-based; 0 when the block holds the backup
    int bytesSent = 0;       // every byte when the block did not read the same twice
    bool ok() const { return writeResult == 0 && readBack && firstDifference == 0; }
};

inline constexpr int kRestoreNotABlock = -30000;

RestoreResult RestoreBlock(DeviceConnection& link, int group, const QByteArray& backup,
                           const WriteProgress& progress = {});

} // namespace qm
