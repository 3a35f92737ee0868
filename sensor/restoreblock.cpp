#include "sensor/restoreblock.h"

#include "sensor/writer.h"

namespace qm {

RestoreResult RestoreBlock(DeviceConnection& link, int group, const QByteArray& backup,
                           const WriteProgress& progress) {
    RestoreResult r;
    if (backup.size() != kBlockBytes) {
        r.writeResult = kRestoreNotABlock;
        return r;
    }
    r.writeResult = link.writeBlock(backup, kDeviceAddress, group, 0, progress);
    if (r.writeResult != 0) return r;
    QByteArray image;
    r.readBack = link.readBlock(image, kDeviceAddress, group, 0) == kBlockRead;
    if (r.readBack) r.firstDifference = ReadBackDifference(backup, image);
    return r;
}

} // namespace qm
