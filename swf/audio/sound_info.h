#pragma once
// How an event sound is to be played: the SOUNDINFO of StartSound and of button sounds, and the
// volume, pan and channel mixing that scripts set through the Sound object.

#include <cstdint>
#include <optional>
#include <vector>

namespace swf::audio {

struct EnvelopePoint {
    std::uint32_t position44 = 0;  // in 44.1 kHz frames, whatever the sound's own rate
    std::uint16_t leftLevel = 32768;   // 0 .. 32768 (full volume)
    std::uint16_t rightLevel = 32768;
};

struct SoundInfo {
    bool syncStop = false;    // stop every instance of the sound instead of starting one
    bool noMultiple = false;  // do not start when the sound is already playing
    // Where to start and stop within the sound, in 44.1 kHz frames (each loop plays this part).
    std::optional<std::uint32_t> inPoint44{};
    std::optional<std::uint32_t> outPoint44{};
    std::uint16_t loops = 1;  // number of plays; 0 counts as 1
    std::vector<EnvelopePoint> envelope{};
};

// A 2x2 mix of the sound's left and right into the speakers, with an overall volume, as the
// Sound object's setVolume / setPan / setTransform set it (percentages divided by 100).
struct SoundTransform {
    float volume = 1.0f;
    float leftToLeft = 1.0f;
    float leftToRight = 0.0f;
    float rightToLeft = 0.0f;
    float rightToRight = 1.0f;

    // A pan of -100 (left only) to 100 (right only): the far side is turned down, the near
    // side stays at full level.
    static SoundTransform fromPan(double pan);
    // This transform applied first, then `outer` (a clip's sounds inside its parent's).
    SoundTransform then(const SoundTransform& outer) const;
    bool isIdentity() const;
    // The same with anything not a finite number (a script can pass NaN) taken as 0.
    SoundTransform sanitized() const;
    bool operator==(const SoundTransform&) const = default;
};

}  // namespace swf::audio
