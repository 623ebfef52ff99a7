#include "swf/audio/sound_format.h"

namespace swf::audio {

int sampleRateForIndex(unsigned rateIndex)
{
    static constexpr int kRates[4] = {5512, 11025, 22050, 44100};
    return kRates[rateIndex & 3u];
}

SoundFormat SoundFormat::fromFields(unsigned codec, unsigned rateIndex, bool sixteenBit, bool stereo)
{
    SoundFormat f;
    f.codec = static_cast<std::uint8_t>(codec & 0x0fu);
    f.sampleRate = sampleRateForIndex(rateIndex);
    f.sixteenBit = sixteenBit;
    f.stereo = stereo;
    if (f.is(SoundCodec::Nellymoser16k)) f.sampleRate = 16000;
    if (f.is(SoundCodec::Nellymoser8k)) f.sampleRate = 8000;
    if (f.is(SoundCodec::Speex)) f.sampleRate = 16000;
    // These codings are mono whatever the type bit says.
    if (f.isNellymoser() || f.is(SoundCodec::Speex)) f.stereo = false;
    // Compressed data always decodes to 16-bit samples.
    if (!f.isPcm()) f.sixteenBit = true;
    return f;
}

SoundFormat SoundFormat::fromByte(std::uint8_t packed)
{
    return fromFields(packed >> 4, (packed >> 2) & 3u, (packed & 2u) != 0, (packed & 1u) != 0);
}

std::string codecName(std::uint8_t codec)
{
    switch (static_cast<SoundCodec>(codec)) {
    case SoundCodec::PcmNativeEndian: return "uncompressed (native byte order)";
    case SoundCodec::Adpcm: return "ADPCM";
    case SoundCodec::Mp3: return "MP3";
    case SoundCodec::PcmLittleEndian: return "uncompressed (little-endian)";
    case SoundCodec::Nellymoser16k: return "Nellymoser 16 kHz";
    case SoundCodec::Nellymoser8k: return "Nellymoser 8 kHz";
    case SoundCodec::Nellymoser: return "Nellymoser";
    case SoundCodec::Speex: return "Speex";
    }
    return "sound format " + std::to_string(codec);
}

}  // namespace swf::audio
