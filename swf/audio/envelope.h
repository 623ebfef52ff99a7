#pragma once
// The volume envelope of an event sound: left and right levels at positions in 44.1 kHz frames,
// straight lines between points, the first point's levels before it and the last one's after.

#include <cstdint>
#include <vector>

#include "swf/audio/sound_info.h"

namespace swf::audio {

struct StereoGain {
    float left = 1.0f;
    float right = 1.0f;
};

class Envelope {
public:
    Envelope() = default;
    // Points out of order are sorted by position; levels above full volume are held at full.
    explicit Envelope(std::vector<EnvelopePoint> points);

    bool empty() const { return points_.empty(); }
    // The gains at a position. Fastest when positions only grow from call to call.
    StereoGain at(std::int64_t position44);

private:
    struct Point {
        std::int64_t position;
        float left;
        float right;
    };
    std::vector<Point> points_;
    std::size_t segment_ = 0;  // index of the last point at or before the previous position
};

}  // namespace swf::audio
