#include "sensor/restoreblock.h"

#include "sensor/backup.h"
#include "sensor/changedbytes.h"
#include "sensor/writer.h"

namespace qm {

RestoreResult RestoreBlock(DeviceConnection& link, int group, const QByteArray& backup,
                           const WriteProgress& progress) {
    RestoreResult r;
    if (backup.size() != kBlockBytes) {
        r.writeResult = kRestoreNotABlock;
        return r;
    }
    const QByteArray now = ReadBlockTwice(link, group).bytes;
    r.writeResult = link.writeBytes(backup, ChangedOffsets(now, backup), kDeviceAddress, group, 0,
                                    progress, &r.bytesSent);
    if (r.writeResult != 0) return r;
    QByteArray image;
    r.readBack = link.readBlock(image, kDeviceAddress, group, 0) == kBlockRead;
    if (r.readBack) r.firstDifference = ReadBackDifference(backup, image);
    return r;
}

} // namespace qm
