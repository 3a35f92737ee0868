#include "report/certificatetexts.h"

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
    int n = kFirstCertificateText;
    for (QString* field : fields) {
        const QString given = text ? text(n) : QString();
        if (!given.isEmpty()) *field = given;
        ++n;
    }
    return t;
}

} // namespace qm
