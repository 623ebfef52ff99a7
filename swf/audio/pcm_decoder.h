#pragma once
// Uncompressed sound data: 8-bit samples are unsigned (128 is silence), 16-bit samples signed
// little-endian. Both uncompressed codings are read little-endian: the "native" one was written
// by little-endian machines in practice, and that is how players read it.

#include <cstdint>
#include <span>
#include <vector>

namespace swf::audio {

// Appends every whole sample frame of `data` to `out`; a trailing partial frame is dropped.
void decodePcm(std::span<const std::uint8_t> data, bool sixteenBit, int channels,
               std::vector<std::int16_t>& out);

}  // namespace swf::audio
