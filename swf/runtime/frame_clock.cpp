#include "swf/runtime/frame_clock.h"

#include <cmath>

namespace swf::runtime {

FrameClock::FrameClock(double storedFrameRate) : rate_(effectiveRate(storedFrameRate)) {}

double FrameClock::effectiveRate(double stored)
{
    if (!(stored > 0) || !std::isfinite(stored)) return kZeroRateFallback;
    return stored > kMaxFrameRate ? kMaxFrameRate : stored;
}

int FrameClock::advance(double milliseconds)
{
    if (!(milliseconds > 0) || !std::isfinite(milliseconds)) return 0;
    pendingMs_ += milliseconds;
    const double interval = intervalMs();
    const double due = std::floor(pendingMs_ / interval);
    if (due > kMaxCatchUpFrames) {
        pendingMs_ = std::fmod(pendingMs_, interval);
        return 1;
    }
    pendingMs_ -= due * interval;
    return static_cast<int>(due);
}

}  // namespace swf::runtime
