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
    // The verification's, from 650 up.
    QString asFound = QStringLiteral("As found (before adjustment)");  // 650
    QString asLeft = QStringLiteral("As left (after adjustment)");     // 651
    QString indicated = QStringLiteral("Indicated");                   // 652
    QString error = QStringLiteral("Error");                           // 653
    QString errorFS = QStringLiteral("Error [% FS]");                  // 654
    QString expanded = QStringLiteral("U (k = 2)");                    // 655
    QString hysteresis = QStringLiteral("Hysteresis [% FS]");          // 656
    QString repeatability = QStringLiteral("Repeatability [% FS]");    // 657
    QString tolerance = QStringLiteral("Tolerance [% FS]");            // 658
    QString verdict = QStringLiteral("Verdict");                       // 659
    QString pass = QStringLiteral("pass");                             // 660
    QString fail = QStringLiteral("fail");                             // 661
    QString notVerified = QStringLiteral("not verified");              // 662
    QString referenceU = QStringLiteral("Reference U (k = 2) [%]");    // 663
    QString approver = QStringLiteral("Approved by");                  // 664
    QString verificationTitle = QStringLiteral("Verification report"); // 665
    QString maxExpanded = QStringLiteral("Max. expanded U (k = 2)");   // 666
    QString notGiven = QStringLiteral("not given");                    // 667
    QString record = QStringLiteral("Record No.");                     // 668
    // The remarks, from 700 up.
    QString unsettled = QStringLiteral("* Captured with a spread above 5 display digits (%1): the "
                                       "reading had not settled."); // 700
};

inline constexpr int kFirstCertificateText = 200;
inline constexpr int kFirstVerificationText = 650;
inline constexpr int kFirstRemarkText = 700;

// The texts with each one that text(n) gives (n = 200, 201, ..., 650,
// 651, ... and 700, ... in the order above) in place of the English; an empty text keeps
// the English.
CertificateTexts CertificateTextsFrom(const std::function<QString(int)>& text);

} // namespace qm
