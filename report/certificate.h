#pragma once
// The calibration certificate of one record as an A4 PDF (QPdfWriter).
// Drawing text needs a QGuiApplication (an offscreen one will do).
#include "records/calibrationrecord.h"
#include "report/certificatetexts.h"

namespace qm {

// A calibration's certificate shows its as-found indications and, with asLeft
// (the verification that checks it), the as-left table and verdict, else says
// it was not verified; a verification record alone gives its own report.
// false with a one-line reason when the file cannot be written.
bool WriteCertificate(const CalibrationRecord& rec, const CertificateTexts& texts,
                      const QString& path, QString* error,
                      const CalibrationRecord* asLeft = nullptr);

} // namespace qm
