#include "report/certificatetexts.h"

#include <iterator>

namespace qm {

CertificateTexts CertificateTextsFrom(const std::function<QString(int)>& text) {
    CertificateTexts t;
    QString* const fields[] = {&t.title,
                               &t.certificateNo,
                               &t.sensor,
                               &t.description,
                               &t.serialNo,
                               &t.unit,
                               &t.format,
                               &t.range,
                               &t.device,
                               &t.date,
                               &t.operatorName,
                               &t.bench,
                               &t.referenceStandard,
                               &t.points,
                               &t.signal,
                               &t.reference,
                               &t.curveValue,
                               &t.deviation,
                               &t.spread,
                               &t.nonLinearity,
                               &t.notKnown,
                               &t.curve,
                               &t.signature,
                               &t.fullScale,
                               &t.result,
                               &t.done};
    QString* const verification[] = {
        &t.asFound,     &t.asLeft,     &t.indicated,  &t.error,
        &t.errorFS,     &t.expanded,   &t.hysteresis, &t.repeatability,
        &t.tolerance,   &t.verdict,    &t.pass,       &t.fail,
        &t.notVerified, &t.referenceU, &t.approver,   &t.verificationTitle,
        &t.maxExpanded, &t.notGiven,   &t.record};
    const auto take = [&](QString* const* first, QString* const* last, int n) {
        for (; first != last; ++first, ++n) {
            const QString given = text ? text(n) : QString();
            if (!given.isEmpty()) **first = given;
        }
    };
    take(std::begin(fields), std::end(fields), kFirstCertificateText);
    take(std::begin(verification), std::end(verification), kFirstVerificationText);
    QString* const remarks[] = {&t.unsettled};
    take(std::begin(remarks), std::end(remarks), kFirstRemarkText);
    return t;
}

} // namespace qm
