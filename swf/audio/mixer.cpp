#include "swf/audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace swf::audio {
namespace {

constexpr std::size_t kChunkFrames = 1024;
// Finished channels nobody asks about are forgotten beyond this many.
constexpr std::size_t kMaxFinished = 256;

// Adds `frames` stereo frames of `source` into `target` through a transform, with a gain ramp
// from `gainStart` stepping by `gainStep` per frame (for fade-outs; 1 and 0 otherwise).
void addTransformed(float* target, const float* source, std::size_t frames, const SoundTransform& t,
                    float gainStart = 1.0f, float gainStep = 0.0f)
{
    const bool plain = t.isIdentity() && gainStep == 0.0f && gainStart == 1.0f;
    for (std::size_t k = 0; k < frames; ++k) {
        const float left = source[2 * k];
        const float right = source[2 * k + 1];
        if (plain) {
            target[2 * k] += left;
            target[2 * k + 1] += right;
            continue;
        }
        const float gain = t.volume * (gainStart + gainStep * static_cast<float>(k));
        target[2 * k] += gain * (t.leftToLeft * left + t.rightToLeft * right);
        target[2 * k + 1] += gain * (t.leftToRight * left + t.rightToRight * right);
    }
}

std::int16_t toSample(float value)
{
    // Saturate, then round to the nearest step: a loud mix flattens at full scale, never wraps.
    if (std::isnan(value)) return 0;
    const float scaled = std::clamp(value * 32768.0f, -32768.0f, 32767.0f);
    return static_cast<std::int16_t>(std::lrint(scaled));
}

}  // namespace

Mixer::Mixer(WarningHandler warnings) : warnings_(std::move(warnings)) {}
Mixer::~Mixer() = default;

bool Mixer::isPlayingLocked(const DecodedSound& sound) const
{
    return std::any_of(events_.begin(), events_.end(), [&](const auto& voice) {
        return voice->fadeLeft < 0 && &voice->channel.sound() == &sound;
    });
}

void Mixer::stopVoice(EventVoice& voice)
{
    if (voice.fadeLeft < 0) voice.fadeLeft = kStopFadeFrames;
}

void Mixer::forgetOldFadingVoices()
{
    // Fading voices leave as the output pulls; without an output they would stay, so beyond a
    // limit the oldest go at once.
    auto fading = static_cast<std::size_t>(
        std::count_if(events_.begin(), events_.end(), [](const auto& v) { return v->fadeLeft >= 0; }));
    std::erase_if(events_, [&](const auto& v) {
        if (fading <= kMaxEventChannels || v->fadeLeft < 0) return false;
        --fading;
        return true;
    });
}

ChannelId Mixer::startSound(std::shared_ptr<const DecodedSound> sound, const SoundInfo& info, SoundGroup group)
{
    if (!sound) return 0;
    std::lock_guard lock(mutex_);
    if (info.syncStop) {
        for (auto& voice : events_) {
            if (&voice->channel.sound() == sound.get()) stopVoice(*voice);
        }
        forgetOldFadingVoices();
        return 0;
    }
    if (info.noMultiple && isPlayingLocked(*sound)) return 0;
    const auto playing = std::count_if(events_.begin(), events_.end(), [](const auto& v) { return v->fadeLeft < 0; });
    if (static_cast<std::size_t>(playing) >= kMaxEventChannels) {
        if (!warnedFull_) {
            warnedFull_ = true;
            warn(warnings_, "too many sounds at once; further sounds are not started");
        }
        return 0;
    }
    const ChannelId id = nextChannel_++;
    events_.push_back(std::make_unique<EventVoice>(id, group, std::move(sound), info));
    return id;
}

void Mixer::stopSound(const DecodedSound& sound)
{
    std::lock_guard lock(mutex_);
    for (auto& voice : events_) {
        if (&voice->channel.sound() == &sound) stopVoice(*voice);
    }
    forgetOldFadingVoices();
}

void Mixer::stopChannel(ChannelId channel)
{
    std::lock_guard lock(mutex_);
    for (auto& voice : events_) {
        if (voice->id == channel) stopVoice(*voice);
    }
    forgetOldFadingVoices();
}

bool Mixer::isPlaying(const DecodedSound& sound) const
{
    std::lock_guard lock(mutex_);
    return isPlayingLocked(sound);
}

std::optional<EventStatus> Mixer::eventStatus(ChannelId channel) const
{
    std::lock_guard lock(mutex_);
    for (const auto& voice : events_) {
        if (voice->id != channel || voice->fadeLeft >= 0) continue;
        return EventStatus{voice->channel.positionMs(), voice->channel.sound().durationMs(),
                           voice->channel.loopsLeft()};
    }
    return std::nullopt;
}

std::vector<ChannelId> Mixer::takeFinished()
{
    std::lock_guard lock(mutex_);
    return std::exchange(finished_, {});
}

StreamId Mixer::addStream(std::shared_ptr<const StreamSource> source, double frameRate, SoundGroup group)
{
    if (!source) return 0;
    // Building the channel creates its decoder: do that before taking the lock.
    auto voice = std::make_unique<StreamVoice>(group, std::move(source), frameRate, warnings_);
    std::lock_guard lock(mutex_);
    const StreamId id = nextStream_++;
    streams_.emplace(id, std::move(voice));
    streamOrder_.push_back(id);
    return id;
}

void Mixer::removeStream(StreamId stream)
{
    std::unique_ptr<StreamVoice> removed;  // destroyed after the lock is released
    std::lock_guard lock(mutex_);
    if (auto it = streams_.find(stream); it != streams_.end()) {
        removed = std::move(it->second);
        streams_.erase(it);
        std::erase(streamOrder_, stream);
    }
}

void Mixer::startStream(StreamId stream, int frame)
{
    std::lock_guard lock(mutex_);
    if (auto it = streams_.find(stream); it != streams_.end()) it->second->channel.start(frame);
}

void Mixer::stopStream(StreamId stream)
{
    std::lock_guard lock(mutex_);
    if (auto it = streams_.find(stream); it != streams_.end()) it->second->channel.stop();
}

void Mixer::pauseStream(StreamId stream, bool paused)
{
    std::lock_guard lock(mutex_);
    if (auto it = streams_.find(stream); it != streams_.end()) it->second->channel.setPaused(paused);
}

std::optional<StreamClock> Mixer::streamClock(StreamId stream, std::int64_t aheadFrames) const
{
    std::lock_guard lock(mutex_);
    if (auto it = streams_.find(stream); it != streams_.end())
        return it->second->channel.clock(latency_ - std::max<std::int64_t>(0, aheadFrames));
    return std::nullopt;
}

void Mixer::stopGroup(SoundGroup group)
{
    std::lock_guard lock(mutex_);
    for (auto& voice : events_) {
        if (voice->group == group) stopVoice(*voice);
    }
    forgetOldFadingVoices();
    for (auto& [id, voice] : streams_) {
        if (voice->group == group) voice->channel.stop();
    }
}

void Mixer::stopAll()
{
    std::lock_guard lock(mutex_);
    for (auto& voice : events_) stopVoice(*voice);
    forgetOldFadingVoices();
    for (auto& [id, voice] : streams_) voice->channel.stop();
}

void Mixer::setGroupTransform(SoundGroup group, const SoundTransform& transform)
{
    std::lock_guard lock(mutex_);
    if (transform.isIdentity()) {
        groupTransforms_.erase(group);
    } else {
        groupTransforms_[group] = transform.sanitized();
    }
}

void Mixer::setMasterTransform(const SoundTransform& transform)
{
    std::lock_guard lock(mutex_);
    master_ = transform.sanitized();
}

SoundTransform Mixer::transformOf(SoundGroup group) const
{
    const auto it = groupTransforms_.find(group);
    return it == groupTransforms_.end() ? SoundTransform{} : it->second;
}

void Mixer::setOutputLatency(std::int64_t frames)
{
    std::lock_guard lock(mutex_);
    latency_ = std::max<std::int64_t>(0, frames);
}

std::int64_t Mixer::pulledFrames() const
{
    std::lock_guard lock(mutex_);
    return pulled_;
}

std::size_t Mixer::eventChannelCount() const
{
    std::lock_guard lock(mutex_);
    return events_.size();
}

void Mixer::mixChunk(float* accumulator, std::size_t frames)
{
    scratch_.resize(frames * 2);
    for (auto& voice : events_) {
        std::size_t got = voice->channel.render(std::span(scratch_).first(frames * 2));
        if (voice->fadeLeft >= 0) {
            got = std::min<std::size_t>(got, static_cast<std::size_t>(voice->fadeLeft));
            const float start = static_cast<float>(voice->fadeLeft) / kStopFadeFrames;
            addTransformed(accumulator, scratch_.data(), got, transformOf(voice->group), start,
                           -1.0f / kStopFadeFrames);
            voice->fadeLeft -= static_cast<int>(got);
            if (got < frames) voice->fadeLeft = 0;
            continue;
        }
        addTransformed(accumulator, scratch_.data(), got, transformOf(voice->group));
        if (voice->channel.ended()) {
            if (finished_.size() >= kMaxFinished) finished_.erase(finished_.begin());
            finished_.push_back(voice->id);
        }
    }
    std::erase_if(events_, [](const auto& voice) { return voice->fadeLeft == 0 || voice->channel.ended(); });

    for (const StreamId id : streamOrder_) {
        StreamVoice& voice = *streams_.at(id);
        const std::size_t got = voice.channel.render(std::span(scratch_).first(frames * 2));
        addTransformed(accumulator, scratch_.data(), got, transformOf(voice.group));
    }
}

std::size_t Mixer::pull(std::span<std::int16_t> interleavedStereo)
{
    const std::size_t frames = interleavedStereo.size() / 2;
    std::lock_guard lock(mutex_);
    accumulator_.resize(kChunkFrames * 2);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(kChunkFrames, frames - done);
        std::fill_n(accumulator_.begin(), n * 2, 0.0f);
        mixChunk(accumulator_.data(), n);
        if (!master_.isIdentity()) {
            std::copy_n(accumulator_.begin(), n * 2, scratch_.begin());
            std::fill_n(accumulator_.begin(), n * 2, 0.0f);
            addTransformed(accumulator_.data(), scratch_.data(), n, master_);
        }
        std::int16_t* out = interleavedStereo.data() + done * 2;
        for (std::size_t i = 0; i < n * 2; ++i) out[i] = toSample(accumulator_[i]);
        done += n;
    }
    if (interleavedStereo.size() % 2) interleavedStereo.back() = 0;
    pulled_ += static_cast<std::int64_t>(frames);
    return frames;
}

}  // namespace swf::audio
