#pragma once
// A configuration image typed byte by byte from the layout, for tests: gain 3,
// "Load cell 500 kg", 3 decimals, "kg", slides 10 and 5, saved 261204, made
// 250101, serial AC04WSK7, full scale 500, flags 0xD0, points (0, 0),
// (1, 250), (2, 500) as 4-byte device floats.
#include <QByteArray>

namespace qm::testing {

inline QByteArray LayoutImage() {
    auto hex = [](const char* h) { return QByteArray::fromHex(h); }; // blanks are skipped
    return "FSN" + hex("01 03 000000") + QByteArray("Load cell 500 kg").leftJustified(32) +
           hex("03") + "kg    " + hex("0A 05") + "261204250101AC04WSK7" +
           hex("A0800000 897A0000 81 00000000") + QByteArray(14, '\0') + "KRI" +
           hex("D0 03 000000") +
           hex("00000000 00000000  81000000 887A0000  82000000 897A0000"); // the three points
}

// An image as a device block holds it: 256 bytes, the rest 0xFF.
inline QByteArray ToBlock(const QByteArray& image) {
    return image.leftJustified(256, '\xFF', true);
}

inline QByteArray LayoutBlock() {
    return ToBlock(LayoutImage());
}

} // namespace qm::testing
