#pragma once
// A configuration image typed byte by byte from the layout, for tests: gain 3,
// "Load cell 500 kg", 3 decimals, "kg", slides 10 and 5, saved 261204, made
// 250101, serial AC04WSK7, full scale 500, flags 0xD0, points (0, 0),
// (1, 250), (2, 500) as 4-byte device floats.
#include <QByteArray>

namespace qm::testing {

inline QByteArray LayoutImage() {
    auto hex = [](const char* h) { return QByteArray::fromHex(h); };
    QByteArray img = "FSN" + hex("01"
                                 "03"
                                 "000000");
    img += QByteArray("Load cell 500 kg").leftJustified(32);
    img += hex("03");
    img += "kg    ";
    img += hex("0A"
               "05");
    img += "261204"
           "250101"
           "AC04WSK7";
    img += hex("A0800000"
               "897A0000"
               "81"
               "00000000") +
           QByteArray(14, '\0');
    img += "KRI" + hex("D0"
                       "03"
                       "000000");
    img += hex("00000000"
               "00000000" // 0 mV/V, 0 kg
               "81000000"
               "887A0000" // 1 mV/V, 250 kg
               "82000000"
               "897A0000"); // 2 mV/V, 500 kg
    return img;
}

// An image as a device block holds it: 256 bytes, the rest 0xFF.
inline QByteArray ToBlock(const QByteArray& image) {
    return image.leftJustified(256, '\xFF', true);
}

inline QByteArray LayoutBlock() {
    return ToBlock(LayoutImage());
}

} // namespace qm::testing
