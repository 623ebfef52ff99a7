#pragma once
// Decoders from coded sound data to interleaved 16-bit samples at the data's own rate. Stream
// blocks are fed in order through one decoder (MP3 and Nellymoser carry state from block to
// block); an event sound's data is fed once. Damaged data ends a piece early and is reported;
// no decoder reads outside the bytes it is given.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/audio/sound_format.h"
#include "swf/audio/warning.h"

namespace swf::audio {

class BlockDecoder {
public:
    virtual ~BlockDecoder() = default;

    // Decodes one piece of coded data and appends its samples (channels() per frame,
    // interleaved) to `out`.
    virtual void decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) = 0;
    // Forgets everything carried over from earlier pieces, as before a restart elsewhere.
    virtual void reset() {}
    virtual int channels() const = 0;
    // Samples per second of the output; MP3 learns it from the first frame it decodes.
    virtual int sampleRate() const = 0;
};

// The decoder for a coding, or nullptr (with a warning) when the engine cannot decode it.
std::unique_ptr<BlockDecoder> makeBlockDecoder(const SoundFormat& format, const WarningHandler& warnings);

}  // namespace swf::audio
