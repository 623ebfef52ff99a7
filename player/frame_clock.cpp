#include "player/frame_clock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kNsPerMs = 1e6;
}  // namespace

FrameClock::FrameClock(QObject* parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FrameClock::fire);
}

double FrameClock::clampInterval(double frameIntervalMs)
{
    // A stored rate of 0 means "as fast as possible"; 120 frames a second is as fast as is useful.
    if (!std::isfinite(frameIntervalMs) || frameIntervalMs < 1000.0 / 120)
        return 1000.0 / 120;
    return std::min(frameIntervalMs, 1000.0);
}

void FrameClock::start(double intervalMs)
{
    intervalMs_ = clampInterval(intervalMs);
    wall_.start();
    lastBeatNs_ = 0;
    nextBeatNs_ = static_cast<qint64>(intervalMs_ * kNsPerMs);
    aim();
}

void FrameClock::stop()
{
    timer_.stop();
}

void FrameClock::aim()
{
    const qint64 waitNs = std::max<qint64>(0, nextBeatNs_ - wall_.nsecsElapsed());
    timer_.start(static_cast<int>(std::ceil(static_cast<double>(waitNs) / kNsPerMs)));
}

void FrameClock::fire()
{
    const qint64 now = wall_.nsecsElapsed();
    const double elapsedMs = static_cast<double>(now - lastBeatNs_) / kNsPerMs;
    lastBeatNs_ = now;
    const auto interval = static_cast<qint64>(intervalMs_ * kNsPerMs);
    nextBeatNs_ += interval;
    if (nextBeatNs_ <= now)
        nextBeatNs_ = now + interval;  // more than a frame late: start the beat afresh
    aim();
    emit beat(elapsedMs);
}
