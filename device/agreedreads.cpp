#include "device/agreedreads.h"

#include "core/hex.h"
#include "device/protocol.h"

#include <algorithm>
#include <vector>

namespace qm {

namespace {

// Asks until an answer repeats one given before.
template <class T, class Ask> std::optional<T> agreed(Ask ask) {
    std::vector<T> answers;
    for (int i = 0; i < kAgreeAttempts; ++i) {
        std::optional<T> answer = ask();
        if (!answer) continue;
        if (std::find(answers.begin(), answers.end(), *answer) != answers.end()) return answer;
        answers.push_back(*answer);
    }
    return std::nullopt;
}

} // namespace

std::optional<int> AgreedByte(DeviceConnection& link, int memAddress) {
    return agreed<int>([&]() -> std::optional<int> {
        const int b = link.eeRead(kDeviceAddress, memAddress, kEETimeoutMs);
        return b < 0 ? std::nullopt : std::optional<int>(b);
    });
}

std::optional<QByteArray> AgreedBytes(DeviceConnection& link, int memAddress, int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const std::optional<int> b = AgreedByte(link, memAddress + i);
        if (!b) return std::nullopt;
        bytes.append(static_cast<char>(*b));
    }
    return bytes;
}

std::optional<double> AgreedSingle(DeviceConnection& link, int memAddress) {
    const std::optional<QByteArray> bytes = AgreedBytes(link, memAddress, 4);
    if (!bytes) return std::nullopt;
    return SingleFromBytes(*bytes, false);
}

std::optional<int> AgreedTagQuery(DeviceConnection& link) {
    return agreed<int>([&] { return ParseByteReply(link.queryTag()); });
}

int AgreedBlock(DeviceConnection& link, QByteArray& image, int group) {
    int failure = kBlockGarbled; // stays so when every block arrived but no two agreed
    const std::optional<QByteArray> block = agreed<QByteArray>([&]() -> std::optional<QByteArray> {
        QByteArray read;
        const int r = link.readBlock(read, kDeviceAddress, group, 0);
        if (r == kBlockRead) return read;
        failure = r;
        return std::nullopt;
    });
    if (!block) return failure;
    image = *block;
    return kBlockRead;
}

} // namespace qm
