#include "swf/audio/pcm_decoder.h"

#include "swf/format/reader.h"

namespace swf::audio {

void decodePcm(std::span<const std::uint8_t> data, bool sixteenBit, int channels,
               std::vector<std::int16_t>& out)
{
    const std::size_t bytesPerFrame = static_cast<std::size_t>(channels) * (sixteenBit ? 2 : 1);
    const std::size_t samples = data.size() / bytesPerFrame * static_cast<std::size_t>(channels);
    ByteReader reader(data);
    out.reserve(out.size() + samples);
    for (std::size_t i = 0; i < samples; ++i) {
        if (sixteenBit) {
            out.push_back(reader.s16());
        } else {
            out.push_back(static_cast<std::int16_t>((reader.u8() - 128) * 256));
        }
    }
}

}  // namespace swf::audio
