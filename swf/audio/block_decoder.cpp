#include "swf/audio/block_decoder.h"

#include <stdexcept>

#include "swf/audio/adpcm_decoder.h"
#include "swf/audio/mp3_decoder.h"
#include "swf/audio/nellymoser_decoder.h"
#include "swf/audio/pcm_decoder.h"

namespace swf::audio {
namespace {

class PcmBlockDecoder final : public BlockDecoder {
public:
    explicit PcmBlockDecoder(const SoundFormat& format) : format_(format) {}
    void decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) override
    {
        decodePcm(data, format_.sixteenBit, format_.channels(), out);
    }
    int channels() const override { return format_.channels(); }
    int sampleRate() const override { return format_.sampleRate; }

private:
    SoundFormat format_;
};

// Each piece is a complete ADPCM record with its own code size, so nothing carries over.
class AdpcmBlockDecoder final : public BlockDecoder {
public:
    explicit AdpcmBlockDecoder(const SoundFormat& format) : format_(format) {}
    void decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) override
    {
        decodeAdpcm(data, format_.channels(), out);
    }
    int channels() const override { return format_.channels(); }
    int sampleRate() const override { return format_.sampleRate; }

private:
    SoundFormat format_;
};

}  // namespace

std::unique_ptr<BlockDecoder> makeBlockDecoder(const SoundFormat& format, const WarningHandler& warnings)
{
    try {
        if (format.isPcm()) return std::make_unique<PcmBlockDecoder>(format);
        if (format.is(SoundCodec::Adpcm)) return std::make_unique<AdpcmBlockDecoder>(format);
        if (format.is(SoundCodec::Mp3)) {
            return std::make_unique<Mp3Decoder>(format.channels(), format.sampleRate, warnings);
        }
        if (format.isNellymoser()) return std::make_unique<NellymoserDecoder>(format.sampleRate, warnings);
    } catch (const std::exception& e) {
        warn(warnings, codecName(format.codec) + " sound cannot be decoded here (" + e.what() + "); it stays silent");
        return nullptr;
    }
    warn(warnings, codecName(format.codec) + " sound is not supported; it stays silent");
    return nullptr;
}

}  // namespace swf::audio
