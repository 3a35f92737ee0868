#pragma once
// Number format masks and the reading of typed numbers.
//
// Masks: "0" a digit always shown, "#" a digit shown when significant, "." the
// decimal separator of the current locale (QLocale(), "." for the C locale),
// " E-00" / " E-0" scientific notation: a blank, the exponent's sign only when
// negative, at least two or one exponent digits ("0.000000 E-00" -> 1.544225 E-03).
// Other characters of a mask are printed as they stand; a backslash prints the
// character after it.
#include <QString>
#include <optional>

namespace qm {

QString FormatMask(double v, const QString& mask);

// The decimals a mask shows (its placeholders after the point); scientific,
// when given, tells whether the mask has an exponent.
int MaskDecimals(const QString& mask, bool* scientific = nullptr);

// The decimals a sensor's Format is stored with (its image byte, the format
// list's entry): the characters after the first ".", blanks at both ends
// ignored, at most 255. Not MaskDecimals: "0.000 E-00" stores 8, shows 3.
int FormatDecimals(const QString& format);

// The number formatted with mask, right-aligned in a field of the mask's length
// less its backslashes; a wider number is given whole.
QString FormatRight(double v, const QString& mask);

// A typed number: the first "," becomes "."; blanks, tabs and line feeds are
// ignored; read from the start up to the first character that cannot continue
// it (sign, digits, one point, exponent; "&H"/"&O" integers); no number gives 0.
double ValDot(QStringView text);

// A number typed by the user, whole: blanks around it, a sign, digits with one
// "." or ",", an exponent (after one blank at most, as the masks print it).
// Empty for anything else ("abc", "12 34", "1.5x"), so nothing reads as 0 by accident.
std::optional<double> ReadTypedNumber(QStringView text);

// A number as general text: up to 15 significant digits, the locale's decimal
// separator, no blanks, no exponent for whole numbers below 1e15.
QString FormatGeneral(double v);

} // namespace qm
