#pragma once
// The words of the calibration certificate: English built in, replaced by
// language texts 200 up when the caller has a language file.
#include <QString>
#include <functional>

namespace qm {

struct CertificateTexts {
    QString title = QStringLiteral("Calibration certificate");        // 200
    QString certificateNo = QStringLiteral("Certificate No.");        // 201
    QString sensor = QStringLiteral("Sensor");                        // 202
    QString description = QStringLiteral("Description");              // 203
    QString serialNo = QStringLiteral("Serial number");               // 204
    QString unit = QStringLiteral("Unit");                            // 205
    QString format = QStringLiteral("Display format");                // 206
    QString range = QStringLiteral("Input range");                    // 207
    QString device = QStringLiteral("Device");                        // 208
    QString date = QStringLiteral("Date of calibration");             // 209
    QString operatorName = QStringLiteral("Calibrated by");           // 210
    QString bench = QStringLiteral("Bench");                          // 211
    QString referenceStandard = QStringLiteral("Reference standard"); // 212
    QString points = QStringLiteral("Calibration points");            // 213
    QString signal = QStringLiteral("Signal [mV/V]");                 // 214
    QString reference = QStringLiteral("Reference");                  // 215
    QString curveValue = QStringLiteral("Stored curve");              // 216
    QString deviation = QStringLiteral("Deviation [% FS]");           // 217
    QString spread = QStringLiteral("Spread");                        // 218
    QString nonLinearity = QStringLiteral("Non-linearity [% FS]");    // 219
    QString notKnown = QStringLiteral("not measured");                // 220
    QString curve = QStringLiteral("Calibration curve");              // 221
    QString signature = QStringLiteral("Signature");                  // 222
    QString fullScale = QStringLiteral("Full scale");                 // 223
    QString result = QStringLiteral("Result of the write");           // 224
    QString done = QStringLiteral("written and read back");           // 225
};

inline constexpr int kFirstCertificateText = 200;

// The texts with each one that text(n) gives (n = 200, 201, ... in the
// order above) in place of the English; an empty text keeps the English.
CertificateTexts CertificateTextsFrom(const std::function<QString(int)>& text);

} // namespace qm
