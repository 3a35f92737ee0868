// The sensor page's values and the working curve into the record to store.
#include "calibration/recordfrompage.h"
#include "calibration/workingcurve.h"
#include "core/langtable.h"

#include <QtTest>

using namespace qm;

namespace {
struct Case {
    QList<QPointF> points; // (signal, value)
    SensorPageValues page;
    QString serial;
    int digits = 5;
    PageFault fault = PageFault::None;
    QStringList messages;
    // Description|Unit|Format|GainIndex|Averaging|AveragingSpeed|Flags|serial's first 6|DateSaved|
    // PointCount|first signal|last value|SpareSingle
    QString saved;
};

QList<QPointF> line(int n) {
    QList<QPointF> points;
    for (int i = n; i >= 1; --i)
        points << QPointF(i, 10 * i);
    return points;
}

const SensorPageValues kPage{QStringLiteral("x"),  QStringLiteral("kg"), -1, -1,
                             QStringLiteral("10"), QStringLiteral("10")};
SensorPageValues described(const QString& description) {
    SensorPageValues p = kPage;
    p.description = description;
    return p;
}
} // namespace
Q_DECLARE_METATYPE(Case)

class TestRecordFromPage : public QObject {
    Q_OBJECT
  private slots:
    void conversion_data() {
        QTest::addColumn<Case>("c");
        auto refused = [](const char* name, QList<QPointF> points, SensorPageValues page,
                          PageFault fault, QStringList messages) {
            QTest::newRow(name) << Case{points, page, "1234ABCD", 5, fault, messages, {}};
        };
        auto stored = [](const char* name, QList<QPointF> points, SensorPageValues page,
                         const char* serial, int digits, const char* saved) {
            QTest::newRow(name) << Case{points, page, serial, digits, PageFault::None, {}, saved};
        };
        // The checks in their order: duplicates, too few, too many, then the description.
        refused("twin value, blank description", {{1, 10}, {2, 10}}, described(""),
                PageFault::DuplicatePoint, {"T42 10 T43", "T38"});
        refused("twin signal", {{1, 10}, {1, 20}}, kPage, PageFault::DuplicatePoint,
                {"T44 1 T43", "T38"});
        refused("one point, blank description", line(1), described("  "), PageFault::TooFewPoints,
                {"T39"});
        refused("eleven points", line(11), kPage, PageFault::TooManyPoints, {"T40"});
        refused("blank description", line(2), described("   "), PageFault::NoDescription, {"T41"});
        // Nothing chosen in the lists keeps the record's format and gain.
        stored("ten points, lists unchosen", line(10), kPage, "1234ABCD", 5,
               "x|kg    |##0.000 |7|10|10|d8|1234AB|261204|10|1|100|0");
        stored("fields trimmed and padded, placeholder serial replaced", line(2),
               {"  Force 5 kN  ", " kN ", 2, 2, "OFF", "20"}, "~0000000", 5,
               "Force 5 kN|kN    |####0.00|2|1|20|d8|AC04WS|261204|2|1|20|0");
        stored("six digits, last format", line(2), {"x", "kg", 6, 0, "", ""}, "short", 6,
               "x|kg    |0.000000|0|1|1|d8|AC04WS|261204|2|1|20|0");
    }
    void conversion() {
        QFETCH(Case, c);
        LangTable lang;
        for (int n = 1; n <= LangTable::kOriginal; ++n)
            lang.set(n, QStringLiteral("T%1").arg(n));
        WorkingCurve curve;
        for (const QPointF& p : c.points)
            curve.Append(float(p.x()), float(p.y()));
        SensorRecord current;
        current.SerialNo = c.serial;
        current.Description = QStringLiteral("Load cell");
        current.Format = QStringLiteral("##0.000 ");
        current.GainIndex = 7;
        current.Flags = 0x01;
        current.SpareSingle = 5;
        const QDateTime now(QDate(2026, 12, 4), QTime(22, 30, 15));
        const PageRecord r =
            recordFromPage(c.page, curve, current, c.digits, 0xD8, now, [] { return 0.0; });
        QCOMPARE(r.fault, c.fault);
        QCOMPARE(pageFaultMessages(r.fault, curve, lang), c.messages);
        if (c.fault != PageFault::None) return;
        const SensorRecord& s = r.record;
        const auto n = [](double v) { return QString::number(v); };
        const int last = s.PointCount - 1;
        QCOMPARE((QStringList{s.Description.trimmed(), s.Unit, s.Format, n(s.GainIndex),
                              n(s.Averaging), n(s.AveragingSpeed), QString::number(s.Flags, 16),
                              s.SerialNo.left(6), s.DateSaved, n(s.PointCount), n(s.Signal[0]),
                              n(s.Value[last]), n(s.SpareSingle)})
                     .join(u'|'),
                 c.saved);
        QCOMPARE(s.Description.size(), SensorRecord::kDescriptionLen);
    }
};

QTEST_MAIN(TestRecordFromPage)
#include "test_recordfrompage.moc"
