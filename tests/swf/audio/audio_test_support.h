#pragma once
// Helpers shared by the sound tests: test data, reference signals, stream blocks built the way
// an authoring tool writes them, and a small reader for the tags of the corpus movies.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/audio/sound_info.h"

namespace swf::audio::test {

std::vector<std::uint8_t> readFile(const std::string& path);
std::string dataPath(const std::string& name);  // tests/swf/audio/data/<name>
std::string corpusPath(const std::string& relative);
bool exists(const std::string& path);

// The chirp the MP3 test files were encoded from (see data/README.md): `amplitude` of full scale,
// rising linearly from f0 to f1 over the duration, with 10 ms fades at both ends.
std::vector<double> chirp(int rate, double seconds, double f0, double f1, double amplitude, double phase = 0);

// The lag (in [minLag, maxLag]) at which `signal` best matches `reference` (normalised
// cross-correlation), and that correlation.
struct Match {
    int lag = 0;
    double correlation = 0;
};
Match bestLag(std::span<const double> reference, std::span<const double> signal, int minLag, int maxLag,
              std::size_t length);

// One channel of interleaved samples as doubles.
std::vector<double> channelOf(std::span<const std::int16_t> interleaved, int channels, int channel);
std::vector<double> channelOf(std::span<const float> interleaved, int channels, int channel);

// The byte ranges of the MP3 frames of `mp3` (whole frames, back to back).
struct FrameRange {
    std::size_t offset;
    std::size_t size;
    int samples;
};
std::vector<FrameRange> mp3Frames(std::span<const std::uint8_t> mp3);

// SoundStreamBlock bodies for MP3 data, spread as an authoring tool does: each frame's block takes
// whole MP3 frames while they end before the frame's ideal end, and says by SampleCount how many
// samples it holds and by SeekSamples how far its first sample is from the frame's ideal start
// (the first block's SeekSamples is the latency).
std::vector<std::vector<std::uint8_t>> mp3StreamBlocks(std::span<const std::uint8_t> mp3, int sampleRate,
                                                       double frameRate, int latency);

// MP3SOUNDDATA: SeekSamples, then the frames.
std::vector<std::uint8_t> mp3SoundData(std::span<const std::uint8_t> mp3, int seekSamples);

// The tags of an uncompressed or zlib-compressed SWF file (enough for the corpus sound cases).
struct Tag {
    int code;
    std::vector<std::uint8_t> body;
};
std::optional<std::vector<Tag>> readSwfTags(const std::string& path, double* frameRate = nullptr);
// SOUNDINFO from a StartSound body after the sound id.
SoundInfo parseSoundInfo(std::span<const std::uint8_t> data);

}  // namespace swf::audio::test
