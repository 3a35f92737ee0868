#include "sensor/restoreblock.h"

#include "sensor/writer.h"

namespace qm {

RestoreResult RestoreBlock(SerialLayer& layer, Clock& clock, int port, int group,
                           const QByteArray& backup, const WriteProgress& progress) {
    RestoreResult r;
    if (backup.size() != kBlockBytes) {
        r.writeResult = kRestoreNotABlock;
        return r;
    }
    r.writeResult =
        WriteConfigBlock(layer, clock, port, backup, kDeviceAddress, group, 0, progress);
    if (r.writeResult != 0) return r;
    QByteArray image;
    r.readBack = ReadConfigBlock(layer, clock, port, image, kDeviceAddress, group, 0) == kBlockRead;
    if (r.readBack) r.firstDifference = ReadBackDifference(backup, image);
    return r;
}

} // namespace qm
