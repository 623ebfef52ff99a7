#pragma once
// The player's sound: the runtime's sound hooks carried out with the audio layer's mixer.
// Event sounds are decoded once per character, at their first use; each timeline's stream
// blocks are gathered once per timeline and shared by every clip playing it.
//
// Whether a stream's clock may drive its timeline: only while someone takes the sound. The
// player calls setOutputLive(true) when samples were pulled since the last advance of time and
// false when none were: a player without a sound device (or whose device stalls) then keeps
// its frames by wall time instead of waiting for a clock that does not move.

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "swf/audio/mixer.h"
#include "swf/movie/movie.h"
#include "swf/runtime/hooks.h"

namespace swf::detail {

// The format layer's SOUNDINFO as the mixer takes it; in and out points are stored in 44.1 kHz
// frames, the mixer's unit.
audio::SoundInfo toMixerSoundInfo(const SoundInfo& info);

class MixerSoundHost final : public runtime::SoundHost {
public:
    MixerSoundHost(audio::Mixer& mixer, std::shared_ptr<const Movie> movie, double frameRate,
                   audio::WarningHandler warnings);
    ~MixerSoundHost() override;

    void startSound(std::uint16_t soundId, const SoundInfo& info, runtime::ObjectId owner) override;
    runtime::StreamHandle openStream(const Timeline& timeline, runtime::ObjectId owner) override;
    void closeStream(runtime::StreamHandle stream) override;
    void startStream(runtime::StreamHandle stream, int frame) override;
    void stopStream(runtime::StreamHandle stream) override;
    std::optional<int> streamFrame(runtime::StreamHandle stream) const override;
    void stopAll() override;

    void setOutputLive(bool live) { live_ = live; }
    bool outputLive() const { return live_; }

private:
    std::shared_ptr<const audio::DecodedSound> decoded(std::uint16_t soundId);
    std::shared_ptr<const audio::StreamSource> streamSource(const Timeline& timeline);

    audio::Mixer& mixer_;
    std::shared_ptr<const Movie> movie_;
    double frameRate_;
    audio::WarningHandler warnings_;
    // Null entries remember sounds that could not be decoded.
    std::unordered_map<std::uint16_t, std::shared_ptr<const audio::DecodedSound>> sounds_;
    std::size_t decodedBytes_ = 0;  // of sounds_, against limits::kMaxTotalSoundBytes
    std::unordered_map<const Timeline*, std::shared_ptr<const audio::StreamSource>> sources_;
    std::atomic<bool> live_{false};
};

}  // namespace swf::detail
