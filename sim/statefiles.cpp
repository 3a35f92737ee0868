#include "sim/statefiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace qm {

namespace {

struct StateFile {
    const char* name;
    int block; // -1: device memory
};
constexpr StateFile kFiles[] = {{"block00.bin", DeviceModel::kTagBlock},
                                {"block80.bin", DeviceModel::kDeviceBlock},
                                {"memory.bin", -1}};

} // namespace

QStringList LoadDeviceState(const QString& dir, DeviceModel& model) {
    QStringList notes;
    const bool tag = model.tagPresent();
    model.setTagPresent(true); // so that block 0x00 can be filled
    for (const StateFile& f : kFiles) {
        QFile file(QDir(dir).filePath(QString::fromLatin1(f.name)));
        if (!file.exists()) continue;
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.read(257) : QByteArray();
        if (bytes.size() != 256) {
            notes << QStringLiteral("%1: not 256 bytes, ignored").arg(file.fileName());
            continue;
        }
        if (f.block < 0)
            model.setMemory(bytes);
        else
            model.setBlock(f.block, bytes);
    }
    model.setTagPresent(tag);
    return notes;
}

bool SaveDeviceState(const QString& dir, const DeviceModel& model, QString* error) {
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    for (const StateFile& f : kFiles) {
        QByteArray bytes = f.block < 0 ? model.memory() : model.block(f.block);
        if (bytes.isEmpty()) continue; // the iTag is absent: keep what the folder holds
        QSaveFile file(QDir(dir).filePath(QString::fromLatin1(f.name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            *error = QStringLiteral("cannot write %1").arg(file.fileName());
            return false;
        }
    }
    return true;
}

} // namespace qm
