#pragma once
// What the window says after a save of the sensor's memory.
#include "core/langtable.h"
#include "sensor/writer.h"

namespace qm {

// The message for a save that went wrong short of a write that stopped
// midway (see WriteStoppedText); empty when there is nothing to say.
QString SaveProblemText(const LangTable& lang, const SaveReport& report);

// Text 47 with the code, where and why the write stopped, and the backup's path.
QString WriteStoppedText(const LangTable& lang, const SaveReport& report);

} // namespace qm
