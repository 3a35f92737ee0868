// Any bytes as the device's reply to every request, through the device connection
// and the exchanges: nothing crashes or hangs, and only a whole, well-formed
// reply is ever taken (a block is its 512 hex digits, an echo its byte).
#include "device/agreedreads.h"
#include "device/livepoll.h"
#include "device/protocol.h"
#include "support/scriptedline.h"

#include <cstdlib>

using namespace qm;

namespace {

bool hexLine(const QByteArray& reply, qsizetype digits) {
    if (reply.size() != digits + 1 || reply.back() != '\r') return false;
    for (qsizetype i = 0; i < digits; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(reply[i]))) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 1000) return 0; // a reply longer than the read buffer is cut
    // First byte: where the reply splits into two pieces and how late they come.
    const int split = data[0];
    const QByteArray reply(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    LineRig rig;
    ScriptedLine& line = rig.ports.line(1);
    line.respond = [&](const QByteArray&, int) {
        return QList<ReplyPiece>{{split % 7, reply.left(split)}, {split % 13, reply.mid(split)}};
    };
    rig.link.open(1);

    // The parsers take only whole, well-formed replies.
    if (ParseByteReply(reply) && !hexLine(reply, 2)) std::abort();
    if (ParseBlockReply(reply) && !hexLine(reply, 512)) std::abort();
    if (ParseMeasurement(reply) && !hexLine(reply.left(22) + '\r', 22)) std::abort();

    // The first exchange on a quiet line sees exactly this reply.
    QByteArray image;
    const int r = rig.link.readBlock(image, 0, 4, 0);
    if ((r == kBlockRead) != hexLine(reply, 512)) std::abort();
    if (r == kBlockRead && image != QByteArray::fromHex(reply.left(512))) std::abort();
    // The others run on what is left: they end, within their ranges.
    const int b = rig.link.eeRead(0, 0x20, 100);
    if (b < -1 || b > 255) std::abort();
    rig.link.eeWrite(0, 0x20, 0x5A, 100);
    rig.link.writeBlock(QByteArray("\x5A\x5A"), 0, 4, 0);
    AgreedTagQuery(rig.link);
    rig.link.identify();
    PollLive(rig.link);
    return 0;
}
