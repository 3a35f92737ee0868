#include "core/numformat.h"

#include "core/blanks.h"
#include <QRegularExpression>

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace qm {

namespace {

// A non-negative decimal number as a digit string and the position of the
// point in it: value = digits[0..point) . digits[point..). point may lie
// outside the string (leading or trailing zeros implied).
struct Decimal {
    std::string digits; // no leading zero; empty for 0
    int point = 0;
};

// The magnitude rounded to 15 significant digits, the way the number is seen
// as decimal text; later rounding works on these digits so that 0.285 gives 0.29.
Decimal ToDecimal(double a) {
    Decimal d;
    if (a == 0) return d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
    const std::string s(buf, res.ptr);
    const auto e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.point = std::stoi(s.substr(e + 1)) + 1;
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d = {};
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (!up) {
        while (!d.digits.empty() && d.digits.back() == '0')
            d.digits.pop_back();
        if (d.digits.empty()) d = {};
        return;
    }
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
        d.digits.pop_back();
        --i;
    }
    if (i < 0) {
        d.digits.assign(1, '1'); // assign, not =: GCC 12 -O2 warns falsely on "=" here
        ++d.point;
    } else {
        ++d.digits[static_cast<size_t>(i)];
    }
}

char DigitAt(const Decimal& d, int i) {
    if (i < 0 || i >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[static_cast<size_t>(i)];
}

enum class Tok { Zero, Hash, Point, Literal };

struct Token {
    Tok kind;
    QChar ch; // the literal
};

struct Mask {
    std::vector<Token> integer; // before the point (or the exponent)
    std::vector<Token> fraction;
    bool hasPoint = false;
    bool scientific = false;
    QChar expLetter;
    bool expSignAlways = false;
    int expMinDigits = 0;
    QString tail; // literals after the exponent
};

bool IsDigitToken(const Token& t) {
    return t.kind == Tok::Zero || t.kind == Tok::Hash;
}

Mask ParseMask(const QString& text) {
    Mask m;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (m.scientific) {
            if (c == u'\\') {
                if (++i < n) m.tail += text[i];
            } else {
                m.tail += c;
            }
            continue;
        }
        auto& section = m.hasPoint ? m.fraction : m.integer;
        if (c == u'\\') {
            if (++i < n) section.push_back({Tok::Literal, text[i]});
        } else if (c == u'0') {
            section.push_back({Tok::Zero, c});
        } else if (c == u'#') {
            section.push_back({Tok::Hash, c});
        } else if (c == u'.' && !m.hasPoint) {
            m.hasPoint = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < n &&
                   (text[i + 1] == u'-' || text[i + 1] == u'+')) {
            m.scientific = true;
            m.expLetter = c;
            m.expSignAlways = text[i + 1] == u'+';
            i += 2;
            while (i < n && (text[i] == u'0' || text[i] == u'#')) {
                if (text[i] == u'0') ++m.expMinDigits;
                ++i;
            }
            --i;
        } else {
            section.push_back({Tok::Literal, c});
        }
    }
    // Digits need a home: a mask without integer placeholders shows them before the point.
    if (std::none_of(m.integer.begin(), m.integer.end(), IsDigitToken))
        m.integer.push_back({Tok::Hash, u'#'});
    return m;
}

// Placeholders from the first "0" of the integer part onwards always show a digit.
int MinIntegerDigits(const Mask& m) {
    int count = 0;
    bool seenZero = false;
    for (const Token& t : m.integer) {
        seenZero = seenZero || t.kind == Tok::Zero;
        if (seenZero && IsDigitToken(t)) ++count;
    }
    return count;
}

int CountDigits(const std::vector<Token>& tokens) {
    return static_cast<int>(std::count_if(tokens.begin(), tokens.end(), IsDigitToken));
}

QString EmitInteger(const Mask& m, const Decimal& d, int minDigits) {
    std::string digits;
    for (int i = 0; i < d.point; ++i)
        digits += DigitAt(d, i);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');

    // Fill from the right; the leftmost placeholder takes every digit left over.
    size_t firstDigit = 0;
    while (!IsDigitToken(m.integer[firstDigit]))
        ++firstDigit;
    QString out;
    auto left = digits.size();
    for (size_t k = m.integer.size(); k-- > 0;) {
        const Token& t = m.integer[k];
        if (!IsDigitToken(t)) {
            out.prepend(t.ch);
        } else if (k == firstDigit) {
            out.prepend(QString::fromLatin1(digits.data(), static_cast<qsizetype>(left)));
            left = 0;
        } else if (left > 0) {
            out.prepend(QLatin1Char(digits[--left]));
        }
    }
    return out;
}

QString EmitFraction(const Mask& m, const Decimal& d) {
    // Trailing "#" placeholders whose digit is 0 are not shown; literals stay.
    std::vector<bool> hidden(m.fraction.size(), false);
    int digitIndex = CountDigits(m.fraction);
    for (size_t k = m.fraction.size(); k-- > 0;) {
        const Token& t = m.fraction[k];
        if (t.kind == Tok::Zero ||
            (t.kind == Tok::Hash && DigitAt(d, d.point + digitIndex - 1) != '0'))
            break;
        if (t.kind == Tok::Hash) {
            hidden[k] = true;
            --digitIndex;
        }
    }
    QString out;
    int i = d.point;
    for (size_t k = 0; k < m.fraction.size(); ++k) {
        const Token& t = m.fraction[k];
        if (!IsDigitToken(t))
            out += t.ch;
        else if (!hidden[k])
            out += QLatin1Char(DigitAt(d, i++));
    }
    return out;
}

} // namespace

int MaskDecimals(const QString& mask, bool* scientific) {
    const Mask m = ParseMask(mask);
    if (scientific) *scientific = m.scientific;
    return CountDigits(m.fraction);
}

int FormatDecimals(const QString& format) {
    const QString mask = TrimBlanks(format);
    const qsizetype point = mask.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(std::min<qsizetype>(mask.size() - point - 1, 255));
}

QString FormatMask(double v, const QString& mask) {
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (mask.isEmpty()) return FormatGeneral(v);

    const Mask m = ParseMask(mask);
    const int fracDigits = CountDigits(m.fraction);
    int minInt = MinIntegerDigits(m);
    Decimal d = ToDecimal(std::fabs(v));
    int exponent = 0;
    if (m.scientific) {
        const int lead = std::max(minInt, 1);
        if (!d.digits.empty()) {
            RoundDigits(d, lead + fracDigits);
            exponent = d.point - lead;
            d.point = lead;
        }
        minInt = lead;
    } else {
        RoundDigits(d, d.point + fracDigits);
    }

    QString out;
    if (v < 0 && !d.digits.empty()) out += u'-';
    out += EmitInteger(m, d, minInt);
    if (m.hasPoint) out += QLocale().decimalPoint() + EmitFraction(m, d);
    if (m.scientific) {
        out += m.expLetter;
        if (exponent < 0)
            out += u'-';
        else if (m.expSignAlways)
            out += u'+';
        QString digits =
            exponent == 0 && m.expMinDigits == 0 ? QString() : QString::number(std::abs(exponent));
        out += digits.rightJustified(m.expMinDigits, u'0') + m.tail;
    }
    return out;
}

QString FormatRight(double v, const QString& mask) {
    const qsizetype w = mask.size() - mask.count(u'\\');
    if (w <= 0) return {};
    // A number wider than the field widens it: cutting would drop its sign or digits.
    const QString text = FormatMask(v, mask);
    return text.size() >= w ? text : QString(w - text.size(), u' ') + text;
}

std::optional<double> ReadTypedNumber(QStringView text) {
    static const QRegularExpression whole(
        QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)( ?[eE][+-]?\\d+)?$"));
    const QString t = text.trimmed().toString();
    if (!whole.match(t).hasMatch()) return std::nullopt;
    return ValDot(t);
}

QString FormatGeneral(double v) {
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (v == 0) return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    QString s = QString::fromLatin1(buf, res.ptr - buf);
    s.replace(u'e', u'E');
    s.replace(u'.', QLocale().decimalPoint());
    return s;
}

namespace {

bool IsIgnored(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

int DigitValue(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// "&H" / "&O" integers; digits past what a double holds only make it bigger.
double ReadRadix(const QString& s, qsizetype i, int radix) {
    double value = 0;
    for (; i < s.size(); ++i) {
        const int d = DigitValue(s[i]);
        if (d < 0 || d >= radix) break;
        value = value * radix + d;
    }
    return value;
}

} // namespace

double ValDot(QStringView text) {
    QString s;
    s.reserve(text.size());
    bool commaDone = false;
    for (QChar c : text) {
        if (IsIgnored(c)) continue;
        if (c == u',' && !commaDone) {
            commaDone = true;
            c = u'.';
        }
        s += c;
    }

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar r = s[1].toUpper();
        if (r == u'H') return ReadRadix(s, 2, 16);
        if (r == u'O') return ReadRadix(s, 2, 8);
        return 0;
    }

    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';

    std::string intDigits, fracDigits;
    auto isDigit = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
    while (isDigit(i))
        intDigits += static_cast<char>(s[i++].unicode());
    if (i < n && s[i] == u'.') {
        ++i;
        while (isDigit(i))
            fracDigits += static_cast<char>(s[i++].unicode());
    }
    if (intDigits.empty() && fracDigits.empty()) return 0;

    long long exponent = 0;
    if (i < n && QStringLiteral("EeDd").contains(s[i])) {
        qsizetype k = i + 1;
        bool expNegative = false;
        if (k < n && (s[k] == u'+' || s[k] == u'-')) expNegative = s[k++] == u'-';
        while (isDigit(k)) {
            if (exponent < 100000) exponent = exponent * 10 + (s[k].unicode() - '0');
            ++k;
        }
        if (expNegative) exponent = -exponent;
    }

    std::string number = (intDigits.empty() ? std::string("0") : intDigits) + "." +
                         (fracDigits.empty() ? std::string("0") : fracDigits) + "e" +
                         std::to_string(exponent);
    double value = 0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow by the decimal order of magnitude.
        const auto firstNonZero = intDigits.find_first_not_of('0');
        long long order = 0;
        if (firstNonZero != std::string::npos) {
            order = static_cast<long long>(intDigits.size() - firstNonZero) - 1;
        } else {
            const auto f = fracDigits.find_first_not_of('0');
            order = f == std::string::npos ? -100000 : -static_cast<long long>(f) - 1;
        }
        value = order + exponent > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

} // namespace qm
