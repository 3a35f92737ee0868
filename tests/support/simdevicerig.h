#pragma once
// A simulated QM-07R on COM1 on virtual time, opened, with what reading and
// writing the sensor needs: the stages are logged, and a block that does not
// decode is put to the scripted answers (Keep when none is left).
#include "device/deviceconnection.h"
#include "sensor/reader.h"
#include "sim/simtransport.h"

#include <QList>

namespace qm::testing {

struct SimDeviceRig {
    VirtualClock clock;
    DeviceModel device;
    SimTransportFactory factory{clock};
    DeviceConnection link{factory, clock};
    QList<SensorStage> stages;
    QList<int> asked; // the groups put to the caller
    QList<BadImageChoice> answers;
    ReadContext ctx{link, QDate(2026, 5, 6), [this](SensorStage st) { stages << st; },
                    [this](int group) {
                        asked << group;
                        return answers.isEmpty() ? BadImageChoice::Keep : answers.takeFirst();
                    }};
    SensorSession s;
    SensorReadReport report;

    explicit SimDeviceRig(bool tag) {
        device.setTagPresent(tag);
        factory.attach(1, device);
        link.open(1);
    }
    int read() { return ReadAll(ctx, s, &report); }
};

} // namespace qm::testing
