#pragma once
// The sensor page and the working curve turned into the record to store,
// without widgets: the checks, the fields, the serial number.
#include "sensor/recordrules.h"
#include "sensor/sensorrecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace qm {

class LangTable;
class WorkingCurve;

// What the sensor page's fields hold.
struct SensorPageValues {
    QString description;   // descriptionField
    QString unit;          // unitField
    int formatIndex = -1;  // cmbFormat, -1 when nothing is chosen
    int gainIndex = -1;    // cmbGain, -1 when nothing is chosen
    QString averaging;     // cmbSlide's entry
    QString fastAveraging; // cmbSlideRychl's entry
};

// The first check the page failed, in the order they are made.
enum class PageFault { None, DuplicatePoint, TooFewPoints, TooManyPoints, NoDescription };

struct PageRecord {
    PageFault fault = PageFault::None;
    SensorRecord record; // the stored record when fault is None
};

// `current` with the page's fields, the curve's points (sorted and counted by
// the caller), today's date, a valid serial number and `flags`.
PageRecord recordFromPage(const SensorPageValues& page, const WorkingCurve& curve,
                          const SensorRecord& current, int displayDigits, uint8_t flags,
                          const QDateTime& now, const RandomSource& random = {});

// The critical messages that say what a fault is, in the order they are shown.
QStringList pageFaultMessages(PageFault fault, const WorkingCurve& curve, const LangTable& lang);

} // namespace qm
