#pragma once
// 16-bit PCM WAV files (RIFF, little-endian), written as samples come in: the sizes in the header
// are filled in when the file is finished.

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "swf/audio/sound_format.h"

namespace swf::audio {

// The 44-byte header of a WAV file holding `frames` frames.
std::vector<std::uint8_t> wavHeader(std::uint32_t frames, int channels = kOutputChannels,
                                    int sampleRate = kOutputRate);

class WavWriter {
public:
    // Opens (and truncates) the file; throws std::runtime_error when it cannot.
    explicit WavWriter(const std::string& path, int channels = kOutputChannels, int sampleRate = kOutputRate);
    // Finishes the file if finish() was not called (errors are then lost: call finish()).
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Appends interleaved samples (a whole number of frames). Throws when a write fails or the
    // file would pass the 4 GB a WAV header can describe.
    void write(std::span<const std::int16_t> interleaved);
    // Writes the final sizes and closes the file; throws when that fails.
    void finish();
    std::uint64_t framesWritten() const { return frames_; }

private:
    std::ofstream file_;
    std::string path_;
    int channels_;
    int sampleRate_;
    std::uint64_t frames_ = 0;
    bool finished_ = false;
};

}  // namespace swf::audio
