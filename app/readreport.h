#pragma once
// What the window says while the device and the sensor are read: the status
// line of each stage, the question about a block that does not decode, and
// the message for a device that cannot be read.
#include "core/langtable.h"
#include "core/messages.h"
#include "sensor/reader.h"

namespace qm {

// The status line of a stage; empty for a stage that leaves it as it is.
QString ReadStageText(const LangTable& lang, SensorStage stage);

// Whether the status overlay is shown (1), hidden (0) or left alone (-1) at a stage.
int ReadStageOverlay(SensorStage stage);

// The question put when block (group, 0) did not arrive or does not decode;
// No is the default, so the sensor's data is replaced only on a deliberate Yes.
Message BadImageQuestion(const LangTable& lang, int group);
BadImageChoice BadImageAnswer(MsgButton answer);

// The message for ReadAll's result on port (gap: the exchange a
// kReadUnclear read stopped at); empty when there is none to show.
QString ReadFailureText(const LangTable& lang, int result, int port, ReadGap gap = ReadGap::None);

} // namespace qm
