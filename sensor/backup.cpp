#include "sensor/backup.h"

#include "core/hex.h"
#include "device/protocol.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace qm {

namespace {

// Far more saves within one second than a person makes; test runs on a
// fixed virtual time may pile up many.
constexpr int kMaxSuffix = 99999;

QString blockText(int block) {
    return HexN(block, 2);
}

// Creates path only when nothing is there; false when the name is taken or
// the file cannot be written (error set then, a half file removed).
enum class NewFile { Written, Taken, Failed };
NewFile writeNew(const QString& path, const QByteArray& bytes, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (f.exists()) return NewFile::Taken;
        error = QStringLiteral("cannot create %1: %2").arg(path, f.errorString());
        return NewFile::Failed;
    }
    const bool ok = f.write(bytes) == bytes.size() && f.flush();
    if (ok) {
        f.close();
        return NewFile::Written;
    }
    error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    f.close();
    f.remove();
    return NewFile::Failed;
}

} // namespace

QString DefaultDataFolder() {
#ifdef Q_OS_UNIX
    // Without either the system names the root, and files would land in //.local/share.
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME") && qEnvironmentVariableIsEmpty("HOME"))
        return {};
#endif
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return {};
    return data + QStringLiteral("/QM-07R");
}

QString DefaultBackupFolder() {
    const QString data = DefaultDataFolder();
    return data.isEmpty() ? QString() : data + QStringLiteral("/backups");
}

QString BackupSerial(const QString& serialNo) {
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]+$"));
    const QString s = serialNo.trimmed();
    return safe.match(s).hasMatch() ? s : QStringLiteral("unknown");
}

QString BackupFileName(const QString& serialNo, int block, const QDateTime& when) {
    return QStringLiteral("%1-%2-%3.bin")
        .arg(BackupSerial(serialNo), blockText(block),
             when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

int BlockFromBackupName(const QString& fileName) {
    static const QRegularExpression name(QStringLiteral("-(00|80)-\\d{8}-\\d{6}(-\\d+)?\\.bin$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = name.match(fileName);
    return m.hasMatch() ? static_cast<int>(HexVal(m.captured(1))) : -1;
}

BackupResult WriteBackupFile(const QString& folder, const QString& serialNo, int block,
                             const QByteArray& bytes, const QDateTime& when) {
    BackupResult r;
    if (folder.isEmpty()) {
        r.error = QStringLiteral("no folder for backups");
        return r;
    }
    if (!QDir().mkpath(folder)) {
        r.error = QStringLiteral("cannot create the folder %1").arg(folder);
        return r;
    }
    const QString base = QDir(folder).filePath(BackupFileName(serialNo, block, when));
    const QString stem = base.chopped(4); // without ".bin"
    for (int n = 0; n <= kMaxSuffix; ++n) {
        const QString path = n == 0 ? base : QStringLiteral("%1-%2.bin").arg(stem).arg(n);
        switch (writeNew(path, bytes, r.error)) {
        case NewFile::Written:
            r.ok = true;
            r.path = path;
            r.bytes = bytes;
            return r;
        case NewFile::Failed:
            return r;
        case NewFile::Taken:
            break;
        }
    }
    r.error = QStringLiteral("too many backups named %1").arg(base);
    return r;
}

BlockReading ReadBlockTwice(DeviceConnection& link, int group, const QByteArray& lastRead) {
    const int block = BlockNumber(group, 0);
    BlockReading r;
    auto read = [&](QByteArray& image) {
        if (link.readBlock(image, kDeviceAddress, group, 0) == kBlockRead) return true;
        r.error = QStringLiteral("block 0x%1 could not be read").arg(blockText(block));
        return false;
    };
    // A reply garbled into other hex digits is not taken for the sensor's memory.
    QByteArray first = lastRead, image;
    if ((first.isEmpty() && !read(first)) || !read(image)) return r;
    if (image != first)
        r.error = QStringLiteral("block 0x%1 read differently twice").arg(blockText(block));
    else
        r.bytes = image;
    return r;
}

BackupResult BackUpBlock(ReadContext& ctx, int group, const QByteArray& lastRead,
                         const QString& serialNo, const QString& folder) {
    const BlockReading now = ReadBlockTwice(ctx.link, group, lastRead);
    if (now.bytes.isEmpty()) return {false, {}, now.error, {}};
    return WriteBackupFile(folder.isEmpty() ? DefaultBackupFolder() : folder, serialNo,
                           BlockNumber(group, 0), now.bytes, ctx.link.clock().now());
}

} // namespace qm
