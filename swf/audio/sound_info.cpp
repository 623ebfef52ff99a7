#include "swf/audio/sound_info.h"

#include <algorithm>
#include <cmath>

namespace swf::audio {

SoundTransform SoundTransform::fromPan(double pan)
{
    const auto p = static_cast<float>(std::clamp(pan, -100.0, 100.0) / 100.0);
    SoundTransform t;
    if (p >= 0) {
        t.leftToLeft = 1.0f - p;
    } else {
        t.rightToRight = 1.0f + p;
    }
    return t;
}

SoundTransform SoundTransform::then(const SoundTransform& outer) const
{
    // Speakers = outer * (inner * input): multiply the two matrices.
    SoundTransform r;
    r.volume = volume * outer.volume;
    r.leftToLeft = outer.leftToLeft * leftToLeft + outer.rightToLeft * leftToRight;
    r.leftToRight = outer.leftToRight * leftToLeft + outer.rightToRight * leftToRight;
    r.rightToLeft = outer.leftToLeft * rightToLeft + outer.rightToLeft * rightToRight;
    r.rightToRight = outer.leftToRight * rightToLeft + outer.rightToRight * rightToRight;
    return r;
}

SoundTransform SoundTransform::sanitized() const
{
    const auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
    return {finite(volume), finite(leftToLeft), finite(leftToRight), finite(rightToLeft), finite(rightToRight)};
}

bool SoundTransform::isIdentity() const
{
    return *this == SoundTransform{};
}

}  // namespace swf::audio
