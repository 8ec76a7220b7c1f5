#include "EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace EventWait {

void serveFor(int milliseconds)
{
    // The wake-up timer is the wait's own, so it fires even when the caller
    // runs inside another timer's handler.
    QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void serveUntil(const std::function<bool()> &done, int recheckMs)
{
    QTimer recheck;
    recheck.start(recheckMs);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace EventWait
