#include "calibration/recordfrompage.h"

#include "calibration/sensorfields.h"
#include "calibration/workingcurve.h"
#include "core/blanks.h"
#include "core/langtable.h"
#include "core/numformat.h"
#include "sensor/reader.h"

namespace qm {

PageRecord recordFromPage(const SensorPageValues& page, const WorkingCurve& curve,
                          const SensorRecord& current, int displayDigits, uint8_t flags,
                          const QDateTime& now, const RandomSource& random) {
    PageRecord out;
    const QString description = TrimBlanks(page.description);
    // Without texts the duplicate message still names the number.
    static const LangTable noTexts;
    if (!curve.DuplicateMessage(noTexts).isEmpty())
        out.fault = PageFault::DuplicatePoint;
    else if (curve.pointCount() < 2)
        out.fault = PageFault::TooFewPoints;
    else if (curve.pointCount() > 10)
        out.fault = PageFault::TooManyPoints;
    else if (description.isEmpty())
        out.fault = PageFault::NoDescription;
    if (out.fault != PageFault::None) return out;

    SensorRecord& rec = out.record;
    rec = current;
    // A format the list cannot show (6 decimals on a 5-digit display) stays
    // while the last entry, which stands for it, is chosen: a save never cuts it.
    const int entries = int(FormatListFor(displayDigits).size());
    const bool unlisted = FormatDecimals(current.Format) >= entries;
    const QString mask = FormatMaskFor(page.formatIndex, displayDigits);
    if (!mask.isEmpty() && !(unlisted && page.formatIndex == entries - 1)) rec.Format = mask;
    rec.Description = PadField(description, SensorRecord::kDescriptionLen);
    rec.Unit = PadField(TrimBlanks(page.unit), SensorRecord::kUnitLen);
    if (page.gainIndex >= 0) rec.GainIndex = page.gainIndex;
    rec.DateSaved = DateYYMMDD(now.date());
    rec.SerialNo = CheckSerial(rec.SerialNo, now, random);
    rec.Flags = flags;
    rec.Averaging = SlideFromEntry(page.averaging);
    rec.AveragingSpeed = SlideFromEntry(page.fastAveraging);
    curve.CopyToRecord(rec);
    rec.SpareSingle = 0;
    return out;
}

QStringList pageFaultMessages(PageFault fault, const WorkingCurve& curve, const LangTable& lang) {
    switch (fault) {
    case PageFault::None:
        break;
    case PageFault::DuplicatePoint:
        return {curve.DuplicateMessage(lang), lang.text(kTextDuplicatePoints)};
    case PageFault::TooFewPoints:
        return {lang.text(kTextTooFewPoints)};
    case PageFault::TooManyPoints:
        return {lang.text(kTextTooManyPoints)};
    case PageFault::NoDescription:
        return {lang.text(kTextEnterDescription)};
    }
    return {};
}

} // namespace qm
