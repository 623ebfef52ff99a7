#pragma once
// Wall time to frames at a movie's frame rate.
//
// The rate as stored may be 0 or absurd: 0 plays at 12 frames a second (the authoring tool's
// default rate), and rates above 120 play at 120, the most the reference player runs. When more
// than kMaxCatchUpFrames frames are due at once (the host was busy, or a debugger stopped it),
// one frame runs and the rest of the backlog is dropped: a late movie goes on from where it is
// rather than racing through what it missed.

namespace swf::runtime {

class FrameClock {
public:
    static constexpr double kZeroRateFallback = 12.0;
    static constexpr double kMaxFrameRate = 120.0;
    static constexpr int kMaxCatchUpFrames = 4;

    explicit FrameClock(double storedFrameRate = kZeroRateFallback);
    // The rate frames run at for a stored rate.
    static double effectiveRate(double storedFrameRate);

    double frameRate() const { return rate_; }
    double intervalMs() const { return 1000.0 / rate_; }
    // Adds elapsed wall time and returns how many frames are due now.
    int advance(double milliseconds);
    // Forgets time gathered towards the next frame.
    void reset() { pendingMs_ = 0; }

private:
    double rate_;
    double pendingMs_ = 0;
};

}  // namespace swf::runtime
