#pragma once
// The calibration certificate of one record as an A4 PDF (QPdfWriter).
// Drawing text needs a QGuiApplication (an offscreen one will do).
#include "records/calibrationrecord.h"
#include "report/certificatetexts.h"

namespace qm {

// false with a one-line reason when the file cannot be written.
bool WriteCertificate(const CalibrationRecord& rec, const CertificateTexts& texts,
                      const QString& path, QString* error);

} // namespace qm
