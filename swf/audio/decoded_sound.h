#pragma once
// An event sound (DefineSound) decoded once to 16-bit samples at its own rate. Immutable after
// decoding and shared between whoever triggers it and the channels that play it; the mixer also
// uses its identity for "stop this sound" and "do not start it twice".

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "swf/audio/sound_format.h"
#include "swf/audio/warning.h"
#include "swf/format/limits.h"

namespace swf::audio {

struct DecodedSound {
    int sampleRate = kOutputRate;
    int channels = 1;
    std::vector<std::int16_t> samples;  // interleaved when stereo

    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
    // Its length played at the output rate, in 44.1 kHz frames and in milliseconds.
    std::int64_t outputFrames() const;
    double durationMs() const;
};

// The most a single event sound may decode to (see limits.h).
inline constexpr std::size_t kMaxEventSoundFrames = limits::kMaxEventSoundFrames;

// Decodes the data of a DefineSound: for MP3 the data starts with the SeekSamples count of
// encoder latency, which is dropped. The result is cut to `sampleCount` frames when that is
// given and shorter. Returns nullptr, with a warning, when the coding cannot be decoded: the
// sound is then skipped. A long sound is decoded in pieces; `cancelled`, when given, is asked
// between them and ends the work early (the result is then nullptr, without a warning).
std::shared_ptr<const DecodedSound> decodeEventSound(const SoundFormat& format, std::uint32_t sampleCount,
                                                     std::span<const std::uint8_t> data,
                                                     const WarningHandler& warnings = {},
                                                     const std::function<bool()>& cancelled = {});

}  // namespace swf::audio
