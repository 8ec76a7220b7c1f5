#pragma once

#include <QTimer>

// A timer that runs one of the station's handlers: named as designed, so tests
// and tools find it, owned by the handler's object, and precise, so a
// one-second poll does not drift by the coarse timers' few percent.
template <typename Owner>
QTimer *makeHandlerTimer(Owner *owner, const char *name, int intervalMs, void (Owner::*tick)())
{
    auto *timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, owner, tick);
    return timer;
}
