// Any name and bytes as a backup file given to restore: the name names a
// block or N and k or nothing, and the bytes give a serial number of at most
// the field's length, a decoded image or a refusal.
#include "cli/imagefile.h"
#include "records/writeoutcome.h"
#include "sensor/backup.h"
#include "sensor/constantsbackup.h"
#include "sensor/imagecodec.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype newline = input.indexOf('\n');
    const QString name = QString::fromUtf8(input.left(newline < 0 ? 0 : newline));
    const QByteArray content = input.mid(newline + 1);
    const int block = BlockFromBackupName(name);
    if (block != -1 && block != 0x00 && block != 0x80) std::abort();
    if (IsConstantsBackupName(name) && block >= 0) std::abort();
    if (SerialField(content).size() > SensorRecord::kSerialLen) std::abort();
    cli::ReadImageFile(content);
    CalibrationRecord r;
    for (const int group : {0, 4})
        FillPointsFromImage(r, content, group);
    if (r.points.size() > size_t(SensorRecord::kMaxPoints)) std::abort();
    return 0;
}
