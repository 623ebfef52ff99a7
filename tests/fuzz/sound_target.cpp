// Fuzz target: the sound decoders. One target for all codings, because a movie chooses the
// decoder and its parameters with one byte (the format byte of DefineSound and SoundStreamHead):
// the fuzzer mutates that byte as a movie would, and data that reaches the wrong decoder (MP3
// bytes read as ADPCM, stereo data read as mono) is exercised too.
//
// Byte 0: the format byte (coding << 4 | rate << 2 | 16-bit << 1 | stereo).
// Byte 1: bit 7 set: the rest is one event sound whose sample count is bytes 2-5
//         (little-endian) and whose data follows. Bit 7 clear: the rest is cut into stream
//         blocks of (low 7 bits + 1) * 7 bytes fed in order through one decoder, with a
//         reset() halfway, as a restart of the stream would do.

#include <algorithm>
#include <span>
#include <stdexcept>
#include <vector>

#include "fuzz_targets.h"
#include "swf/audio/block_decoder.h"
#include "swf/audio/decoded_sound.h"

namespace vantoro::fuzz {

namespace {

void feedAsStream(const swf::audio::SoundFormat& format, std::size_t blockBytes, std::span<const std::uint8_t> data)
{
    std::unique_ptr<swf::audio::BlockDecoder> decoder = swf::audio::makeBlockDecoder(format, {});
    if (!decoder) return;
    std::vector<std::int16_t> samples;
    std::size_t half = data.size() / 2;
    bool wasReset = false;
    for (std::size_t at = 0; at < data.size(); at += blockBytes) {
        if (!wasReset && at >= half) {
            decoder->reset();
            wasReset = true;
        }
        decoder->decode(data.subspan(at, std::min(blockBytes, data.size() - at)), samples);
        // Whole sample frames only: the mixer reads `channels` samples at a time.
        if (samples.size() % static_cast<std::size_t>(decoder->channels()) != 0) __builtin_trap();
        samples.clear();
    }
}

}  // namespace

int fuzzSound(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    swf::audio::SoundFormat format = swf::audio::SoundFormat::fromByte(data[0]);
    std::span<const std::uint8_t> rest(data + 2, size - 2);
    try {
        if (data[1] & 0x80) {
            if (rest.size() < 4) return 0;
            std::uint32_t sampleCount = rest[0] | rest[1] << 8 | rest[2] << 16 | std::uint32_t(rest[3]) << 24;
            auto sound = swf::audio::decodeEventSound(format, sampleCount, rest.subspan(4));
            if (sound && sound->frames() > swf::audio::kMaxEventSoundFrames) __builtin_trap();
        } else {
            feedAsStream(format, (std::size_t(data[1] & 0x7f) + 1) * 7, rest);
        }
    } catch (const std::runtime_error&) {
        // Only a missing Nellymoser decoder in libavcodec throws; nothing to fuzz then.
    }
    return 0;
}

}  // namespace vantoro::fuzz
