// Any text as a device float never crashes; any float in the device's range
// goes through DevFloatToHex and back unchanged.
#include "sensor/imagecodec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data),
                                             static_cast<qsizetype>(size));
    (void)HexToDevFloat(text);

    if (size >= 4) {
        float x;
        std::memcpy(&x, data, sizeof x);
        const QString hex = DevFloatToHex(x, 4);
        if (hex.size() != 8 || DevFloatToHex(x, 3).size() != 6)
            std::abort();
        const float a = std::fabs(x);
        const bool inRange = a >= std::ldexp(1.0f, -128) && a < std::ldexp(1.0f, 127);
        if (inRange && static_cast<float>(HexToDevFloat(hex)) != x)
            std::abort();
    }
    return 0;
}
