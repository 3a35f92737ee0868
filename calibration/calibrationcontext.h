#pragma once
// The state the calibration pages work on. The main window owns all of it and
// hands the pages references; the pages own none of it.
namespace qm {

class Clock;
class LangTable;
class MessageSink;
class WorkingCurve;
struct SensorSession;

struct CalibrationContext {
    SensorSession& session; // CurrentRecord, TagPresent, DisplayDigits
    WorkingCurve& curve;
    const LangTable& lang;
    MessageSink& messages;
    Clock& clock; // today's date and the serial number's time
};

} // namespace qm
