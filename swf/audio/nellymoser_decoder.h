#pragma once
// Nellymoser Asao through FFmpeg's libavcodec: 64-byte blocks of 256 mono samples each. A block
// split between two pieces of data is completed by the next piece.

#include <memory>

#include "swf/audio/block_decoder.h"

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

namespace swf::audio {

inline constexpr std::size_t kNellymoserBlockBytes = 64;
inline constexpr std::size_t kNellymoserBlockSamples = 256;

class NellymoserDecoder final : public BlockDecoder {
public:
    // Throws std::runtime_error when libavcodec has no Nellymoser decoder.
    NellymoserDecoder(int sampleRate, WarningHandler warnings);
    ~NellymoserDecoder() override;

    void decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) override;
    void reset() override;
    int channels() const override { return 1; }
    int sampleRate() const override { return rate_; }

private:
    struct ContextDeleter { void operator()(AVCodecContext* c) const; };
    struct PacketDeleter { void operator()(AVPacket* p) const; };
    struct FrameDeleter { void operator()(AVFrame* f) const; };
    void open();
    void decodeBlocks(std::span<const std::uint8_t> blocks, std::vector<std::int16_t>& out);

    std::unique_ptr<AVCodecContext, ContextDeleter> context_;
    std::unique_ptr<AVPacket, PacketDeleter> packet_;
    std::unique_ptr<AVFrame, FrameDeleter> frame_;
    std::vector<std::uint8_t> partial_;  // the start of a block whose rest has not come yet
    int rate_;
    bool warnedDamage_ = false;
    WarningHandler warnings_;
};

}  // namespace swf::audio
