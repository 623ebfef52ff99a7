#pragma once
// MP3 frames to 16-bit samples through libmpg123's feed interface: pieces of data may end in the
// middle of a frame (the rest comes with the next piece), and the bit reservoir carries over from
// piece to piece as it does within a file. The SWF wrappers around the frames (sample counts and
// seek samples) are read by the callers.

#include <memory>

#include "swf/audio/block_decoder.h"

struct mpg123_handle_struct;

namespace swf::audio {

class Mp3Decoder final : public BlockDecoder {
public:
    // `channels` is what the output will have whatever the frames hold (mono frames are doubled,
    // stereo frames mixed down); `expectedRate` is reported until the first frame says otherwise.
    Mp3Decoder(int channels, int expectedRate, WarningHandler warnings);
    ~Mp3Decoder() override;

    void decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) override;
    void reset() override;
    int channels() const override { return channels_; }
    int sampleRate() const override { return rate_; }

private:
    struct HandleDeleter {
        void operator()(mpg123_handle_struct* handle) const;
    };
    void open();

    std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle_;
    int channels_;
    int rate_;
    bool rateKnown_ = false;
    bool warnedRateChange_ = false;
    bool warnedDamage_ = false;
    WarningHandler warnings_;
};

}  // namespace swf::audio
