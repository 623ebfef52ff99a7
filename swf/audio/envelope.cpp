#include "swf/audio/envelope.h"

#include <algorithm>

namespace swf::audio {

Envelope::Envelope(std::vector<EnvelopePoint> points)
{
    std::stable_sort(points.begin(), points.end(),
                     [](const EnvelopePoint& a, const EnvelopePoint& b) { return a.position44 < b.position44; });
    points_.reserve(points.size());
    for (const EnvelopePoint& p : points) {
        points_.push_back({p.position44, std::min<int>(p.leftLevel, 32768) / 32768.0f,
                           std::min<int>(p.rightLevel, 32768) / 32768.0f});
    }
}

StereoGain Envelope::at(std::int64_t position44)
{
    if (points_.empty()) return {};
    if (position44 <= points_.front().position) return {points_.front().left, points_.front().right};
    if (position44 >= points_.back().position) return {points_.back().left, points_.back().right};
    if (segment_ >= points_.size() || points_[segment_].position > position44) segment_ = 0;
    while (points_[segment_ + 1].position <= position44) ++segment_;
    const Point& a = points_[segment_];
    const Point& b = points_[segment_ + 1];
    // a.position <= position44 < b.position, so the span is never zero.
    const float t = static_cast<float>(position44 - a.position) / static_cast<float>(b.position - a.position);
    return {a.left + (b.left - a.left) * t, a.right + (b.right - a.right) * t};
}

}  // namespace swf::audio
