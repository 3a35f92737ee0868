#include "core/clock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestClock : public QObject {
    Q_OBJECT
  private slots:
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
};

QTEST_GUILESS_MAIN(TestClock)
#include "test_clock.moc"
