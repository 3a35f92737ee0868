#include "core/codepage1250.h"
#include "sensor/imagecodec.h"
#include "sensor/recordrules.h"

#include "support/layoutimage.h"
#include <QtTest>
#include <cmath>
#include <limits>

using namespace qm;
using qm::testing::LayoutBlock;
using qm::testing::LayoutImage;
using qm::testing::ToBlock;

namespace {

const QDate kToday(2026, 12, 4);

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

// An image with 3-byte numbers for the given flags: n points of (i, 10 i, 99).
QByteArray ThreeByteImage(uint8_t flags, int n) {
    QByteArray img = LayoutImage().left(99);
    img += char(flags);
    img += char(n);
    img += QByteArray(3, '\0');
    for (int i = 0; i < n; ++i) {
        img += QByteArray::fromHex(DevFloatToHex(i, 3).toLatin1());
        img += QByteArray::fromHex(DevFloatToHex(10.0 * i, 3).toLatin1());
        if (flags & kFlag3Numbers) img += QByteArray::fromHex(DevFloatToHex(99, 3).toLatin1());
    }
    return ToBlock(img);
}

} // namespace

class TestImageCodec : public QObject {
    Q_OBJECT
  private slots:
    void devFloat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("hex");
        QTest::newRow("1.0") << 1.0 << 4 << "81000000";
        QTest::newRow("-1.0") << -1.0 << 4 << "81800000";
        QTest::newRow("0.5") << 0.5 << 4 << "80000000";
        QTest::newRow("3.0") << 3.0 << 4 << "82400000";
        QTest::newRow("0") << 0.0 << 4 << "00000000";
        QTest::newRow("-0.75") << -0.75 << 4 << "80C00000";
        QTest::newRow("250") << 250.0 << 4 << "887A0000";
        QTest::newRow("small") << 0.001953125 << 4 << "78000000";
        QTest::newRow("3-byte 1.0") << 1.0 << 3 << "810000";
        QTest::newRow("3-byte -0.75") << -0.75 << 3 << "80C000";
        // log2 rounded to a float picks one exponent too many here.
        QTest::newRow("just below 32") << double(std::nextafter(32.0f, 0.0f)) << 4 << "857FFFFF";
    }
    void devFloat() {
        QFETCH(double, value);
        QFETCH(int, bytes);
        QFETCH(QString, hex);
        QCOMPARE(DevFloatToHex(value, bytes), hex);
        QCOMPARE(HexToDevFloat(hex), value);
    }

    void devFloatRoundTripsEveryFloatInRange() {
        QRandomGenerator rng(42);
        for (int i = 0; i < 100000; ++i) {
            const float sign = rng.bounded(2) ? 1.0f : -1.0f;
            const float x =
                sign * std::ldexp(float(0.5 + rng.generateDouble() / 2), rng.bounded(-127, 128));
            const QString hex = DevFloatToHex(x, 4);
            QVERIFY2(float(HexToDevFloat(hex)) == x, qPrintable(hex));
        }
    }

    void devFloatOutOfRange_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("hex");
        QTest::newRow("too small stores 0") << 1e-300 << "00000000";
        QTest::newRow("NaN stores 0") << std::nan("") << "00000000";
        QTest::newRow("too big saturates") << 1e300 << "FF7FFFFF";
        QTest::newRow("minus infinity saturates") << -HUGE_VAL << "FFFFFFFF";
    }
    void devFloatOutOfRange() {
        QFETCH(double, value);
        QFETCH(QString, hex);
        QCOMPARE(DevFloatToHex(value, 4), hex);
    }

    void hexToDevFloatOddTexts_data() {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<double>("value");
        QTest::newRow("wrong length") << "8100000" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("exponent byte 0") << "00FFFFFF" << 0.0;
        QTest::newRow("bad exponent digits") << "G1000000" << 0.0;
        QTest::newRow("lower case") << "80c00000" << -0.75;
    }
    void hexToDevFloatOddTexts() {
        QFETCH(QString, hex);
        QFETCH(double, value);
        QCOMPARE(HexToDevFloat(hex), value);
    }

    void decodesTheLayout() {
        SensorRecord r;
        QCOMPARE(DecodeImage(LayoutBlock(), r, kGroupTag, 0), 3);
        QCOMPARE(r.GainIndex, 3);
        QCOMPARE(r.Popis, QString("Load cell 500 kg").leftJustified(32));
        QCOMPARE(r.Format, QString("##0.000 "));
        QCOMPARE(r.Jednotka, QString("kg    "));
        QCOMPARE(r.SlideRychl, 10);
        QCOMPARE(r.Slide, 5);
        QCOMPARE(r.DateSaved, QString("261204"));
        QCOMPARE(r.DateCreated, QString("250101"));
        QCOMPARE(r.SerialNo, QString("AC04WSK7"));
        QCOMPARE(r.FullScale, 500.0f);
        QCOMPARE(r.Flags, uint8_t(0xD0));
        QCOMPARE(r.PointCount, 3);
        QCOMPARE(r.Signal[2], 2.0f);
        QCOMPARE(r.Value[1], 250.0f);
        QCOMPARE(r.MemGroup, kGroupTag);
    }

    void decodeThenEncodeGivesTheSameBytes() {
        SensorRecord r;
        QCOMPARE(DecodeImage(LayoutBlock(), r, kGroupTag, 0), 3);
        const EncodedImage enc = EncodeImage(r, kToday);
        QCOMPARE(enc.image.toHex(' '), LayoutImage().toHex(' '));
        QCOMPARE(enc.result, 72 + 8 * 3);
    }

    void encodeLaysOutEveryField() {
        SensorRecord r;
        MakeDefaultRecord(r, "  Snímač tlaku", 0, 0, 2, 500, 5, "###0.000", " bar ", 16, 0, 0, 0xF0,
                          QDate(2025, 1, 1));
        r.GainIndex = 6;
        r.SerialNo = "AC04WSK7";
        r.SpareSingle = 1.0f;
        const EncodedImage enc = EncodeImage(r, kToday);
        const QByteArray& img = enc.image;

        QCOMPARE(img.size(), 104 + 16);
        QCOMPARE(enc.result, 88);
        QCOMPARE(img.left(8), "FSN" + Hex("0106000000"));
        QCOMPARE(img.mid(8, 32), ToWindows1250(u"Snímač tlaku").leftJustified(32));
        QCOMPARE(img.mid(40, 1), Hex("03"));
        QCOMPARE(img.mid(41, 6), QByteArray("bar   "));
        QCOMPARE(img.mid(47, 2), Hex("1005"));
        QCOMPARE(img.mid(49, 20), QByteArray("261204250101AC04WSK7"));
        QCOMPARE(img.mid(69, 13), Hex("A0800000"
                                      "897A0000"
                                      "81"
                                      "0000803F"));
        QCOMPARE(img.mid(82, 14), QByteArray(14, '\0'));
        QCOMPARE(img.mid(96, 8), "KRI" + Hex("D0"
                                             "02"
                                             "000000"));
        QCOMPARE(img.mid(104), Hex("00000000"
                                   "00000000"
                                   "82000000"
                                   "897A0000"));
        // The record keeps what the image holds.
        QCOMPARE(r.Popis, QString("Snímač tlaku").leftJustified(32));
        QCOMPARE(r.Jednotka, QString("bar   "));
        QCOMPARE(r.Flags, uint8_t(0xD0));
    }

    void encodeDecodeRoundTrip() {
        SensorRecord r;
        MakeDefaultRecord(r, "Síla – 5 kN €", 0, 0, 1.5f, 5000, 3, "##0.000", "kN", 7, 4, 0, 0xD8,
                          kToday);
        r.PointCount = 10;
        for (int i = 0; i < 10; ++i) {
            r.Signal[i] = 0.123f * i - 0.3f;
            r.Value[i] = -1234.5f + 997.25f * i;
        }
        r.SerialNo = "ZZ000001";
        r.GainIndex = 7;
        EncodeImage(r, kToday);
        SensorRecord back;
        QCOMPARE(DecodeImage(ToBlock(EncodeImage(r, kToday).image), back, 4, 0), 10);
        QCOMPARE(back, r);
    }

    void decimalsByte_data() {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("mask");
        QTest::newRow("0") << 0 << "######0 ";
        QTest::newRow("1") << 1 << "####0.0 ";
        QTest::newRow("3") << 3 << "##0.000 ";
        QTest::newRow("5") << 5 << "0.00000 ";
        QTest::newRow("6") << 6 << "######0 ";
        QTest::newRow("255") << 255 << "######0 ";
    }
    void decimalsByte() {
        QFETCH(int, decimals);
        QFETCH(QString, mask);
        QByteArray img = LayoutBlock();
        img[40] = char(decimals);
        SensorRecord r;
        QCOMPARE(DecodeImage(img, r, 0, 0), 3);
        QCOMPARE(r.Format, mask);
    }

    void maskDecimalsIgnoreTrailingBlanks() {
        SensorSession s;
        LoadDefaultRecord(s, 0, kToday);
        SensorRecord& r = s.DeviceRecord;
        for (const char* mask : {"#0.0000", "#0.0000 ", "0.000000", "#######0"}) {
            r.Format = mask;
            r.PointCount = 2;
            const QString trimmed = QString(mask).trimmed();
            const int dot = trimmed.indexOf('.');
            QCOMPARE(int(EncodeImage(r, kToday).image[40]), dot < 0 ? 0 : trimmed.size() - dot - 1);
        }
    }

    void results_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("popisAfter"); // what was read before the failure
        const QByteArray good = LayoutBlock();
        const QString popis = QString("Load cell 500 kg").leftJustified(32);
        auto with = [&](int at, const char* bytes) {
            QByteArray b = good;
            const QByteArray patch = Hex(bytes);
            b.replace(at, patch.size(), patch);
            return b;
        };
        QTest::newRow("254 bytes") << good.left(254) << int(kDecodeTooShort) << "";
        QTest::newRow("255 bytes") << good.left(255) << 3 << popis;
        QTest::newRow("no FSN") << with(0, "46534D") << int(kDecodeNoFsn) << "";
        QTest::newRow("no KRI") << with(96, "4B5249").replace(96, 3, "KRJ") << int(kDecodeNoKri)
                                << popis;
        QTest::newRow("flags 0x50") << with(99, "50") << int(kDecodeNoValidFlag) << popis;
        QTest::newRow("one point") << with(100, "01") << int(kDecodeBadCount) << popis;
        QTest::newRow("41 points") << with(100, "29") << int(kDecodeBadCount) << popis;
        QTest::newRow("19 points fill 256 bytes") << with(100, "13") << 19 << popis;
        QTest::newRow("19 points past 255 bytes")
            << with(100, "13").left(255) << int(kDecodePointsPastEnd) << popis;
        QTest::newRow("40 points") << with(100, "28") << int(kDecodePointsPastEnd) << popis;
        QTest::newRow("25 three-byte points")
            << with(99, "80").replace(100, 1, "\x19") << 25 << popis;
        QTest::newRow("26 three-byte points")
            << with(99, "80").replace(100, 1, "\x1A") << int(kDecodePointsPastEnd) << popis;
    }
    void results() {
        QFETCH(QByteArray, image);
        QFETCH(int, result);
        QFETCH(QString, popisAfter);
        SensorRecord r;
        r.PointCount = 7;
        QCOMPARE(DecodeImage(image, r, 4, 0), result);
        QCOMPARE(r.Popis, popisAfter);
        QCOMPARE(r.PointCount, result > 0 ? result : result == kDecodeTooShort ? 7 : 0);
        QCOMPARE(r.MemGroup, result > 0 ? 4 : 0);
    }

    void threeByteNumbers_data() {
        QTest::addColumn<int>("flags");
        QTest::newRow("stride 6") << 0x80;
        QTest::newRow("stride 9, third number skipped") << 0xA0;
    }
    void threeByteNumbers() {
        QFETCH(int, flags);
        const QByteArray img = ThreeByteImage(uint8_t(flags), 4);
        QCOMPARE(img.mid(104 + (flags == 0xA0 ? 9 : 6), 3), Hex("810000")); // point 1 signal
        SensorRecord r;
        QCOMPARE(DecodeImage(img, r, 0, 0), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(r.Signal[i], float(i));
            QCOMPARE(r.Value[i], float(10 * i));
        }
        // Written again it has 4-byte numbers, and its flags say so.
        SensorRecord back;
        QCOMPARE(DecodeImage(ToBlock(EncodeImage(r, kToday).image), back, 0, 0), 4);
        QCOMPARE(back.Flags, uint8_t(0xC0));
        QCOMPARE(back.Value, r.Value);
    }

    void zeroFullScaleTakesTheLastValue() {
        QByteArray img = LayoutBlock();
        img[73] = 0;
        SensorRecord r;
        QCOMPARE(DecodeImage(img, r, 0, 0), 3);
        QCOMPARE(r.FullScale, 500.0f);
        img.replace(104 + 8 + 4, 4, Hex("887A0000")); // last point
        img[100] = 2;
        QCOMPARE(DecodeImage(img, r, 0, 0), 2);
        QCOMPARE(r.FullScale, 250.0f);
    }

    void zeroSlidesBecomeTen() {
        QByteArray img = LayoutBlock();
        img[47] = img[48] = 0;
        img[4] = char(0xFB); // only the low three bits are the gain
        SensorRecord r;
        DecodeImage(img, r, 0, 0);
        QCOMPARE(r.SlideRychl, 10);
        QCOMPARE(r.Slide, 10);
        QCOMPARE(r.GainIndex, 3);
    }

    void windows1250() {
        const QString czech = u"Příliš žluťoučký kůň úpěl ďábelské ódy €"_qs;
        const QByteArray bytes = ToWindows1250(czech);
        QCOMPARE(bytes.size(), czech.size());
        QCOMPARE(FromWindows1250(bytes), czech);
        QCOMPARE(ToWindows1250(u"€Šž"), Hex("808A9E"));
        QCOMPARE(ToWindows1250(u"中\U0001F600x"), QByteArray("??x")); // one '?' per character
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        QCOMPARE(ToWindows1250(FromWindows1250(all)), all);
    }
};

QTEST_GUILESS_MAIN(TestImageCodec)
#include "test_imagecodec.moc"
