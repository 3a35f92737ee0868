#pragma once
// The sensor page's lists and the conversions between list positions and the
// record's fields.
#include <QColor>
#include <QString>
#include <QStringList>

namespace qm {

const QStringList& SlideEntries();      // cmbSlide, 17 entries
const QStringList& SlideRychlEntries(); // cmbSlideRychl, 16 entries
const QStringList& GainEntries();       // cmbGain, 8 entries, index = GainIndex
// cmbFormat's entries: FormatListFor in sensor/reader.h.

// Index in cmbSlide: "OFF" below 2, else the first entry >= slide, "OFF" when none.
int SlideIndex(int slide);
// Index in cmbSlideRychl: "OFF" below 2, else the entry equal to slide, "OFF" when none.
int SlideRychlIndex(int slideRychl);
// The record's value of an averaging entry: 1 for "OFF" or nothing chosen.
int SlideFromEntry(const QString& entry);

// cmbFormat index that shows a stored mask: its decimals, at most the last entry.
int FormatIndex(const QString& format, int entryCount);
// Mask stored for cmbFormat index k; empty when k is outside the list.
QString FormatMaskFor(int index, int displayDigits);

// cmbGain index for a stored GainIndex: the first range when out of the list.
int GainListIndex(int gainIndex);
// The input range of a stored GainIndex in mV/V either way (500 at 1x, 3.90625
// at 128x) and its text as the list shows it ("3.91").
double InputRange(int gainIndex);
QString InputRangeText(int gainIndex);

// "<caption> [<unit>]" with the unit's blanks trimmed; the range labels and lblCEth.
QString UnitCaption(const QString& caption, const QString& unit);

// The live panel's INT/EXT mark for the iTag answer.
struct IntExtMark {
    QString text;
    QColor color;
};
IntExtMark IntExtFor(int tagPresent);

} // namespace qm
