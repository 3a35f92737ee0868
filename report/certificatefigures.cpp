#include "report/certificatefigures.h"

#include "calibration/linearity.h"
#include "calibration/stability.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "sensor/curvevalue.h"
#include "sensor/imagecodec.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace qm {

CertificateFigures FiguresOf(const CalibrationRecord& rec) {
    CertificateFigures f;
    // A written image ends after its last point.
    f.storedDecoded = DecodePaddedImage(rec.imageAfter, f.stored, kGroupTag, 0) > 0;
    if (f.storedDecoded) {
        f.decimals = MaskDecimals(f.stored.Format.trimmed());
        f.digit = DisplayDigit(f.stored.Format.trimmed());
    }
    // The live display's own rule: a point taken while its window spread wider
    // than the stable band was taken before the reading settled.
    const StabilitySettings stable;
    f.spreadLimit = stable.digits * f.digit;
    std::vector<CurvePoint> points;
    for (const CalibrationPoint& p : rec.points)
        points.push_back({p.signal, p.reference});
    // The points' range: the stored field may be left from an earlier curve.
    f.fullScale = FullScaleOf(points);
    if (f.fullScale == 0 && f.storedDecoded) f.fullScale = std::abs(f.stored.FullScale);
    // The stored curve runs through its points; the best-fit line is what the
    // window's deviations are taken from.
    const std::optional<Linearity> linearity = AnalyseLinearity(points);
    for (size_t i = 0; i < rec.points.size(); ++i) {
        const CalibrationPoint& p = rec.points[i];
        CertificateRow row{p.signal, p.reference, std::nullopt, std::nullopt, p.spread};
        row.unsettled = p.spread.value_or(0) > f.spreadLimit;
        if (f.storedDecoded) row.curveValue = CurveValueAt(f.stored, p.signal);
        if (linearity) row.deviation = linearity->deviationPct[i];
        f.rows.push_back(row);
    }
    return f;
}

VerificationTable VerificationOf(const CalibrationRecord& rec, double fullScale, double digit) {
    VerificationTable t;
    for (const CalibrationPoint& p : rec.points)
        if (p.indicated)
            t.series.push_back({p.reference, *p.indicated, p.signal, p.indicatedSd.value_or(0)});
    t.fullScale = rec.fullScale.value_or(fullScale);
    t.tolerance = rec.tolerance.value_or(0.1);
    t.summary = Verify(t.series, {t.fullScale, rec.displayDigit.value_or(digit),
                                  rec.referenceUncertainty.value_or(0), t.tolerance});
    return t;
}

QString SignalText(double mvPerV) {
    return QString::number(mvPerV, 'f', 6);
}

QString ValueText(double value, int decimals) {
    return QString::number(value, 'f', std::clamp(decimals, 0, 9));
}

QString PercentText(double percent) {
    // No "-0.000" for a deviation that rounds to nothing.
    const QString text = QString::number(percent, 'f', 3);
    static const QRegularExpression negativeZero(QStringLiteral("^-0\\.0*$"));
    return negativeZero.match(text).hasMatch() ? text.mid(1) : text;
}

} // namespace qm
