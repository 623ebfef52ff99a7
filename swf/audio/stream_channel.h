#pragma once
// The sound stream of one timeline (SoundStreamHead and one SoundStreamBlock per frame), played
// from a given frame on, and the clock it gives the timeline.
//
// The channel reads the blocks itself from the timeline's table of blocks, ahead of what is being
// heard, as the output asks for sound. The timeline therefore never has to deliver a block in
// time: it starts the stream at a frame, asks which frame the sound has reached, runs its frames
// up to there (skipping the drawing of frames it is late for), and restarts the stream after a
// goto or a stop and play. Blocks are decoded back to back through one decoder and one resampler,
// so nothing happens at the seams between them.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "swf/audio/block_decoder.h"
#include "swf/audio/resampler.h"
#include "swf/audio/sound_format.h"
#include "swf/audio/warning.h"

namespace swf::audio {

// One timeline's stream: the coding its SoundStreamHead / SoundStreamHead2 gives (the Stream*
// fields; the Playback* ones are advisory) and the SoundStreamBlock body of each frame, indexed
// by frame from 0 (an empty span where a frame has none). MP3 needs nothing else from the head:
// each block says its own seek samples, the first one the encoder latency. Immutable once built,
// so the output thread may read it while the timeline runs; `owner` keeps the spans' memory alive.
struct StreamSource {
    SoundFormat format;
    std::vector<std::span<const std::uint8_t>> blocks;
    std::shared_ptr<const void> owner;
};

struct StreamClock {
    int frame = 0;                  // the frame (0-based) whose sound is being heard
    std::int64_t playedFrames = 0;  // output frames played since the last start (silence after the end too)
    bool playing = false;           // started, not stopped or paused, sound left to hear
    bool ended = false;             // heard to the end of its last block
};

class StreamChannel {
public:
    // A stop, a pause or a jump to another frame cuts the sound where it is; over this many
    // frames (1.5 ms) the cut is smoothed into a ramp so that it does not click.
    static constexpr int kSmoothFrames = 64;

    // `frameRate` is the movie's: the writer spread the sound at sampleRate / frameRate samples
    // per frame, and that is how played sound maps back to frames.
    StreamChannel(std::shared_ptr<const StreamSource> source, double frameRate, WarningHandler warnings = {});
    ~StreamChannel();

    // Plays from the start of `frame`: for MP3 the decoder is primed with the block before and
    // the block's SeekSamples are dropped, so the sound starts where that frame's sound belongs.
    void start(int frame);
    void stop();
    void setPaused(bool paused);

    // Writes up to out.size() / 2 stereo frames (1.0 = full scale) over `stereo`; returns how many
    // (none when not playing, fewer when the stream ends).
    std::size_t render(std::span<float> stereo);

    // The sound clock; `latencyFrames` of output already pulled but not yet heard are taken off
    // (less than none looks ahead: the clock as it will be that much later). A stream whose last
    // sound has been rendered still plays until that has been heard.
    StreamClock clock(std::int64_t latencyFrames = 0) const;
    bool playing() const { return state_ == State::Playing; }

private:
    enum class State { Stopped, Playing, Paused, Ended };
    struct StereoLevel {
        float left = 0;
        float right = 0;
    };
    struct Mp3Block {
        int sampleCount = 0;
        int seekSamples = 0;
        std::span<const std::uint8_t> frames;
    };

    std::span<const std::uint8_t> audioOf(int frame) const;  // the coded sound of a frame's block
    std::optional<Mp3Block> mp3BlockOf(int frame) const;
    bool isMp3() const;
    double sourceFramesPerFrame() const;
    void fill(std::size_t outputFrames);
    void decodeNextBlock();
    void dropDecoded(std::size_t frames);
    std::size_t pendingFrames() const;
    void startAt(int frame);
    StereoLevel audibleLevel() const;
    void beginJoin(StereoLevel from);
    void smoothJoin(std::span<float> stereo, std::size_t frames);
    std::size_t renderFadeOut(std::span<float> stereo);

    std::shared_ptr<const StreamSource> source_;
    double frameRate_;
    WarningHandler warnings_;
    std::unique_ptr<BlockDecoder> decoder_;  // null for codings we cannot decode: they play silence
    std::optional<Resampler> resampler_;

    State state_ = State::Stopped;
    int startFrame_ = 0;
    int nextBlock_ = 0;        // the frame whose block is decoded next
    int lastAudioBlock_ = -1;  // the last frame whose block had sound
    bool inputDone_ = false;
    bool decodedAny_ = false;
    std::int64_t discard_ = 0;    // decoded frames still to drop (MP3 priming and seek samples)
    std::int64_t silence_ = 0;    // frames of silence to play before the pending samples
    std::int64_t delivered_ = 0;  // source frames handed to the resampler since the start
    std::vector<std::int16_t> pending_;
    std::size_t pendingOffset_ = 0;  // samples of pending_ already handed over
    std::int64_t played_ = 0;
    std::int64_t endedAt_ = 0;  // played_ when the last sound was rendered
    std::vector<float> scratch_;

    StereoLevel last_;           // the last frame rendered while playing
    int fadeLeft_ = 0;           // frames of ramp from last_ to silence after a stop or pause
    bool joinPending_ = false;   // the next frame rendered starts a ramp from joinFrom_
    StereoLevel joinFrom_;
    StereoLevel joinOffset_;     // added to the new sound, shrinking to nothing
    int joinLeft_ = 0;
};

}  // namespace swf::audio
