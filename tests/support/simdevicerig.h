#pragma once
// A simulated QM-07R on COM1 on virtual time, opened, with what reading and
// writing the sensor needs. Language text n reads "T<n>"; questions go to a
// ScriptedMessages; the window's buttons are logged as "lock" and "unlock".
#include "device/deviceconnection.h"
#include "sensor/reader.h"
#include "sim/simtransport.h"
#include "support/scriptedmessages.h"

namespace qm::testing {

inline LangTable NumberedTexts() {
    LangTable t;
    for (int i = 1; i <= LangTable::kSize; ++i)
        t.set(i, QStringLiteral("T%1").arg(i));
    return t;
}

class LockLogUi final : public ReadUi {
  public:
    QStringList log;
    void lockButtons(bool locked) override { log << (locked ? "lock" : "unlock"); }
};

struct SimDeviceRig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    DeviceConnection link{factory, clock};
    LangTable lang = NumberedTexts();
    LockLogUi ui;
    ScriptedMessages messages;
    ReadContext ctx{link, lang, ui, &messages, QDate(2026, 5, 6)};
    SensorSession s;
    SensorReadReport report;

    explicit SimDeviceRig(bool tag) {
        device.setTagPresent(tag);
        factory.attach(1, device);
        link.open(1);
    }
    int read() { return ReadAll(ctx, s, nullptr, &report); }
};

} // namespace qm::testing
