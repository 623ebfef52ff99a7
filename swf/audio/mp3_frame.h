#pragma once
// MP3 (MPEG audio Layer III) frame headers: enough to walk the frames of a block, size them and
// count their samples without decoding.

#include <cstdint>
#include <optional>
#include <span>

namespace swf::audio {

struct Mp3FrameHeader {
    int sampleRate = 0;
    int bitrate = 0;           // bits per second
    int samples = 0;           // per channel: 1152 (MPEG 1) or 576 (MPEG 2 and 2.5)
    int bytes = 0;             // whole frame, header included
    int channels = 0;
};

// The header at the start of `data`, or nothing when those four bytes are not a Layer III header
// we can size (free-format and reserved values are refused).
std::optional<Mp3FrameHeader> parseMp3FrameHeader(std::span<const std::uint8_t> data);

// The samples per channel of the frames in `data`: walks header to header, steps over bytes that
// are not a header, and counts a last frame cut short by the end of the data too (its rest may
// come in the next block).
std::int64_t countMp3Samples(std::span<const std::uint8_t> data);

}  // namespace swf::audio
