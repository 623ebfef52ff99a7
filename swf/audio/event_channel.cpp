#include "swf/audio/event_channel.h"

#include <algorithm>
#include <cmath>

namespace swf::audio {
namespace {

// The source frame that a 44.1 kHz position falls on.
std::size_t sourceFrameAt(std::uint32_t position44, int sampleRate)
{
    return static_cast<std::size_t>((static_cast<unsigned __int128>(position44) * resampleStep(sampleRate)) >>
                                    kPositionFractionBits);
}

}  // namespace

EventChannel::EventChannel(std::shared_ptr<const DecodedSound> sound, const SoundInfo& info)
    : sound_(std::move(sound)), resampler_(sound_->sampleRate, sound_->channels), envelope_(info.envelope)
{
    const std::size_t frames = sound_->frames();
    segmentEnd_ = frames;
    if (info.outPoint44) segmentEnd_ = std::min(frames, sourceFrameAt(*info.outPoint44, sound_->sampleRate) + 1);
    if (info.inPoint44) {
        segmentStart_ = std::min(segmentEnd_, sourceFrameAt(*info.inPoint44, sound_->sampleRate));
        envelopeOffset_ = *info.inPoint44;
    }
    loops_ = std::max<int>(1, info.loops);
    feedCursor_ = segmentStart_;
    if (segmentStart_ >= segmentEnd_) resampler_.finish();
}

void EventChannel::feed(std::size_t frames)
{
    const auto channels = static_cast<std::size_t>(sound_->channels);
    while (frames > 0 && !resampler_.finished()) {
        const std::size_t n = std::min(frames, segmentEnd_ - feedCursor_);
        resampler_.push(std::span(sound_->samples).subspan(feedCursor_ * channels, n * channels));
        feedCursor_ += n;
        frames -= n;
        if (feedCursor_ == segmentEnd_) {
            if (++loopsFed_ >= loops_) {
                resampler_.finish();
            } else {
                feedCursor_ = segmentStart_;
            }
        }
    }
}

std::size_t EventChannel::render(std::span<float> stereo)
{
    const std::size_t want = stereo.size() / 2;
    feed(resampler_.inputNeededFor(want));
    const auto channels = static_cast<std::size_t>(sound_->channels);
    scratch_.resize(want * channels);
    const std::size_t got = resampler_.read(scratch_);
    for (std::size_t k = 0; k < got; ++k) {
        float left = scratch_[k * channels];
        float right = scratch_[k * channels + channels - 1];
        if (!envelope_.empty()) {
            const StereoGain gain = envelope_.at(envelopeOffset_ + played_ + static_cast<std::int64_t>(k));
            left *= gain.left;
            right *= gain.right;
        }
        stereo[2 * k] = left;
        stereo[2 * k + 1] = right;
    }
    played_ += static_cast<std::int64_t>(got);
    return got;
}

double EventChannel::positionMs() const
{
    const double segment = static_cast<double>(segmentEnd_ - segmentStart_);
    double within = segment > 0 ? std::fmod(resampler_.sourcePosition(), segment) : 0.0;
    if (ended()) within = segment;
    const double sourceFrames = static_cast<double>(segmentStart_) + within;
    return sourceFrames * 1000.0 / effectiveRate(sound_->sampleRate);
}

int EventChannel::loopsLeft() const
{
    const double segment = static_cast<double>(segmentEnd_ - segmentStart_);
    if (segment <= 0 || ended()) return 0;
    const int current = static_cast<int>(resampler_.sourcePosition() / segment);
    return std::max(0, loops_ - 1 - current);
}

}  // namespace swf::audio
