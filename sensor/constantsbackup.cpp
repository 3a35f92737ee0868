#include "sensor/constantsbackup.h"

#include "device/agreedreads.h"
#include "device/protocol.h"

#include <QRegularExpression>

namespace qm {

namespace {
const QString kSerial = QStringLiteral("device");
}

bool IsConstantsBackupName(const QString& fileName) {
    static const QRegularExpression name(QStringLiteral("-90-\\d{8}-\\d{6}(-\\d+)?\\.bin$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return name.match(fileName).hasMatch();
}

BackupResult BackUpConstants(DeviceConnection& link, const QString& folder) {
    QByteArray bytes;
    for (int i = 0; i < kConstantsBytes; ++i) {
        const std::optional<int> b = AgreedByte(link, kConstantsAddress + i);
        if (!b) {
            BackupResult r;
            r.error = QStringLiteral("byte 0x%1 could not be read twice alike")
                          .arg(kConstantsAddress + i, 0, 16);
            return r;
        }
        bytes.append(static_cast<char>(*b));
    }
    return WriteBackupFile(folder.isEmpty() ? DefaultBackupFolder() : folder, kSerial,
                           kConstantsAddress, bytes, link.clock().now());
}

int RestoreConstants(DeviceConnection& link, const QByteArray& bytes) {
    if (bytes.size() != kConstantsBytes) return -1;
    for (int i = 0; i < kConstantsBytes; ++i)
        link.eeWrite(kDeviceAddress, kConstantsAddress + i, static_cast<uint8_t>(bytes[i]),
                     kEETimeoutMs);
    return ConstantsDifference(link, bytes);
}

int ConstantsDifference(DeviceConnection& link, const QByteArray& bytes) {
    for (int i = 0; i < kConstantsBytes; ++i)
        if (link.eeRead(kDeviceAddress, kConstantsAddress + i, kEETimeoutMs) !=
            static_cast<uint8_t>(bytes[i]))
            return i + 1;
    return 0;
}

} // namespace qm
