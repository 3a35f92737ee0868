#include "core/axisrange.h"
#include "core/blanks.h"
#include "core/clock.h"
#include "core/numformat.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>
#include <QtTest>
#include <cmath>

using namespace qm;
using namespace Qt::StringLiterals;

namespace {
enum Fn { Mask, Right, General, Val }; // Val: mask is the typed text, value the result
struct Case {
    Fn fn;
    QString mask;
    double value;
    QString expected = {};
};
} // namespace
Q_DECLARE_METATYPE(Case)

class TestCore : public QObject {
    Q_OBJECT
  private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    // The texts the user reads (fields, list lines, the system constants) and
    // the numbers read from typed text.
    void format_data() {
        QTest::addColumn<Case>("c");
        auto row = [](const char* name, Case c) { QTest::newRow(name) << c; };
        row("integer grows past the mask", {Mask, "####0", 123456.0, "123456"});
        row("hash shows nothing for zero", {Mask, "#.00", 0.5, ".50"});
        row("half away from zero", {Mask, "0", -2.5, "-3"});
        row("decimal rounding, not binary", {Mask, "0.00", 2.675, "2.68"});
        row("carry into a new digit", {Mask, "0.000", 9.9996, "10.000"});
        row("rounded to zero has no sign", {Mask, "0.00", -1e-5, "0.00"});
        row("trailing hash trimmed", {Mask, "0.0#", 1.5, "1.5"});
        row("point without decimals stays", {Mask, "0.##", 1.0, "1."});
        row("stored mask's trailing blank", {Mask, "#0.0000 ", 1.5, "1.5000 "});
        row("backslash literal", {Mask, "0\\%", 5.0, "5%"});
        row("E at the end is a literal", {Mask, "0 E", 5.0, "5 E"});
        row("huge integer part", {Mask, "0", 1e20, "100000000000000000000"});
        row("k as read", {Mask, "0.000000 E-00", 0.001544225, "1.544225 E-03"});
        row("sci plus sign", {Mask, "0.0E+00", 1234.5, "1.2E+03"});
        row("sci carry into exponent", {Mask, "0.00 E-00", 9.9999999, "1.00 E01"});
        row("sci zero", {Mask, "0.000000 E-00", 0.0, "0.000000 E00"});
        row("nan", {Mask, "0.00", std::nan(""), "NaN"});
        row("empty mask is general", {Mask, "", 2.5, "2.5"});

        row("live signal", {Right, "###0.0000", 1.0, "   1.0000"});
        row("too wide keeps the sign", {Right, "0.000000", -1.5, "-1.500000"});
        row("backslashes take no room", {Right, "##0\\%", 20.0, " 20%"});

        row("15 digits whole", {General, "", 123456789012345.0, "123456789012345"});
        row("1e15 gets an exponent", {General, "", 1e15, "1E+15"});
        row("small k", {General, "", 4.6476e-7, "4.6476E-07"});
        row("0.0001 plain", {General, "", 0.0001, "0.0001"});
        row("negative zero", {General, "", -0.0, "0"});

        row("k with blanks and comma", {Val, u"4,64760 E-7"_s, 4.6476e-7});
        row("blanks tabs and line feeds", {Val, u"\t-1 2\n.5 "_s, -12.5});
        row("letters only", {Val, u"abc"_s, 0.0});
        row("second comma ends it", {Val, u"1,5,3"_s, 1.5});
        row("trailing text", {Val, u"12abc"_s, 12.0});
        row("leading point", {Val, u"-.5"_s, -0.5});
        row("D exponent", {Val, u"1D2"_s, 100.0});
        row("exponent without digits", {Val, u"1e-"_s, 1.0});
        row("hex", {Val, u"&H1F"_s, 31.0});
        row("octal stops at 8", {Val, u"&O78"_s, 7.0});
        row("unknown radix", {Val, u"&X1"_s, 0.0});
        row("underflow", {Val, u"1e-400"_s, 0.0});
        row("many leading zeros", {Val, u"0.0000000000000000000000000000001e-300"_s, 0.0});
        row("overflow", {Val, u"1e400"_s, HUGE_VAL});
        row("huge exponent", {Val, u"1e99999999999999999999"_s, HUGE_VAL});
    }
    void format() {
        QFETCH(Case, c);
        if (c.fn == Val)
            QCOMPARE(ValDot(c.mask), c.value);
        else
            QCOMPARE(c.fn == Mask    ? FormatMask(c.value, c.mask)
                     : c.fn == Right ? FormatRight(c.value, c.mask)
                                     : FormatGeneral(c.value),
                     c.expected);
    }

    void localeSeparator() {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        QCOMPARE(FormatMask(0.001544225, u"0.000000 E-00"_s), u"1,544225 E-03"_s);
        QCOMPARE(FormatGeneral(4.6476e-7), u"4,6476E-07"_s);
        QCOMPARE(ValDot(u"1.5"), 1.5); // typed input does not depend on the locale
    }

    // A real delay lets queued events run while it waits, and does wait.
    void realDelayRunsEventsAndWaits() {
        RealClock clock;
        bool fired = false;
        QTimer::singleShot(5, [&] { fired = true; });
        QElapsedTimer t;
        t.start();
        clock.delay(40);
        QVERIFY(fired);
        QVERIFY(t.elapsed() >= 39);
    }

    // Two counts of a mask's decimals that must not be mixed up: the digits the
    // display shows (the stability's digit) and the number a Format is stored
    // with (the image byte, the format list's entry).
    void maskDecimals_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("scientific");
        QTest::addColumn<int>("stored");
        QTest::newRow("page, six") << u"0.000000"_s << 6 << false << 6;
        QTest::newRow("padded field") << u" ##0.0#  "_s << 2 << false << 2;
        QTest::newRow("constants k") << u"0.000000 E-00"_s << 6 << true << 11;
        QTest::newRow("digits as text") << u"9.99E+00"_s << 0 << true << 6;
        QTest::newRow("list entry") << u" 99.9 "_s << 0 << false << 1;
        QTest::newRow("comma") << u"9,99"_s << 0 << false << 0;
        QTest::newRow("escaped point") << u"0\\.00"_s << 0 << false << 2;
        QTest::newRow("empty") << QString() << 0 << false << 0;
        QTest::newRow("longer than a byte") << u"0."_s + QString(300, u'0') << 300 << false << 255;
    }
    void maskDecimals() {
        QFETCH(QString, mask);
        QFETCH(bool, scientific);
        bool told = !scientific;
        QTEST(MaskDecimals(mask, &told), "shown");
        QCOMPARE(told, scientific);
        QTEST(FormatDecimals(mask), "stored");
    }

    // A plot's axis, on the screen and the certificate: the data padded, then
    // snapped to half steps; ticks 1, 2 or 5 times a power of ten apart, never
    // on the data's own odd values (-0.12, 0.528), and a handful at most where
    // the step is lost against a value far from zero.
    void axisTicks_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<double>("minSpan");
        QTest::addColumn<QStringList>("ticks");
        QTest::newRow("signal below zero")
            << -0.1 << 0.5 << 0.1 << QStringList{"-0.2", "0.0", "0.2", "0.4", "0.6"};
        QTest::newRow("15 kN") << 0.0 << 15000.0 << 1e-6
                               << QStringList{"0", "5000", "10000", "15000"};
        QTest::newRow("one signal")
            << 0.5283 << 0.5284 << 0.1 << QStringList{"0.50", "0.55", "0.60"};
        QTest::newRow("far from zero")
            << 1e17 << 1e17 + 16 << 1e-6 << QStringList{"100000000000000000"};
    }
    void axisTicks() {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(double, minSpan);
        const auto range = SnappedRange(PaddedRange(lo, hi, minSpan));
        QStringList labels;
        for (const double tick : Ticks(range))
            labels << QString::number(tick, 'f', StepDecimals(TickStep(range)));
        QTEST(labels, "ticks");
    }

    // Only spaces are blanks: a tab stays text, for the image checks to refuse.
    void trimBlanksTrimsOnlySpaces() {
        QCOMPARE(TrimBlanks(u"  \tA B\t "_s), u"\tA B\t"_s);
        QCOMPARE(TrimBlanks(QByteArray(" \t1=x ")), QByteArray("\t1=x"));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
