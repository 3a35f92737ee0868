#pragma once
// Whether a measurement reply is a reading at all. The device derives the
// signal from the raw count with the zero count N and the multiplier k
// (signal = (count - N) * k, mV/V); a reply whose fields break that, or that
// holds anything but hexadecimal digits where the numbers stand, was garbled
// on the way and is no reading.
#include "device/protocol.h"

#include <QByteArrayView>
#include <optional>

namespace qm {

// The device's constants as read; k == 0 (not read yet) leaves the relation unchecked.
struct SystemConstants {
    double N = 0;
    double k = 0;
};

std::optional<Measurement> CheckedMeasurement(QByteArrayView reply, const SystemConstants& c);

} // namespace qm
