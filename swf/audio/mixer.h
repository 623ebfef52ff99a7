#pragma once
// The mix of every sound of a movie: event sounds (StartSound, button sounds, the script Sound
// object) and the streams of timelines, added with their volume and pan into 44.1 kHz stereo
// 16-bit samples, saturated rather than wrapped.
//
// The output pulls the mix at its own pace, possibly from its own thread, while the runtime
// starts and stops sounds on its thread: every call takes one lock, so any call may come from any
// thread. The mix depends only on the calls made and the samples pulled in between, never on
// timing, so the same movie gives the same samples every time.
//
// How the rest of the engine uses it:
// - DefineSound: decodeEventSound() once per sound (keep the result per character); StartSound
//   and button sounds: startSound(sound, soundInfo, group of the clip).
// - The Sound object: attachSound + start(offset, loops) is startSound with inPoint44 = offset *
//   44100 and loops; stop() is stopSound / stopGroup; setVolume, setPan (SoundTransform::fromPan)
//   and setTransform build a SoundTransform, combined with the parents' by then(), given to
//   setGroupTransform (the Sound without a target: setMasterTransform); position and duration
//   come from eventStatus; onSoundComplete from takeFinished.
// - Stream sound: build a StreamSource per timeline from its SoundStreamHead and blocks, then
//   addStream per playing instance. startStream(frame) when the timeline starts playing, after a
//   stop and play, and after a goto; stopStream when it stops. While streamClock().playing, the
//   timeline runs its frames up to clock.frame (drawing only the last) and never beyond it; when
//   the clock is not playing (ended, stopped, no output) the timeline keeps its own time.
// - The output pulls with pull() and reports the frames it holds but has not played with
//   setOutputLatency(). An output that cannot play still has to pull (and drop the samples) as
//   time passes, or stream clocks do not move.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "swf/audio/decoded_sound.h"
#include "swf/audio/event_channel.h"
#include "swf/audio/sound_info.h"
#include "swf/audio/stream_channel.h"
#include "swf/audio/warning.h"

namespace swf::audio {

using ChannelId = std::uint64_t;  // a playing event sound; 0 = none. Never reused.
using StreamId = std::uint64_t;   // a registered stream; 0 = none. Never reused.
using SoundGroup = std::uint64_t; // the sounds a Sound object controls (e.g. one per clip); 0 = none

struct EventStatus {
    double positionMs = 0;  // see EventChannel::positionMs
    double durationMs = 0;  // of the whole sound
    int loopsLeft = 0;
};

class Mixer {
public:
    // Event sounds beyond this many at once are not started (a movie that starts a sound every
    // frame must not pile up work without bound).
    static constexpr std::size_t kMaxEventChannels = 32;
    // A stopped event sound fades out over this many frames instead of clicking.
    static constexpr int kStopFadeFrames = 64;

    explicit Mixer(WarningHandler warnings = {});
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Event sounds. startSound follows the sound info: syncStop stops every instance of the sound
    // and starts nothing, noMultiple starts nothing while the sound is playing. Returns the new
    // channel, or 0 when nothing started (also for a null sound: one that could not be decoded).
    ChannelId startSound(std::shared_ptr<const DecodedSound> sound, const SoundInfo& info, SoundGroup group = 0);
    void stopSound(const DecodedSound& sound);  // every instance
    void stopChannel(ChannelId channel);
    bool isPlaying(const DecodedSound& sound) const;
    std::optional<EventStatus> eventStatus(ChannelId channel) const;  // nothing once it has ended
    // Channels that played to their end since the last call (not those stopped), oldest first.
    std::vector<ChannelId> takeFinished();

    // Streams: one per timeline with a SoundStreamHead. See StreamChannel for start and clock.
    StreamId addStream(std::shared_ptr<const StreamSource> source, double frameRate, SoundGroup group = 0);
    void removeStream(StreamId stream);
    void startStream(StreamId stream, int frame);
    void stopStream(StreamId stream);
    void pauseStream(StreamId stream, bool paused);
    // The clock of a stream, heard-position (after the output latency), or as it will be heard
    // `aheadFrames` later; nothing for an unknown id.
    std::optional<StreamClock> streamClock(StreamId stream, std::int64_t aheadFrames = 0) const;

    // Stops every event sound in a group and every stream of the group.
    void stopGroup(SoundGroup group);
    // Stops every event sound and every stream (streams stay registered and can be started again).
    void stopAll();

    // Volume and pan of a group (the Sound object of a clip, with its parents' already applied by
    // the caller), and of the whole mix (the Sound object without a target).
    void setGroupTransform(SoundGroup group, const SoundTransform& transform);
    void setMasterTransform(const SoundTransform& transform);

    // Fills `interleavedStereo` (left, right, ...) with the next frames of the mix and returns the
    // number of frames (size / 2). Silence when nothing plays.
    std::size_t pull(std::span<std::int16_t> interleavedStereo);
    // Frames pulled but not yet heard (the output's buffer): stream clocks lag by as much.
    void setOutputLatency(std::int64_t frames);
    std::int64_t pulledFrames() const;
    std::size_t eventChannelCount() const;

private:
    struct EventVoice {
        EventVoice(ChannelId i, SoundGroup g, std::shared_ptr<const DecodedSound> sound, const SoundInfo& info)
            : id(i), group(g), channel(std::move(sound), info) {}
        ChannelId id;
        SoundGroup group;
        EventChannel channel;
        int fadeLeft = -1;  // frames of fade-out left after a stop; -1 while playing
    };
    struct StreamVoice {
        StreamVoice(SoundGroup g, std::shared_ptr<const StreamSource> source, double frameRate, WarningHandler w)
            : group(g), channel(std::move(source), frameRate, std::move(w)) {}
        SoundGroup group;
        StreamChannel channel;
    };

    void mixChunk(float* accumulator, std::size_t frames);
    SoundTransform transformOf(SoundGroup group) const;
    void stopVoice(EventVoice& voice);
    void forgetOldFadingVoices();
    bool isPlayingLocked(const DecodedSound& sound) const;

    mutable std::mutex mutex_;
    WarningHandler warnings_;
    std::vector<std::unique_ptr<EventVoice>> events_;
    std::unordered_map<StreamId, std::unique_ptr<StreamVoice>> streams_;
    std::vector<StreamId> streamOrder_;  // mixing order: by id, so that the sum is deterministic
    std::unordered_map<SoundGroup, SoundTransform> groupTransforms_;
    SoundTransform master_;
    std::vector<ChannelId> finished_;
    ChannelId nextChannel_ = 1;
    StreamId nextStream_ = 1;
    std::int64_t pulled_ = 0;
    std::int64_t latency_ = 0;
    bool warnedFull_ = false;
    std::vector<float> accumulator_;
    std::vector<float> scratch_;
};

}  // namespace swf::audio
