// Any bytes as a device float never crash; any float in the device's range
// goes through DevFloatBytes and back unchanged.
#include "sensor/imagecodec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)DevFloatFromBytes(bytes);

    if (size >= 4) {
        float x;
        std::memcpy(&x, data, sizeof x);
        const QByteArray stored = DevFloatBytes(x, 4);
        if (stored.size() != 4 || DevFloatBytes(x, 3).size() != 3) std::abort();
        const float a = std::fabs(x);
        const bool inRange = a >= std::ldexp(1.0f, -128) && a < std::ldexp(1.0f, 127);
        if (inRange && static_cast<float>(DevFloatFromBytes(stored)) != x) std::abort();
    }
    return 0;
}
