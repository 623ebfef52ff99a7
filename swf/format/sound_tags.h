#pragma once
// Decoders of the sound tags: DefineSound, StartSound/StartSound2 (SOUNDINFO with envelopes,
// in and out points and loops) and SoundStreamHead/2. Sound data stays as spans of the file;
// the audio layer decodes it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/format/reader.h"
#include "swf/format/text_encoding.h"

namespace swf {

enum class SoundCoding : std::uint8_t {
    PcmNativeEndian = 0, Adpcm = 1, Mp3 = 2, PcmLittleEndian = 3, Nellymoser16k = 4,
    Nellymoser8k = 5, Nellymoser = 6, Speex = 11,
};

// The format byte: coding, rate, sample size, channels.
struct SoundFormat {
    std::uint8_t coding = 0;     // SoundCoding value; unknown codings are kept as read
    std::uint8_t rateIndex = 0;  // 0..3: 5512, 11025, 22050, 44100 Hz
    bool sixteenBit = true;
    bool stereo = false;
    // The rate the data is at (Nellymoser 4/5 and Speex have fixed rates).
    int sampleRate() const;
};
SoundFormat soundFormatFromByte(std::uint8_t b);

struct SoundDefinition {
    std::uint16_t id = 0;
    SoundFormat format;
    std::uint32_t sampleCount = 0;  // sample frames
    std::span<const std::uint8_t> data;  // per format; MP3 starts with SeekSamples
};

struct SoundEnvelopePoint {
    std::uint32_t pos44 = 0;   // in 44.1 kHz samples
    std::uint16_t left = 0, right = 0;  // 0..32768
};

struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<std::uint32_t> inPoint, outPoint;
    std::uint16_t loopCount = 1;   // plays; 0 in the file reads as 1
    std::vector<SoundEnvelopePoint> envelope;
};

struct StartSound {
    std::uint16_t soundId = 0;
    SoundInfo info;
};

struct SoundStreamHead {
    int headVersion = 1;
    SoundFormat playback;  // advisory
    SoundFormat stream;    // what the blocks hold
    std::uint16_t sampleCountPerBlock = 0;
    std::int16_t latencySeek = 0;  // MP3 only; 0 when the tag omits it
};

SoundDefinition decodeDefineSound(ByteReader body);
SoundInfo readSoundInfo(ByteReader& r);
StartSound decodeStartSound(ByteReader body);
struct StartSound2 {
    std::string className;
    SoundInfo info;
};
StartSound2 decodeStartSound2(ByteReader body, TextDecoder& text);
SoundStreamHead decodeSoundStreamHead(ByteReader body, int headVersion);

}  // namespace swf
