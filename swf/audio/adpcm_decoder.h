#pragma once
// The SWF variant of IMA ADPCM: a 2-bit code-size field (codes of 2 to 5 bits), then packets of
// an unaligned 16-bit initial sample and 6-bit step index per channel followed by up to 4095
// codes per channel, left and right alternating, all in one most-significant-bit-first stream.

#include <cstdint>
#include <span>
#include <vector>

namespace swf::audio {

inline constexpr int kAdpcmSamplesPerPacket = 4096;

// Appends the samples of one complete ADPCM data record (interleaved for stereo) to `out`. Data
// that ends inside a packet yields the samples decoded up to there.
void decodeAdpcm(std::span<const std::uint8_t> data, int channels, std::vector<std::int16_t>& out);

}  // namespace swf::audio
