#include "swf/audio/stream_channel.h"

#include <algorithm>
#include <cmath>

#include "swf/audio/mp3_frame.h"
#include "swf/format/reader.h"

namespace swf::audio {
namespace {

// A stretch without sound shorter than this is a normal wobble of MP3 blocks (whole MP3 frames
// do not fit frames exactly, and a block may hold none); a longer one is a real pause in the
// stream, which is kept as silence so that later blocks still play at their frames.
constexpr double kGapFrames = 2.0;
constexpr std::int64_t kGapMp3Samples = 2 * 1152;
// Priming an MP3 restart: enough earlier data for the largest bit reservoir and a frame of
// filter history, from at most this many blocks back.
constexpr std::size_t kPrimerBytes = 1024;
constexpr int kMaxPrimerBlocks = 16;

double usableFrameRate(double frameRate)
{
    if (!(frameRate > 0)) return 12.0;  // no rate (or NaN): the authoring tool's default
    return std::clamp(frameRate, 1.0 / 256, 1000.0);
}

}  // namespace

StreamChannel::StreamChannel(std::shared_ptr<const StreamSource> source, double frameRate, WarningHandler warnings)
    : source_(std::move(source)), frameRate_(usableFrameRate(frameRate)), warnings_(std::move(warnings))
{
    decoder_ = makeBlockDecoder(source_->format, warnings_);
}

StreamChannel::~StreamChannel() = default;

bool StreamChannel::isMp3() const
{
    return source_->format.is(SoundCodec::Mp3);
}

std::optional<StreamChannel::Mp3Block> StreamChannel::mp3BlockOf(int frame) const
{
    if (frame < 0 || static_cast<std::size_t>(frame) >= source_->blocks.size()) return std::nullopt;
    ByteReader reader(source_->blocks[static_cast<std::size_t>(frame)]);
    if (reader.remaining() < 4) return std::nullopt;
    Mp3Block block;
    block.sampleCount = reader.u16();
    block.seekSamples = reader.s16();
    block.frames = reader.rest();
    return block;
}

std::span<const std::uint8_t> StreamChannel::audioOf(int frame) const
{
    if (frame < 0 || static_cast<std::size_t>(frame) >= source_->blocks.size()) return {};
    if (isMp3()) {
        const auto block = mp3BlockOf(frame);
        return block ? block->frames : std::span<const std::uint8_t>{};
    }
    return source_->blocks[static_cast<std::size_t>(frame)];
}

double StreamChannel::sourceFramesPerFrame() const
{
    const int rate = decoder_ ? decoder_->sampleRate() : source_->format.sampleRate;
    return effectiveRate(rate) / frameRate_;
}

std::size_t StreamChannel::pendingFrames() const
{
    const auto channels = static_cast<std::size_t>(decoder_ ? decoder_->channels() : 1);
    return (pending_.size() - pendingOffset_) / channels;
}

StreamChannel::StereoLevel StreamChannel::audibleLevel() const
{
    if (fadeLeft_ > 0) {
        const float w = static_cast<float>(fadeLeft_) / kSmoothFrames;
        return {last_.left * w, last_.right * w};
    }
    return state_ == State::Playing ? last_ : StereoLevel{};
}

void StreamChannel::beginJoin(StereoLevel from)
{
    joinPending_ = true;
    joinFrom_ = from;
    joinLeft_ = 0;
    fadeLeft_ = 0;
}

void StreamChannel::start(int frame)
{
    const StereoLevel level = audibleLevel();
    const bool audible = level.left != 0 || level.right != 0;
    joinPending_ = false;
    joinLeft_ = fadeLeft_ = 0;
    startAt(frame);
    if (!audible) return;
    if (state_ == State::Playing) {
        // Jumping while sound is heard: the new sound starts from the old level and ramps into place.
        beginJoin(level);
    } else {
        last_ = level;
        fadeLeft_ = kSmoothFrames;
    }
}

void StreamChannel::startAt(int frame)
{
    if (decoder_) decoder_->reset();
    resampler_.reset();
    pending_.clear();
    pendingOffset_ = 0;
    delivered_ = played_ = discard_ = silence_ = endedAt_ = 0;
    inputDone_ = decodedAny_ = false;
    lastAudioBlock_ = -1;
    startFrame_ = std::max(0, frame);
    state_ = State::Ended;

    // The first frame from here on that has sound; silence stands for the frames before it.
    int first = startFrame_;
    const auto blockCount = static_cast<int>(std::min<std::size_t>(source_->blocks.size(), 1u << 30));
    while (first < blockCount && audioOf(first).empty()) ++first;
    if (first >= blockCount) return;
    silence_ = std::llround((first - startFrame_) * sourceFramesPerFrame());
    nextBlock_ = first;

    if (isMp3()) {
        // Decode from a few blocks before as well, so that the bit reservoir (frames borrow up
        // to 511 bytes from the ones before) and the filter bank are primed. Their output is
        // dropped, then the block's seek samples: what remains starts at the frame's ideal place.
        std::int64_t drop = mp3BlockOf(first)->seekSamples;
        std::size_t primerBytes = 0;
        for (int b = first - 1; b >= 0 && first - b <= kMaxPrimerBlocks && primerBytes < kPrimerBytes; --b) {
            const auto primer = audioOf(b);
            primerBytes += primer.size();
            drop += countMp3Samples(primer);
            nextBlock_ = b;
        }
        if (drop < 0) silence_ -= drop;
        discard_ = std::max<std::int64_t>(0, drop);
    }
    state_ = State::Playing;
}

void StreamChannel::stop()
{
    if (state_ == State::Playing) fadeLeft_ = kSmoothFrames;
    state_ = State::Stopped;
    resampler_.reset();
    pending_.clear();
    pendingOffset_ = 0;
}

void StreamChannel::setPaused(bool paused)
{
    if (paused && state_ == State::Playing) {
        state_ = State::Paused;
        fadeLeft_ = kSmoothFrames;
    } else if (!paused && state_ == State::Paused) {
        beginJoin(audibleLevel());
        state_ = State::Playing;
    }
}

void StreamChannel::dropDecoded(std::size_t frames)
{
    const auto channels = static_cast<std::size_t>(decoder_ ? decoder_->channels() : 1);
    pendingOffset_ += std::min(frames, pendingFrames()) * channels;
}

void StreamChannel::decodeNextBlock()
{
    if (nextBlock_ < 0 || static_cast<std::size_t>(nextBlock_) >= source_->blocks.size()) {
        inputDone_ = true;
        return;
    }
    const int frame = nextBlock_++;
    const auto audio = audioOf(frame);
    if (audio.empty()) return;

    const double perFrame = sourceFramesPerFrame();
    if (lastAudioBlock_ >= 0 && frame > lastAudioBlock_ + 1) {
        const std::int64_t expected = std::llround((frame - startFrame_) * perFrame);
        const std::int64_t threshold = std::max<std::int64_t>(std::llround(kGapFrames * perFrame),
                                                              isMp3() ? kGapMp3Samples : 0);
        const std::int64_t queued = delivered_ + silence_ + static_cast<std::int64_t>(pendingFrames());
        if (expected - queued > threshold) silence_ += expected - queued;
    }
    lastAudioBlock_ = frame;

    if (!decoder_) {
        // Sound we cannot decode keeps its time: silence up to where the frame's sound ends.
        const std::int64_t end = std::llround((frame + 1 - startFrame_) * perFrame);
        silence_ = std::max<std::int64_t>(silence_, end - delivered_);
        return;
    }
    if (pendingOffset_ == pending_.size()) {
        pending_.clear();
        pendingOffset_ = 0;
    }
    const std::size_t before = pending_.size();
    decoder_->decode(audio, pending_);
    if (pending_.size() > before) decodedAny_ = true;
    if (discard_ > 0) {
        const std::size_t dropped = std::min<std::size_t>(static_cast<std::size_t>(discard_), pendingFrames());
        dropDecoded(dropped);
        discard_ -= static_cast<std::int64_t>(dropped);
    }
}

void StreamChannel::fill(std::size_t outputFrames)
{
    for (;;) {
        if (!resampler_) {
            // MP3 tells its rate with its first decoded frame: decode until then.
            const bool formatKnown = !decoder_ || !isMp3() || decodedAny_;
            if (!inputDone_ && (!formatKnown || (pendingFrames() == 0 && silence_ == 0))) {
                decodeNextBlock();
                continue;
            }
            const int rate = decoder_ ? decoder_->sampleRate() : source_->format.sampleRate;
            resampler_.emplace(rate, decoder_ ? decoder_->channels() : 1);
        }
        const std::size_t need = resampler_->inputNeededFor(outputFrames);
        if (need == 0 || resampler_->finished()) return;
        if (silence_ > 0) {
            const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(silence_), need);
            resampler_->pushSilence(n);
            silence_ -= static_cast<std::int64_t>(n);
            delivered_ += static_cast<std::int64_t>(n);
            continue;
        }
        if (const std::size_t n = pendingFrames(); n > 0) {
            resampler_->push(std::span(pending_).subspan(pendingOffset_));
            delivered_ += static_cast<std::int64_t>(n);
            pending_.clear();
            pendingOffset_ = 0;
            continue;
        }
        if (inputDone_) {
            resampler_->finish();
            return;
        }
        decodeNextBlock();
    }
}

std::size_t StreamChannel::renderFadeOut(std::span<float> stereo)
{
    const std::size_t n = std::min(stereo.size() / 2, static_cast<std::size_t>(fadeLeft_));
    for (std::size_t k = 0; k < n; ++k) {
        const float w = static_cast<float>(fadeLeft_ - static_cast<int>(k)) / kSmoothFrames;
        stereo[2 * k] = last_.left * w;
        stereo[2 * k + 1] = last_.right * w;
    }
    fadeLeft_ -= static_cast<int>(n);
    return n;
}

void StreamChannel::smoothJoin(std::span<float> stereo, std::size_t frames)
{
    if (frames == 0) return;
    if (joinPending_) {
        joinPending_ = false;
        joinOffset_ = {joinFrom_.left - stereo[0], joinFrom_.right - stereo[1]};
        joinLeft_ = kSmoothFrames;
    }
    for (std::size_t k = 0; k < frames && joinLeft_ > 0; ++k, --joinLeft_) {
        const float w = static_cast<float>(joinLeft_) / kSmoothFrames;
        stereo[2 * k] += joinOffset_.left * w;
        stereo[2 * k + 1] += joinOffset_.right * w;
    }
    last_ = {stereo[2 * (frames - 1)], stereo[2 * (frames - 1) + 1]};
}

std::size_t StreamChannel::render(std::span<float> stereo)
{
    if (state_ != State::Playing) {
        // After the end, time goes on for the clock while the output plays out what it holds.
        if (state_ == State::Ended) played_ += static_cast<std::int64_t>(stereo.size() / 2);
        return renderFadeOut(stereo);
    }
    const std::size_t want = stereo.size() / 2;
    fill(want);
    if (!resampler_) return 0;
    const auto channels = static_cast<std::size_t>(resampler_->channels());
    scratch_.resize(want * channels);
    const std::size_t got = resampler_->read(scratch_);
    for (std::size_t k = 0; k < got; ++k) {
        stereo[2 * k] = scratch_[k * channels];
        stereo[2 * k + 1] = scratch_[k * channels + channels - 1];
    }
    smoothJoin(stereo, got);
    played_ += static_cast<std::int64_t>(got);
    if (resampler_->drained()) {
        state_ = State::Ended;
        endedAt_ = played_;
    }
    return got;
}

StreamClock StreamChannel::clock(std::int64_t latencyFrames) const
{
    StreamClock c;
    c.playedFrames = played_;
    const std::int64_t heard = std::max<std::int64_t>(0, played_ - latencyFrames);
    const bool ended = state_ == State::Ended;
    const std::int64_t position = ended ? std::min(heard, endedAt_) : heard;
    // The tiny addition keeps a frame boundary that the arithmetic lands on exactly from
    // rounding down to the frame before.
    c.frame = startFrame_ + static_cast<int>(std::floor(static_cast<double>(position) * frameRate_ / kOutputRate + 1e-9));
    const bool tailHeard = heard >= endedAt_;
    c.playing = state_ == State::Playing || (ended && !tailHeard);
    c.ended = ended && tailHeard;
    return c;
}

}  // namespace swf::audio
