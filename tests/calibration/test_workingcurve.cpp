#include "calibration/workingcurve.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"
#include "support/scriptedmessages.h"

#include <QLocale>
#include <QtTest>

using namespace qm;

namespace {
// Signals and values as lists, appended in the order given.
WorkingCurve curveOf(const QList<float>& sigs, const QList<float>& values) {
    WorkingCurve c;
    for (qsizetype i = 0; i < sigs.size(); ++i)
        c.Append(sigs[i], values[i]);
    return c;
}
QList<double> signalsOf(const WorkingCurve& c) {
    QList<double> s;
    for (int i = 1; i <= c.KrivkaCount(); ++i)
        s << c.Krivka(i).signal;
    return s;
}
QList<double> valuesOf(const WorkingCurve& c) {
    QList<double> v;
    for (int i = 1; i <= c.KrivkaCount(); ++i)
        v << c.Krivka(i).value;
    return v;
}
} // namespace

class TestWorkingCurve : public QObject {
    Q_OBJECT
    LangTable lang;

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        lang.set(42, QStringLiteral("Value"));
        lang.set(43, QStringLiteral("twice!"));
        lang.set(44, QStringLiteral("Signal"));
    }

    void appendKeepsSignalOrder_data() {
        QTest::addColumn<QList<float>>("sigs");
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<QList<double>>("sortedValues");
        QTest::newRow("descending")
            << QList<float>{3, 2, 1} << QList<float>{30, 20, 10} << QList<double>{10, 20, 30};
        QTest::newRow("negative sigs")
            << QList<float>{0.5f, -1, 0} << QList<float>{5, -10, 0} << QList<double>{-10, 0, 5};
        // Equal sigs keep the order in which they came.
        QTest::newRow("equal sigs stable")
            << QList<float>{2, 1, 2, 1} << QList<float>{1, 2, 3, 4} << QList<double>{2, 4, 1, 3};
    }
    void appendKeepsSignalOrder() {
        QFETCH(QList<float>, sigs);
        QFETCH(QList<float>, values);
        QFETCH(QList<double>, sortedValues);
        const WorkingCurve c = curveOf(sigs, values);
        QCOMPARE(valuesOf(c), sortedValues);
        for (int i = 1; i <= c.KrivkaCount(); ++i)
            QCOMPARE(c.KrivkaStatus(i), WorkingCurve::kInUse);
        QCOMPARE(c.KrivkaStatus(c.KrivkaCount() + 1), WorkingCurve::kUnused);
    }

    void findSignal() {
        const WorkingCurve c = curveOf({1, 2, 2, 3}, {10, 20, 21, 30});
        QCOMPARE(c.FindSignal(2), 2); // the lower of two rows
        QCOMPARE(c.FindSignal(3), 4);
        QCOMPARE(c.FindSignal(2.5), 0);
        // Exact match only: a float's double value is not its typed decimal.
        const WorkingCurve f = curveOf({0.1f}, {1});
        QCOMPARE(f.FindSignal(0.1), 0);
        QCOMPARE(f.FindSignal(double(0.1f)), 1);
    }

    void duplicates_data() {
        QTest::addColumn<QList<float>>("sigs");
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<QString>("message");
        QTest::newRow("distinct") << QList<float>{1, 2} << QList<float>{10, 20} << QString();
        QTest::newRow("value") << QList<float>{1, 2} << QList<float>{7, 7}
                               << QStringLiteral("Value 7 twice!");
        QTest::newRow("signal") << QList<float>{1.5f, 1.5f} << QList<float>{1, 2}
                                << QStringLiteral("Signal 1.5 twice!");
        // Point 1's signal twin comes before point 2's value twin.
        QTest::newRow("first point first")
            << QList<float>{1, 1, 2} << QList<float>{5, 6, 6} << QStringLiteral("Signal 1 twice!");
        // Within one point the value is reported before the signal.
        QTest::newRow("value before signal")
            << QList<float>{1, 1} << QList<float>{4, 4} << QStringLiteral("Value 4 twice!");
        // The float's exact digits, not the decimal that was typed.
        QTest::newRow("float digits") << QList<float>{1, 2} << QList<float>{0.1f, 0.1f}
                                      << QStringLiteral("Value 0.100000001490116 twice!");
    }
    void duplicates() {
        QFETCH(QList<float>, sigs);
        QFETCH(QList<float>, values);
        QFETCH(QString, message);
        const WorkingCurve c = curveOf(sigs, values);
        ScriptedMessages sink;
        QCOMPARE(c.CheckDuplicates(sink, lang), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(sink.isEmpty());
        } else {
            QCOMPARE(sink.texts(), QStringList{message});
            QCOMPARE(sink.last().icon, MsgIcon::Critical);
        }
        QCOMPARE(c.KrivkaCount(), sigs.size()); // reported, never removed
    }

    void fullTable() {
        WorkingCurve c;
        for (int i = 40; i >= 1; --i)
            QVERIFY(c.Append(float(i), float(i * 10)));
        QVERIFY(!c.Append(0.5f, 5));
        QCOMPARE(c.KrivkaCount(), 40);
        QCOMPARE(c.Krivka(1).signal, 1.0);

        c.DeletePoint(1);
        QCOMPARE(c.KrivkaCount(), 39);
        QCOMPARE(c.KrivkaStatus(40), WorkingCurve::kUnused);
        QCOMPARE(c.Krivka(1).signal, 2.0);
        QCOMPARE(c.Krivka(39).signal, 40.0);
        c.CountPoints();
        QCOMPARE(c.KrivkaCount(), 39);
        QVERIFY(c.Append(0.5f, 5));
        QCOMPARE(c.Krivka(1).signal, 0.5);
    }

    void deleteOutsideTheCurveChangesNothing() {
        WorkingCurve c = curveOf({1, 2}, {10, 20});
        c.DeletePoint(0);
        c.DeletePoint(3);
        QCOMPARE(signalsOf(c), (QList<double>{1, 2}));
        c.DeletePoint(2);
        c.DeletePoint(1);
        QCOMPARE(c.KrivkaCount(), 0);
        c.DeletePoint(1); // empty: nothing happens
        QCOMPARE(c.KrivkaCount(), 0);
    }

    void editMovesPastItsNeighbour() {
        WorkingCurve c = curveOf({1, 2, 3}, {10, 20, 30});
        c.Edit(1, 2.5f, 25);
        QCOMPARE(signalsOf(c), (QList<double>{2, 2.5, 3}));
        QCOMPARE(valuesOf(c), (QList<double>{20, 25, 30}));
    }

    void clearKeepsNumbersButNoPoints() {
        WorkingCurve c = curveOf({1, 2}, {10, 20});
        c.Clear();
        QCOMPARE(c.KrivkaCount(), 0);
        QCOMPARE(c.KrivkaStatus(1), WorkingCurve::kUnused);
        QCOMPARE(c.FindSignal(1), 0);
        c.CountPoints();
        QCOMPARE(c.KrivkaCount(), 0);
        c.Append(5, 50);
        QCOMPARE(c.Krivka(2).signal, 2.0); // a stale row is not a point
        QCOMPARE(c.KrivkaCount(), 1);
    }

    void recordRoundTrip() {
        SensorRecord rec;
        rec.PointCount = 3;
        rec.Signal[0] = 2.f, rec.Value[0] = 0.1f;
        rec.Signal[1] = 1.f, rec.Value[1] = 1.3f; // unsorted: taken as it is
        rec.Signal[2] = 3.f, rec.Value[2] = -7.25f;
        WorkingCurve c;
        c.Append(9, 9);
        c.FillFromRecord(rec);
        QCOMPARE(signalsOf(c), (QList<double>{2, 1, 3}));
        QCOMPARE(c.KrivkaStatus(4), WorkingCurve::kUnused);

        SensorRecord out;
        c.CopyToRecord(out);
        QCOMPARE(out.PointCount, 3);
        QCOMPARE(out.Signal, rec.Signal);
        QCOMPARE(out.Value, rec.Value);
    }

    void fillCutsToForty_data() {
        QTest::addColumn<int>("pointCount");
        QTest::addColumn<int>("expected");
        QTest::newRow("41") << 41 << 40;
        QTest::newRow("negative") << -3 << 0;
    }
    void fillCutsToForty() {
        QFETCH(int, pointCount);
        QFETCH(int, expected);
        SensorRecord rec;
        rec.PointCount = pointCount;
        WorkingCurve c;
        c.FillFromRecord(rec);
        QCOMPARE(c.KrivkaCount(), expected);
    }
};

QTEST_GUILESS_MAIN(TestWorkingCurve)
#include "test_workingcurve.moc"
