#include "calibration/capturelevel.h"

#include "core/blanks.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "sensor/sensorrecord.h"

namespace qm {

std::optional<CapturedLevel> TakeLevel(const CalibrationContext& ctx, std::optional<double> live,
                                       const std::optional<CaptureWindow>& w, bool watched) {
    // A device that stopped answering must not leave its last value to be
    // captured; one late reply in a settled window of good readings is no reason
    // to refuse its mean.
    if (!live && !(w && w->stable)) {
        ctx.messages.critical(ctx.lang.text(kTextNoReading));
        return std::nullopt;
    }
    CapturedLevel level;
    level.signal = live.value_or(0);
    if (!watched) return level;
    const SensorRecord& rec = ctx.session.CurrentRecord;
    if (w && w->stable) {
        level.signal = w->meanSignal;
    } else {
        // Settling: the latest reading, and only when the technician wants it now.
        const QString unit = u' ' + TrimBlanks(rec.Unit);
        const auto amount = [&](double v) {
            return w ? FormatMask(v, rec.Format).trimmed() + unit : QStringLiteral("-");
        };
        if (!ctx.messages.confirm(ctx.lang.text(kTextTakeUnsettled)
                                      .arg(w ? w->windowMs / 1000.0 : 0.0)
                                      .arg(amount(w ? w->spread : 0), amount(w ? w->allowed : 0))))
            return std::nullopt;
    }
    if (w) {
        level.spread = w->spread;
        level.indicated = w->meanDisplay;
        level.indicatedSd = w->sdMeanDisplay;
    }
    return level;
}

} // namespace qm
