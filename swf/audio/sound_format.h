#pragma once
// How a sound's data is coded: the fields of the format byte of DefineSound and SoundStreamHead
// (bits 7-4 coding, 3-2 rate, 1 sample size, 0 mono/stereo), resolved to what the decoders need.

#include <cstdint>
#include <string>

namespace swf::audio {

// The mixer's output: 44,100 stereo frames per second of interleaved 16-bit samples.
inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

enum class SoundCodec : std::uint8_t {
    PcmNativeEndian = 0,  // written in the authoring machine's byte order; little-endian in practice
    Adpcm = 1,
    Mp3 = 2,
    PcmLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,       // at the rate of the rate field
    Speex = 11,
};

struct SoundFormat {
    std::uint8_t codec = 0;   // the 4-bit coding as stored; values we do not know are kept for warnings
    int sampleRate = 0;       // Hz of the coded data; 5512 stands for 44100 / 8 (see resampler)
    bool sixteenBit = true;   // only meaningful for uncompressed data
    bool stereo = false;      // always false for Nellymoser and Speex

    // Decodes the packed format byte.
    static SoundFormat fromByte(std::uint8_t packed);
    // Builds the format from the separate fields (rate index 0..3 as stored).
    static SoundFormat fromFields(unsigned codec, unsigned rateIndex, bool sixteenBit, bool stereo);

    int channels() const { return stereo ? 2 : 1; }
    bool is(SoundCodec c) const { return codec == static_cast<std::uint8_t>(c); }
    bool isPcm() const { return is(SoundCodec::PcmNativeEndian) || is(SoundCodec::PcmLittleEndian); }
    bool isNellymoser() const
    {
        return is(SoundCodec::Nellymoser16k) || is(SoundCodec::Nellymoser8k) || is(SoundCodec::Nellymoser);
    }
};

// The rate a rate index stands for: 5512, 11025, 22050, 44100.
int sampleRateForIndex(unsigned rateIndex);

// A short name of the coding for warnings ("MP3", "Speex", "format 9").
std::string codecName(std::uint8_t codec);

}  // namespace swf::audio
