#include "app/timer.h"

Timer::Timer(QObject* parent) : QTimer(parent)
{
    QTimer::setInterval(0);
    intervalNotifier_ = bindableInterval().addNotifier([this] { sync(); });
}

void Timer::setEnabled(bool enabled)
{
    enabled_ = enabled;
    sync();
}

void Timer::sync()
{
    const bool shouldTick = enabled_ && interval() > 0;
    if (shouldTick && !isActive())
        start();
    else if (!shouldTick && isActive())
        stop();
}
