#include "calibration/sensorfields.h"

#include "core/blanks.h"
#include "core/numformat.h"

#include <QtGlobal>

namespace qm {

namespace {
QStringList listOf(std::initializer_list<const char*> items) {
    QStringList l;
    for (const char* s : items)
        l << QString::fromLatin1(s);
    return l;
}
} // namespace

const QStringList& SlideEntries() {
    static const QStringList l = listOf({"OFF", "2", "3", "4", "5", "6", "7", "8", "9", "10", "12",
                                         "15", "16", "20", "25", "30", "32"});
    return l;
}

const QStringList& SlideRychlEntries() {
    static const QStringList l = listOf(
        {"OFF", "2", "3", "4", "5", "6", "7", "8", "9", "10", "12", "15", "20", "30", "40", "50"});
    return l;
}

const QStringList& GainEntries() {
    static const QStringList l =
        listOf({"+/- 500.0 mV/V   (1x)", "+/- 250.0 mV/V   (2x)", "+/- 125.0 mV/V   (4x)",
                "+/- 62.50 mV/V   (8x)", "+/- 31.25 mV/V  (16x)", "+/- 15.63 mV/V  (32x)",
                "+/-  7.81 mV/V  (64x)", "+/-  3.91 mV/V (128x)"});
    return l;
}

int SlideIndex(int slide) {
    if (slide < 2) return 0;
    const QStringList& l = SlideEntries();
    for (int i = 1; i < l.size(); ++i)
        if (l[i].toInt() >= slide) return i;
    return 0;
}

int SlideRychlIndex(int slideRychl) {
    if (slideRychl < 2) return 0;
    const int i = static_cast<int>(SlideRychlEntries().indexOf(QString::number(slideRychl)));
    return i > 0 ? i : 0;
}

int SlideFromEntry(const QString& entry) {
    bool ok = false;
    const int v = entry.toInt(&ok);
    return ok ? v : 1;
}

int FormatIndex(const QString& format, int entryCount) {
    const int d = FormatDecimals(format);
    return d < entryCount ? d : entryCount - 1;
}

QString FormatMaskFor(int index, int displayDigits) {
    static const QStringList six = listOf(
        {"#######0", "#####0.0", "####0.00", "###0.000", "##0.0000", "#0.00000", "0.000000"});
    static const QStringList other =
        listOf({"######0", "#####0.0", "####0.00", "###0.000", "##0.0000", "#0.00000"});
    const QStringList& masks = displayDigits == 6 ? six : other;
    return index >= 0 && index < masks.size() ? masks[index] : QString();
}

int GainListIndex(int gainIndex) {
    return gainIndex >= 0 && gainIndex < GainEntries().size() ? gainIndex : 0;
}

double InputRange(int gainIndex) {
    return 500.0 / (1 << GainListIndex(gainIndex));
}

QString InputRangeText(int gainIndex) {
    // "+/-  3.91 mV/V (128x)": the number after the sign.
    return GainEntries()[GainListIndex(gainIndex)].mid(3).simplified().section(u' ', 0, 0);
}

QString UnitCaption(const QString& caption, const QString& unit) {
    return caption + QStringLiteral(" [") + TrimBlanks(unit) + QStringLiteral("]");
}

IntExtMark IntExtFor(int tagPresent) {
    if (tagPresent & 1) return {QStringLiteral("EXT"), QColor(0, 255, 0)};
    return {QStringLiteral("INT"), QColor(255, 255, 0)};
}

} // namespace qm
