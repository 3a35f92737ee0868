#include "core/numformat.h"

#include <QLocale>
#include <QtTest>
#include <cmath>

using namespace qm;

class TestNumFormat : public QObject {
    Q_OBJECT
  private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void formatMask_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("integer grows past the mask") << 123456.0 << "####0"
                                                     << "123456";
        QTest::newRow("hash shows nothing for zero") << 0.5 << "#.00"
                                                     << ".50";
        QTest::newRow("zero placeholder keeps zero") << 0.0 << "##0"
                                                     << "0";
        QTest::newRow("half away from zero") << -2.5 << "0"
                                             << "-3";
        QTest::newRow("decimal rounding, not binary") << 0.285 << "0.00"
                                                      << "0.29";
        QTest::newRow("binary 2.675 rounds up") << 2.675 << "0.00"
                                                << "2.68";
        QTest::newRow("carry into a new digit") << 9.9996 << "0.000"
                                                << "10.000";
        QTest::newRow("negative") << -1.5 << "###0.0000"
                                  << "-1.5000";
        QTest::newRow("negative rounding to zero has no sign") << -0.00001 << "0.00"
                                                               << "0.00";
        QTest::newRow("trailing hash trimmed") << 1.5 << "0.0#"
                                               << "1.5";
        QTest::newRow("trailing hash kept when significant") << 1.25 << "0.0#"
                                                             << "1.25";
        QTest::newRow("point stays without shown decimals") << 1.0 << "0.##"
                                                            << "1.";
        QTest::newRow("trailing blank of a stored mask") << 1.5 << "#0.0000 "
                                                         << "1.5000 ";
        QTest::newRow("backslash literal") << 5.0 << "0\\%"
                                           << "5%";
        QTest::newRow("E without sign is a literal") << 5.0 << "0 E"
                                                     << "5 E";
        QTest::newRow("huge integer part") << 1e20 << "0"
                                           << "100000000000000000000";
        QTest::newRow("sci two exponent digits") << 0.001544225 << "0.000000 E-00"
                                                 << "1.544225 E-03";
        QTest::newRow("sci one exponent digit") << 4.647601e-7 << "0.00000 E-0"
                                                << "4.64760 E-7";
        QTest::newRow("sci six decimals") << 4.647601e-7 << "0.000000 E-0"
                                          << "4.647601 E-7";
        QTest::newRow("sci positive exponent has no sign") << 1234.5 << "0.000000 E-00"
                                                           << "1.234500 E03";
        QTest::newRow("sci plus sign") << 1234.5 << "0.0E+00"
                                       << "1.2E+03";
        QTest::newRow("sci rounding carries the exponent") << 9.9999999 << "0.00 E-00"
                                                           << "1.00 E01";
        QTest::newRow("sci zero") << 0.0 << "0.000000 E-00"
                                  << "0.000000 E00";
        QTest::newRow("sci negative") << -0.0025 << "0.0 E-0"
                                      << "-2.5 E-3";
        QTest::newRow("nan") << std::nan("") << "0.00"
                             << "NaN";
        QTest::newRow("empty mask is general") << 2.5 << ""
                                               << "2.5";
    }
    void formatMask() {
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(FormatMask(value, mask), expected);
    }

    void formatRight_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("live signal 1 mV/V") << 1.0 << "###0.0000"
                                            << "   1.0000";
        QTest::newRow("live count 10") << 10.0 << "#######0"
                                       << "      10";
        QTest::newRow("dialog signal 0.5") << 0.5 << "####0.00000"
                                           << "    0.50000";
        QTest::newRow("dialog signal 1.25") << 1.25 << "####0.00000"
                                            << "    1.25000";
        QTest::newRow("dialog value 12.5") << 12.5 << "###0.000"
                                           << "  12.500";
        QTest::newRow("list signal 0.5") << 0.5 << "###0.00000"
                                         << "   0.50000";
        QTest::newRow("too wide keeps the last characters") << 123456789.0 << "#######0"
                                                            << "23456789";
        QTest::newRow("negative loses its sign when too wide") << -1.5 << "0.000000"
                                                               << "1.500000";
        QTest::newRow("backslashes do not count") << 20.0 << "##0\\%"
                                                  << " 20%";
    }
    void formatRight() {
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(FormatRight(value, mask), expected);
    }

    void formatGeneral_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mid-scale count") << 8388608.0 << "8388608";
        QTest::newRow("15 digits whole") << 123456789012345.0 << "123456789012345";
        QTest::newRow("1e15 gets an exponent") << 1e15 << "1E+15";
        QTest::newRow("small k") << 4.6476e-7 << "4.6476E-07";
        QTest::newRow("0.0001 plain") << 0.0001 << "0.0001";
        QTest::newRow("float 0.1") << double(0.1f) << "0.100000001490116";
        QTest::newRow("negative zero") << -0.0 << "0";
    }
    void formatGeneral() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatGeneral(value), expected);
    }

    void localeSeparator() {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        QCOMPARE(FormatRight(1.0, "###0.0000"), QString("   1,0000"));
        QCOMPARE(FormatMask(0.001544225, "0.000000 E-00"), QString("1,544225 E-03"));
        QCOMPARE(FormatGeneral(4.6476e-7), QString("4,6476E-07"));
        QCOMPARE(ValDot(u"1.5"), 1.5); // typed input does not depend on the locale
    }

    void valDot_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("comma") << "2,75" << 2.75;
        QTest::newRow("point") << "2.75" << 2.75;
        QTest::newRow("k with blanks and comma") << "4,64760 E-7" << 4.6476e-7;
        QTest::newRow("k typed with comma") << "0,001544225" << 0.001544225;
        QTest::newRow("blanks tabs and line feeds inside") << "\t-1 2\n.5 " << -12.5;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("second comma ends it") << "1,5,3" << 1.5;
        QTest::newRow("second point ends it") << "1.5.3" << 1.5;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("leading point") << "-.5" << -0.5;
        QTest::newRow("plus sign") << "+5" << 5.0;
        QTest::newRow("two signs") << "--5" << 0.0;
        QTest::newRow("exponent") << "1E+3" << 1000.0;
        QTest::newRow("basic D exponent") << "1D2" << 100.0;
        QTest::newRow("exponent without digits") << "1e-" << 1.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower case") << "&hff" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O78" << 7.0;
        QTest::newRow("unknown radix") << "&X1" << 0.0;
        QTest::newRow("underflow") << "1e-400" << 0.0;
        QTest::newRow("many leading zeros") << "0.0000000000000000000000000000001e-300" << 0.0;
    }
    void valDot() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(ValDot(text), expected);
    }

    void valDotOverflowGivesInfinity() {
        QVERIFY(std::isinf(ValDot(u"1e400")));
        QVERIFY(ValDot(u"-1e400") < 0);
        QVERIFY(std::isinf(ValDot(u"1e99999999999999999999")));
    }
};

QTEST_GUILESS_MAIN(TestNumFormat)
#include "test_numformat.moc"
