#pragma once
// One playing instance of an event sound: the part between the in and out points, played the
// given number of times without a gap (the loops run through the resampler as one stream), with
// the volume envelope applied, turned into stereo at the output rate.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/audio/decoded_sound.h"
#include "swf/audio/envelope.h"
#include "swf/audio/resampler.h"
#include "swf/audio/sound_info.h"

namespace swf::audio {

class EventChannel {
public:
    EventChannel(std::shared_ptr<const DecodedSound> sound, const SoundInfo& info);

    // Writes up to out.size() / 2 stereo frames (1.0 = full scale) over `out` and returns how many
    // it wrote; fewer than asked means the sound has ended.
    std::size_t render(std::span<float> stereo);
    bool ended() const { return resampler_.drained(); }

    const DecodedSound& sound() const { return *sound_; }
    // Where in the sound the channel is (milliseconds from the sound's start, so the in point
    // counts; back to the in point with each loop), and how many plays are left after this one.
    double positionMs() const;
    int loopsLeft() const;
    // Output frames played so far.
    std::int64_t playedFrames() const { return played_; }

private:
    void feed(std::size_t frames);

    std::shared_ptr<const DecodedSound> sound_;
    Resampler resampler_;
    Envelope envelope_;
    std::int64_t envelopeOffset_ = 0;  // the in point: envelope positions count from the sound's start
    std::size_t segmentStart_ = 0;
    std::size_t segmentEnd_ = 0;
    int loops_ = 1;
    int loopsFed_ = 0;
    std::size_t feedCursor_ = 0;
    std::int64_t played_ = 0;
    std::vector<float> scratch_;
};

}  // namespace swf::audio
