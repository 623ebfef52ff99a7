#include "swf/audio/decoded_sound.h"

#include <algorithm>

#include "swf/audio/adpcm_decoder.h"
#include "swf/audio/block_decoder.h"
#include "swf/audio/nellymoser_decoder.h"
#include "swf/audio/resampler.h"
#include "swf/format/reader.h"

namespace swf::audio {
namespace {

// MP3 is fed in pieces so that decoding can stop once enough has come out.
constexpr std::size_t kMp3FeedBytes = 16 * 1024;

// The most coded bytes that `frames` sample frames (and the rest of a packet or block) take, so
// that a sound longer than it may be is cut before decoding rather than decoded whole and then
// cut: ADPCM and PCM data are each decoded in one piece. MP3 is fed in pieces instead.
std::size_t codedBytesFor(const SoundFormat& format, std::size_t frames, std::span<const std::uint8_t> data)
{
    const auto channels = static_cast<std::size_t>(format.channels());
    if (format.isPcm()) return frames * channels * (format.sixteenBit ? 2 : 1);
    if (format.is(SoundCodec::Adpcm)) {
        const std::size_t codeBits = data.empty() ? 5 : (data[0] >> 6) + 2;
        const std::size_t packets = frames / kAdpcmSamplesPerPacket + 1;
        const std::size_t packetBits = channels * (22 + (kAdpcmSamplesPerPacket - 1) * codeBits);
        return (2 + packets * packetBits) / 8 + 1;
    }
    if (format.isNellymoser()) return (frames / kNellymoserBlockSamples + 1) * kNellymoserBlockBytes;
    return data.size();
}

}  // namespace

std::int64_t DecodedSound::outputFrames() const
{
    return outputFramesFor(static_cast<std::int64_t>(frames()), sampleRate);
}

double DecodedSound::durationMs() const
{
    return static_cast<double>(outputFrames()) * 1000.0 / kOutputRate;
}

std::shared_ptr<const DecodedSound> decodeEventSound(const SoundFormat& format, std::uint32_t sampleCount,
                                                     std::span<const std::uint8_t> data,
                                                     const WarningHandler& warnings,
                                                     const std::function<bool()>& cancelled)
{
    auto decoder = makeBlockDecoder(format, warnings);
    if (!decoder) return nullptr;

    std::size_t skipFrames = 0;
    if (format.is(SoundCodec::Mp3)) {
        ByteReader reader(data);
        if (reader.remaining() < 2) return nullptr;
        skipFrames = static_cast<std::size_t>(std::max<int>(0, reader.s16()));
        data = reader.rest();
    }
    // The stated count cuts off what a decoder makes beyond it (ADPCM pads its last codes, MP3
    // its last frame); the limit applies when the count is missing or larger.
    const bool limited = sampleCount == 0 || sampleCount > kMaxEventSoundFrames;
    const std::size_t wantFrames = limited ? kMaxEventSoundFrames : sampleCount;

    data = data.first(std::min(data.size(), codedBytesFor(format, skipFrames + wantFrames, data)));

    auto sound = std::make_shared<DecodedSound>();
    std::vector<std::int16_t>& out = sound->samples;
    const std::size_t pieceSize = format.is(SoundCodec::Mp3) ? kMp3FeedBytes : data.size();
    const auto framesSoFar = [&] { return out.size() / static_cast<std::size_t>(decoder->channels()); };
    while (!data.empty() && framesSoFar() < skipFrames + wantFrames) {
        if (cancelled && cancelled()) return nullptr;
        const std::size_t n = std::min(pieceSize, data.size());
        decoder->decode(data.first(n), out);
        data = data.subspan(n);
    }
    sound->channels = decoder->channels();
    sound->sampleRate = decoder->sampleRate();

    const auto channels = static_cast<std::size_t>(sound->channels);
    const std::size_t skip = std::min(skipFrames, framesSoFar()) * channels;
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(skip));
    if (framesSoFar() > wantFrames) {
        if (limited) warn(warnings, "event sound longer than ten minutes cut short");
        out.resize(wantFrames * channels);
    }
    out.shrink_to_fit();
    return sound;
}

}  // namespace swf::audio
