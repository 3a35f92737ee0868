#pragma once
// Reads whose answer decides what is written or kept as a backup. A digit
// flipped on the line gives a reply of the right form with the wrong value,
// which one read cannot tell from a good one: each is asked again until two
// answers agree, at most kAgreeAttempts times.
#include "device/deviceconnection.h"

#include <QByteArray>
#include <optional>

namespace qm {

inline constexpr int kAgreeAttempts = 4;

// One byte of device memory ("ER").
std::optional<int> AgreedByte(DeviceConnection& link, int memAddress);
// count bytes from memAddress on, each agreed; empty when one is not.
std::optional<QByteArray> AgreedBytes(DeviceConnection& link, int memAddress, int count);
// The IEEE single stored at memAddress..memAddress+3.
std::optional<double> AgreedSingle(DeviceConnection& link, int memAddress);
// The byte of the iTag query ("KQ").
std::optional<int> AgreedTagQuery(DeviceConnection& link);
// A configuration block ("KB"): kBlockRead with image set, else the last
// failed read's result (kBlockGarbled when every block arrived but no two
// agreed); image is left alone then.
int AgreedBlock(DeviceConnection& link, QByteArray& image, int group);

} // namespace qm
