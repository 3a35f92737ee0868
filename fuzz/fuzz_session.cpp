// Any bytes as the device's replies, one per request in turn (split at '\n';
// requests past the last reply get silence): the whole read of a device and
// its sensor, the live poll and a write end without a crash or a hang.
#include "device/livepoll.h"
#include "sensor/reader.h"
#include "support/scriptedline.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 20000) return 0;
    const QList<QByteArray> replies =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\n');
    LineRig rig;
    ScriptedLine& line = rig.ports.line(1);
    line.respond = [&](const QByteArray&, int index) {
        // The first byte of a reply says how late it comes (0..63 ms).
        if (index > replies.size() || replies[index - 1].isEmpty()) return QList<ReplyPiece>{};
        const QByteArray& r = replies[index - 1];
        return QList<ReplyPiece>{{static_cast<unsigned char>(r[0]) % 64, r.mid(1)}};
    };
    rig.link.open(1);
    ReadContext ctx{rig.link, QDate(2026, 12, 6), {}, {}};
    SensorSession session;
    ReadAll(ctx, session);
    PollLive(rig.link);
    rig.link.writeBlock(QByteArray("FSN\x01"), 0, 4, 0);
    return 0;
}
