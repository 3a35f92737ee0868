#pragma once
// The simulator's memories in a folder: block00.bin, block80.bin, memory.bin,
// 256 bytes each. A missing or wrongly sized file keeps the model's default.
#include "sim/devicemodel.h"

#include <QString>

namespace qm {

// Returns a note for each file that was present but unusable.
QStringList LoadDeviceState(const QString& dir, DeviceModel& model);
// False (and error set) when the folder cannot be written.
bool SaveDeviceState(const QString& dir, const DeviceModel& model, QString* error);

} // namespace qm
