#include "core/codepage1250.h"
#include "sensor/imagecodec.h"
#include "sensor/recordrules.h"

#include "support/layoutimage.h"
#include <QtTest>
#include <cmath>

using namespace qm;
using qm::testing::LayoutBlock;
using qm::testing::LayoutImage;
using qm::testing::ToBlock;

namespace {

const QDate kToday(2026, 12, 4);
enum Way { Both, EncodeOnly, DecodeOnly };

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

// An image with 3-byte numbers for the given flags: n points of (i, 10 i, 99).
QByteArray ThreeByteImage(uint8_t flags, int n) {
    QByteArray img = LayoutImage().left(99) + char(flags) + char(n) + QByteArray(3, '\0');
    for (int i = 0; i < n; ++i) {
        img += DevFloatBytes(i, 3) + DevFloatBytes(10.0 * i, 3);
        if (flags & kFlag3Numbers) img += DevFloatBytes(99, 3);
    }
    return ToBlock(img);
}

} // namespace

class TestImageCodec : public QObject {
    Q_OBJECT
  private slots:
    // The number of bytes is that of the hex form.
    void devFloat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<int>("way");
        // log2 rounded to a float picks one exponent too many just below a power of two.
        const double below32 = std::nextafter(32.0f, 0.0f), below1 = std::nextafter(1.0f, 0.0f);
        QTest::newRow("1.0") << 1.0 << "81000000" << int(Both);
        QTest::newRow("-1.0") << -1.0 << "81800000" << int(Both);
        QTest::newRow("0.5") << 0.5 << "80000000" << int(Both);
        QTest::newRow("3.0") << 3.0 << "82400000" << int(Both);
        QTest::newRow("0") << 0.0 << "00000000" << int(Both);
        QTest::newRow("-0.75") << -0.75 << "80C00000" << int(Both);
        QTest::newRow("below 32") << below32 << "857FFFFF" << int(Both);
        QTest::newRow("below 1") << below1 << "807FFFFF" << int(Both);
        QTest::newRow("3-byte 1.0") << 1.0 << "810000" << int(Both);
        QTest::newRow("too small stores 0") << 1e-300 << "00000000" << int(EncodeOnly);
        QTest::newRow("NaN stores 0") << std::nan("") << "00000000" << int(EncodeOnly);
        QTest::newRow("too big saturates") << 1e300 << "FF7FFFFF" << int(EncodeOnly);
        QTest::newRow("-inf saturates") << -HUGE_VAL << "FFFFFFFF" << int(EncodeOnly);
        QTest::newRow("5 bytes") << 0.0 << "8100000000" << int(DecodeOnly);
        QTest::newRow("exponent byte 0") << 0.0 << "00FFFFFF" << int(DecodeOnly);
    }
    void devFloat() {
        QFETCH(double, value);
        QFETCH(QString, hex);
        QFETCH(int, way);
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        if (way != DecodeOnly) QCOMPARE(DevFloatBytes(value, int(bytes.size())), bytes);
        if (way != EncodeOnly) QCOMPARE(DevFloatFromBytes(bytes), value);
    }

    void devFloatRoundTripsEveryFloatInRange() {
        QRandomGenerator rng(42);
        for (int i = 0; i < 100000; ++i) {
            const float sign = rng.bounded(2) ? 1.0f : -1.0f;
            const float x =
                sign * std::ldexp(float(0.5 + rng.generateDouble() / 2), rng.bounded(-127, 128));
            const QByteArray bytes = DevFloatBytes(x, 4);
            QVERIFY2(float(DevFloatFromBytes(bytes)) == x, bytes.toHex().constData());
        }
    }

    // Encoded again (same date) to the same bytes: with the encoder's own
    // layout pinned below, that pins every decoded field.
    void layoutDecodesAndEncodesBack() {
        SensorRecord r;
        QCOMPARE(DecodeImage(LayoutBlock(), r, kGroupTag, 0), 3);
        QCOMPARE(r.Format, QString("##0.000 "));
        QCOMPARE(r.Value[1], 250.0f);
        const EncodedImage enc = EncodeImage(r, kToday);
        QCOMPARE(enc.image.toHex(' '), LayoutImage().toHex(' '));
        QCOMPARE(enc.result, 72 + 8 * 3);
    }

    // Texts trimmed and in windows-1250, a mask without a trailing blank, the
    // spare float as IEEE, bit 5 of the flags cleared and bit 6 set.
    void encodeLaysOutEveryField() {
        SensorRecord r;
        MakeDefaultRecord(r, "  Snímač tlaku", 0, 0, 2, 500, 5, "###0.000", " bar ", 16, 0, 0, 0xF0,
                          QDate(2025, 1, 1));
        r.GainIndex = 6;
        r.SerialNo = "AC04WSK7";
        r.SpareSingle = 1.0f;
        const EncodedImage enc = EncodeImage(r, kToday);
        const QByteArray expected =
            "FSN" + Hex("0106000000") + ToWindows1250(u"Snímač tlaku").leftJustified(32) +
            Hex("03") + "bar   " + Hex("1005") + "261204250101AC04WSK7" +
            Hex("A0800000897A0000810000803F") + QByteArray(14, '\0') + "KRI" +
            Hex("D002000000"
                "0000000000000000"
                "82000000897A0000");
        QCOMPARE(enc.image.toHex(' '), expected.toHex(' '));
        QCOMPARE(ToWindows1250(u"Šžč€中\U0001F600"), Hex("8A9EE880") + "??"); // '?' a character
        QCOMPARE(enc.result, 88);
        QCOMPARE(r.Description, QString("Snímač tlaku").leftJustified(32));
        QCOMPARE(r.Flags, uint8_t(0xD0));
        SensorRecord back; // the texts read back from windows-1250
        QCOMPARE(DecodeImage(ToBlock(enc.image), back, 0, 0), 2);
        QCOMPARE(back.Description, r.Description);
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
            return b.replace(at, patch.size(), patch);
        };
        QTest::newRow("254 bytes") << good.left(254) << int(kDecodeTooShort) << "";
        QTest::newRow("255 bytes") << good.left(255) << 3 << popis;
        QTest::newRow("no FSN") << with(0, "46534D") << int(kDecodeNoFsn) << "";
        QTest::newRow("no KRI") << with(96, "4B524A") << int(kDecodeNoKri) << popis;
        QTest::newRow("flags 0x50") << with(99, "50") << int(kDecodeNoValidFlag) << popis;
        QTest::newRow("one point") << with(100, "01") << int(kDecodeBadCount) << popis;
        QTest::newRow("41 points") << with(100, "29") << int(kDecodeBadCount) << popis;
        QTest::newRow("19 points fill 256 bytes") << with(100, "13") << 19 << popis;
        QTest::newRow("19 points past 255 bytes")
            << with(100, "13").left(255) << int(kDecodePointsPastEnd) << popis;
        QTest::newRow("25 three-byte points") << with(99, "8019") << 25 << popis;
        QTest::newRow("26 three-byte points")
            << with(99, "801A") << int(kDecodePointsPastEnd) << popis;
    }
    void results() {
        QFETCH(QByteArray, image);
        QFETCH(int, result);
        SensorRecord r;
        r.PointCount = 7;
        QCOMPARE(DecodeImage(image, r, 4, 0), result);
        QTEST(r.Description, "popisAfter");
        QCOMPARE(r.PointCount, result > 0 ? result : result == kDecodeTooShort ? 7 : 0);
        QCOMPARE(r.MemGroup, result > 0 ? 4 : 0);
    }

    // An averaging byte of 0 reads as 10; any other value is kept.
    void averagingZeroReadsAsTen_data() {
        QTest::addColumn<QByteArray>("bytes"); // offsets 47 and 48
        QTest::addColumn<int>("slideSpeed");
        QTest::addColumn<int>("slide");
        QTest::newRow("both 0") << Hex("0000") << 10 << 10;
        QTest::newRow("speed 0") << Hex("0003") << 10 << 3;
        QTest::newRow("slide 0") << Hex("0700") << 7 << 10;
        QTest::newRow("kept") << Hex("01FF") << 1 << 255;
    }
    void averagingZeroReadsAsTen() {
        QFETCH(QByteArray, bytes);
        SensorRecord r;
        QCOMPARE(DecodeImage(LayoutBlock().replace(47, 2, bytes), r, 0, 0), 3);
        QTEST(r.AveragingSpeed, "slideSpeed");
        QTEST(r.Averaging, "slide");
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
        QCOMPARE((QList<float>{r.Signal[3], r.Value[3]}), (QList<float>{3, 30}));
        // Written again it has 4-byte numbers, and its flags say so.
        SensorRecord back;
        QCOMPARE(DecodeImage(ToBlock(EncodeImage(r, kToday).image), back, 0, 0), 4);
        QCOMPARE(back.Flags, uint8_t(0xC0));
        QCOMPARE(back.Value[3], 30.0f);
    }
};

QTEST_GUILESS_MAIN(TestImageCodec)
#include "test_imagecodec.moc"
