#include "swf/audio/mp3_frame.h"

#include "swf/format/reader.h"

namespace swf::audio {
namespace {

constexpr int kBitratesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesMpeg1[3] = {44100, 48000, 32000};

}  // namespace

std::optional<Mp3FrameHeader> parseMp3FrameHeader(std::span<const std::uint8_t> data)
{
    if (data.size() < 4) return std::nullopt;
    ByteReader reader(data);
    std::uint32_t h = 0;
    for (int i = 0; i < 4; ++i) h = (h << 8) | reader.u8();  // headers are big-endian
    if ((h >> 21) != 0x7ff) return std::nullopt;
    const unsigned version = (h >> 19) & 3;  // 0 = MPEG 2.5, 2 = MPEG 2, 3 = MPEG 1
    const unsigned layer = (h >> 17) & 3;    // 1 = Layer III
    const unsigned bitrateIndex = (h >> 12) & 15;
    const unsigned rateIndex = (h >> 10) & 3;
    const unsigned padding = (h >> 9) & 1;
    const unsigned mode = (h >> 6) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;

    const bool mpeg1 = version == 3;
    Mp3FrameHeader header;
    header.sampleRate = kRatesMpeg1[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    header.bitrate = (mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrateIndex] * 1000;
    header.samples = mpeg1 ? 1152 : 576;
    header.bytes = (mpeg1 ? 144 : 72) * header.bitrate / header.sampleRate + static_cast<int>(padding);
    header.channels = mode == 3 ? 1 : 2;
    return header;
}

std::int64_t countMp3Samples(std::span<const std::uint8_t> data)
{
    std::int64_t samples = 0;
    std::size_t at = 0;
    while (at + 4 <= data.size()) {
        const auto header = parseMp3FrameHeader(data.subspan(at));
        if (!header) {
            ++at;
            continue;
        }
        samples += header->samples;
        at += static_cast<std::size_t>(header->bytes);
    }
    return samples;
}

}  // namespace swf::audio
