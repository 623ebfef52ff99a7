#pragma once
// The player's sound: the runtime's sound hooks carried out with the audio layer's mixer.
// Event sounds are decoded once per character, ahead of use on a worker thread (see
// EventSoundLibrary); each timeline's stream blocks are gathered once per timeline and shared
// by every clip playing it.
//
// Whether a stream's clock may drive the stage: only while someone takes the sound. The player
// calls setOutputLive(true) when samples were pulled lately and false when none were: a player
// without a sound device (or whose device stalls) then keeps its frames by wall time instead
// of waiting for a clock that does not move.

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "swf/audio/event_sound_library.h"
#include "swf/audio/mixer.h"
#include "swf/movie/movie.h"
#include "swf/runtime/hooks.h"

namespace swf::detail {

// The format layer's SOUNDINFO as the mixer takes it; in and out points are stored in 44.1 kHz
// frames, the mixer's unit.
audio::SoundInfo toMixerSoundInfo(const SoundInfo& info);
audio::SoundTransform toMixerTransform(const runtime::SoundMix& mix);

class MixerSoundHost final : public runtime::SoundHost {
public:
    // `preloadSamples`: how much of the movie's event sounds to decode ahead of use.
    MixerSoundHost(audio::Mixer& mixer, std::shared_ptr<const Movie> movie, double frameRate,
                   audio::WarningHandler warnings,
                   std::size_t preloadSamples = audio::EventSoundLibrary::kDefaultPreloadSamples);
    ~MixerSoundHost() override;

    void startSound(std::uint16_t soundId, const SoundInfo& info, runtime::ObjectId owner) override;
    runtime::StreamHandle openStream(const Timeline& timeline, runtime::ObjectId owner) override;
    void closeStream(runtime::StreamHandle stream) override;
    void startStream(runtime::StreamHandle stream, int frame) override;
    void stopStream(runtime::StreamHandle stream) override;
    std::optional<int> streamFrame(runtime::StreamHandle stream) const override;
    void stopAll() override;
    bool streamStopped(runtime::StreamHandle stream) const override;

    runtime::SoundChannel startEventSound(std::uint16_t soundId, const SoundInfo& info,
                                          runtime::ObjectId group) override;
    void stopChannel(runtime::SoundChannel channel) override;
    void stopSoundCharacter(std::uint16_t soundId) override;
    void stopGroup(runtime::ObjectId group) override;
    void setGroupMix(runtime::ObjectId group, const runtime::SoundMix& mix) override;
    void setMasterMix(const runtime::SoundMix& mix) override;
    std::optional<runtime::SoundChannelStatus> channelStatus(runtime::SoundChannel channel) const override;
    std::optional<double> soundDurationMs(std::uint16_t soundId) override;
    std::vector<runtime::SoundChannel> takeFinishedChannels() override;

    void setOutputLive(bool live) { live_ = live; }
    bool outputLive() const { return live_; }
    // Stream clocks as they will be heard this many output frames later (when the frame run now
    // will be seen).
    void setLookAhead(std::int64_t frames) { lookAhead_ = frames; }

    // The stream whose clock the stage follows: of the streams that play, the one opened first
    // (the main timeline's opens before any sprite's). Nothing while the output is not live.
    struct DrivingStream {
        runtime::StreamHandle stream = 0;
        runtime::ObjectId owner = 0;
        int heardFrame = 0;
    };
    std::optional<DrivingStream> drivingStream() const;

    const audio::EventSoundLibrary& library() const { return *library_; }

private:
    std::shared_ptr<const audio::DecodedSound> decoded(std::uint16_t soundId);
    std::shared_ptr<const audio::StreamSource> streamSource(const Timeline& timeline);

    audio::Mixer& mixer_;
    std::shared_ptr<const Movie> movie_;
    double frameRate_;
    audio::WarningHandler warnings_;
    std::unique_ptr<audio::EventSoundLibrary> library_;
    std::unordered_map<const Timeline*, std::shared_ptr<const audio::StreamSource>> sources_;
    struct OpenStream {
        runtime::StreamHandle stream;
        runtime::ObjectId owner;
    };
    std::vector<OpenStream> open_;  // in the order they were opened
    std::atomic<bool> live_{false};
    std::int64_t lookAhead_ = 0;
};

}  // namespace swf::detail
