#include "swf/audio/nellymoser_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace swf::audio {
namespace {

// Blocks handed to libavcodec in one packet: bounds the memory of one decode call.
constexpr std::size_t kBlocksPerPacket = 64;

std::int16_t toSample(float value)
{
    if (std::isnan(value)) return 0;
    const float scaled = std::nearbyint(value * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace

void NellymoserDecoder::ContextDeleter::operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
void NellymoserDecoder::PacketDeleter::operator()(AVPacket* p) const { av_packet_free(&p); }
void NellymoserDecoder::FrameDeleter::operator()(AVFrame* f) const { av_frame_free(&f); }

NellymoserDecoder::NellymoserDecoder(int sampleRate, WarningHandler warnings)
    : rate_(sampleRate > 0 ? sampleRate : 16000), warnings_(std::move(warnings))
{
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!packet_ || !frame_) throw std::runtime_error("Nellymoser decoder: out of memory");
    open();
}

NellymoserDecoder::~NellymoserDecoder() = default;

void NellymoserDecoder::open()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_NELLYMOSER);
    if (!codec) throw std::runtime_error("this libavcodec has no Nellymoser decoder");
    context_.reset(avcodec_alloc_context3(codec));
    if (!context_) throw std::runtime_error("Nellymoser decoder: out of memory");
    context_->sample_rate = rate_;
    av_channel_layout_default(&context_->ch_layout, 1);
    if (avcodec_open2(context_.get(), codec, nullptr) < 0) {
        throw std::runtime_error("Nellymoser decoder could not be opened");
    }
}

void NellymoserDecoder::reset()
{
    partial_.clear();
    open();
}

void NellymoserDecoder::decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out)
{
    if (!partial_.empty()) {
        const std::size_t take = std::min(kNellymoserBlockBytes - partial_.size(), data.size());
        partial_.insert(partial_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        if (partial_.size() < kNellymoserBlockBytes) return;
        decodeBlocks(partial_, out);
        partial_.clear();
    }
    const std::size_t whole = data.size() / kNellymoserBlockBytes * kNellymoserBlockBytes;
    decodeBlocks(data.first(whole), out);
    partial_.assign(data.begin() + static_cast<std::ptrdiff_t>(whole), data.end());
}

void NellymoserDecoder::decodeBlocks(std::span<const std::uint8_t> blocks, std::vector<std::int16_t>& out)
{
    while (!blocks.empty()) {
        const std::size_t size = std::min(blocks.size(), kBlocksPerPacket * kNellymoserBlockBytes);
        // av_new_packet zero-fills the padding decoders are allowed to read past the data.
        if (av_new_packet(packet_.get(), static_cast<int>(size)) < 0) return;
        std::memcpy(packet_->data, blocks.data(), size);
        blocks = blocks.subspan(size);
        const int sent = avcodec_send_packet(context_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent < 0) {
            if (!warnedDamage_) {
                warnedDamage_ = true;
                warn(warnings_, "damaged Nellymoser data");
            }
            // Keep the stream's length: a block that cannot be decoded plays as silence.
            out.insert(out.end(), size / kNellymoserBlockBytes * kNellymoserBlockSamples, 0);
            continue;
        }
        while (avcodec_receive_frame(context_.get(), frame_.get()) == 0) {
            const int n = frame_->nb_samples;
            const auto format = static_cast<AVSampleFormat>(frame_->format);
            if (format == AV_SAMPLE_FMT_FLT || format == AV_SAMPLE_FMT_FLTP) {
                const auto* samples = reinterpret_cast<const float*>(frame_->data[0]);
                for (int i = 0; i < n; ++i) out.push_back(toSample(samples[i]));
            } else if (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P) {
                const auto* samples = reinterpret_cast<const std::int16_t*>(frame_->data[0]);
                out.insert(out.end(), samples, samples + n);
            } else {
                out.insert(out.end(), static_cast<std::size_t>(n), 0);
            }
            av_frame_unref(frame_.get());
        }
    }
}

}  // namespace swf::audio
