#pragma once
// One way to record a write, for the window and the command line alike: the
// history opened before anything is written, the record started before the
// first byte and finished after, and the local file when the configured
// history fails and the front end agrees. Nothing here words a message.
#include "records/recordstore.h"
#include "sensor/writer.h"

#include <functional>
#include <optional>
#include <vector>

namespace qm {

enum class HistoryStep { Open, Begin, Finish };

// Asked when the history at url failed at step: true to go on in the local
// file. Never asked when url is the local file already.
using LocalFallback =
    std::function<bool(HistoryStep step, const QString& url, const DatabaseStatus& failure)>;

// What the curve knows beyond the written image.
struct CapturedFacts {
    std::optional<double> spread;
    std::optional<double> indicated; // the device's own reading, as found
    std::optional<double> indicatedSd;
};
struct CurveFacts {
    std::vector<CapturedFacts> points; // in the curve's order
    std::optional<double> nonLinearity;
};

// Opens store at configuredUrl, else at the local file when useLocal agrees.
DatabaseStatus OpenWriteHistory(RecordStore& store, const QString& configuredUrl,
                                const LocalFallback& useLocal);

// Stores rec as started (sets its id); nothing may be written when this fails.
DatabaseStatus BeginWriteRecord(RecordStore& store, CalibrationRecord& rec,
                                const LocalFallback& useLocal);

// Stores the outcome of a begun rec whose fields are filled; when the history
// is gone and useLocal agrees, the whole record goes into the local file
// (which store then holds) saying where it was started.
DatabaseStatus FinishWriteRecord(RecordStore& store, CalibrationRecord& rec,
                                 const LocalFallback& useLocal);

// The outcome of a block write from its report (a calibration's points get
// what was captured with them and the curve's non-linearity), then finished as above.
DatabaseStatus RecordBlockWrite(RecordStore& store, CalibrationRecord& rec,
                                const SaveReport& report, const CurveFacts& facts,
                                const LocalFallback& useLocal);

} // namespace qm
