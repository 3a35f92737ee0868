#include "core/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace qm {

namespace {
qint64 monotonicMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}
} // namespace

RealClock::RealClock() : m_origin(monotonicMs()) {}

qint64 RealClock::tickMs() const {
    return monotonicMs() - m_origin;
}

QDateTime RealClock::now() const {
    return QDateTime::currentDateTime();
}

void RealClock::delay(int ms) {
    if (ms <= 0) {
        processEvents();
        return;
    }
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

void RealClock::processEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

VirtualClock::VirtualClock(QDateTime start) : m_start(std::move(start)) {}

void VirtualClock::delay(int ms) {
    ++m_delays;
    if (ms > 0) {
        m_ticks += ms;
        m_delayed += ms;
    }
    processEvents();
}

void VirtualClock::processEvents() {
    if (m_runsEvents && QCoreApplication::instance()) QCoreApplication::processEvents();
}

} // namespace qm
