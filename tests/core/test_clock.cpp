#include "core/clock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestClock : public QObject {
    Q_OBJECT
private slots:
    // A real delay lets queued events run while it waits and lasts about as asked.
    void realDelayRunsEventsAndWaits() {
        RealClock clock;
        bool fired = false;
        QTimer::singleShot(5, [&] { fired = true; });
        QElapsedTimer t;
        t.start();
        clock.delay(40);
        QVERIFY(fired);
        QVERIFY(t.elapsed() >= 39);
        QVERIFY(t.elapsed() < 400);
    }
    void virtualDelayOnlyMovesTime() {
        VirtualClock clock;
        const QDateTime start = clock.now();
        clock.delay(200);
        clock.delay(10);
        QCOMPARE(clock.tickMs(), 210);
        QCOMPARE(clock.delayCount(), 2);
        QCOMPARE(start.msecsTo(clock.now()), 210);
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "test_clock.moc"
