// Stream sound: blocks played back to back, starting at any frame, the clock the timeline
// follows, pauses in the stream, MP3 seek handling, and damaged blocks.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "audio_test_support.h"
#include "swf/audio/decoded_sound.h"
#include "swf/audio/event_channel.h"
#include "swf/audio/mixer.h"
#include "swf/audio/stream_channel.h"

namespace swf::audio {
namespace {

// A stream source over blocks the source itself owns.
std::shared_ptr<const StreamSource> makeSource(const SoundFormat& format, std::vector<std::vector<std::uint8_t>> blocks)
{
    auto owned = std::make_shared<std::vector<std::vector<std::uint8_t>>>(std::move(blocks));
    auto source = std::make_shared<StreamSource>();
    source->format = format;
    for (const auto& block : *owned) source->blocks.emplace_back(block);
    source->owner = owned;
    return source;
}

// 16-bit little-endian mono PCM blocks: block k holds `perBlock(k)` samples of value f(k, i).
template <typename PerBlock, typename Value>
std::vector<std::vector<std::uint8_t>> pcmBlocks(int count, PerBlock perBlock, Value value)
{
    std::vector<std::vector<std::uint8_t>> blocks;
    for (int k = 0; k < count; ++k) {
        std::vector<std::uint8_t> block;
        for (int i = 0; i < perBlock(k); ++i) {
            const auto v = static_cast<std::uint16_t>(value(k, i));
            block.push_back(static_cast<std::uint8_t>(v));
            block.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

// Plays `frames` output frames in pieces of `chunk` and returns the left channel (16-bit units).
std::vector<float> playLeft(StreamChannel& channel, std::size_t frames, std::size_t chunk = 500)
{
    std::vector<float> left;
    std::vector<float> stereo;
    while (left.size() < frames) {
        const std::size_t n = std::min(chunk, frames - left.size());
        stereo.assign(2 * n, 0.0f);
        const std::size_t got = channel.render(stereo);
        for (std::size_t k = 0; k < got; ++k) left.push_back(stereo[2 * k] * 32768.0f);
        if (got < n) break;
    }
    return left;
}

const SoundFormat kPcm44Mono = SoundFormat::fromByte(0x3e);
const SoundFormat kPcm22Mono = SoundFormat::fromByte(0x3a);

TEST(StreamChannel, BlocksPlayBackToBackExactly)
{
    // Uneven blocks of a counting signal at 44.1 kHz: the output is the plain concatenation.
    const auto blocks = pcmBlocks(20, [](int k) { return 1000 + 37 * k; }, [](int k, int i) { return (k * 131 + i) % 30000; });
    std::vector<float> expected;
    for (int k = 0; k < 20; ++k) {
        for (int i = 0; i < 1000 + 37 * k; ++i) expected.push_back(static_cast<float>((k * 131 + i) % 30000));
    }
    StreamChannel channel(makeSource(kPcm44Mono, blocks), 30);
    channel.start(0);
    const auto out = playLeft(channel, expected.size() + 1000, 777);
    ASSERT_EQ(out.size(), expected.size());
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(channel.clock().ended);
}

TEST(StreamChannel, ResampledBlocksHaveNoSeams)
{
    // At 22 kHz the blocks go through the resampler as one stream: the output equals the event
    // channel's output for the same samples in one piece.
    const auto blocks = pcmBlocks(12, [](int k) { return 918 + (k % 4 == 3); },
                                  [](int, int i) { return static_cast<int>(9000 * std::sin(i * 0.05)); });
    auto whole = std::make_shared<DecodedSound>();
    whole->sampleRate = 22050;
    for (const auto& block : blocks) {
        const auto part = decodeEventSound(kPcm22Mono, 0, block);
        whole->samples.insert(whole->samples.end(), part->samples.begin(), part->samples.end());
    }
    EventChannel reference(whole, {});
    std::vector<float> expected(2 * static_cast<std::size_t>(whole->outputFrames()));
    ASSERT_EQ(reference.render(expected), expected.size() / 2);

    StreamChannel channel(makeSource(kPcm22Mono, blocks), 24);
    channel.start(0);
    std::vector<float> out(expected.size());
    std::size_t done = 0;
    for (std::size_t chunk = 100; done < out.size() / 2; chunk += 100) {
        const std::size_t n = std::min(chunk, out.size() / 2 - done);
        ASSERT_EQ(channel.render(std::span(out).subspan(2 * done, 2 * n)), n);
        done += n;
    }
    EXPECT_EQ(out, expected);
}

TEST(StreamChannel, ClockFollowsThePlayedSound)
{
    // 22,050 Hz at 12 fps: 1837.5 samples a frame.
    const auto blocks = pcmBlocks(60, [](int k) { return k % 2 ? 1838 : 1837; }, [](int, int) { return 100; });
    StreamChannel channel(makeSource(kPcm22Mono, blocks), 12);
    EXPECT_FALSE(channel.clock().playing);
    channel.start(0);
    std::vector<float> stereo(2 * 441);
    for (int pulls = 1; pulls <= 400; ++pulls) {  // four seconds in 10 ms pieces
        ASSERT_EQ(channel.render(stereo), 441u);
        const StreamClock clock = channel.clock();
        ASSERT_EQ(clock.frame, pulls * 441 * 12 / 44100) << pulls;
        ASSERT_TRUE(clock.playing);
    }
    // Sound the output has taken but not yet played does not count.
    EXPECT_EQ(channel.clock(4410).frame, 46);  // 3.9 s
    EXPECT_EQ(channel.clock(1000000).frame, 0);
}

TEST(StreamChannel, StartsAtTheBlockOfAnyFrame)
{
    // Block k is k * 100 throughout; 44.1 kHz at 30 fps is 1470 samples a frame.
    const auto blocks = pcmBlocks(30, [](int) { return 1470; }, [](int k, int) { return k * 100; });
    StreamChannel channel(makeSource(kPcm44Mono, blocks), 30);
    channel.start(7);
    auto out = playLeft(channel, 1471);
    EXPECT_EQ(out.front(), 700);
    EXPECT_EQ(out[1469], 700);
    EXPECT_EQ(out[1470], 800);
    EXPECT_EQ(channel.clock().frame, 8);
    // A goto backwards restarts there, with the clock. The cut from the old sound to the new
    // is a short ramp.
    channel.start(2);
    EXPECT_EQ(channel.clock().frame, 2);
    EXPECT_EQ(channel.clock().playedFrames, 0);
    out = playLeft(channel, 100);
    EXPECT_EQ(out.front(), 800);
    for (int k = 1; k < StreamChannel::kSmoothFrames; ++k) {
        ASSERT_LT(out[static_cast<std::size_t>(k)], out[static_cast<std::size_t>(k - 1)]);
        ASSERT_GT(out[static_cast<std::size_t>(k)], 200);
    }
    EXPECT_EQ(out[StreamChannel::kSmoothFrames], 200);
}

TEST(StreamChannel, StopPauseAndEnd)
{
    const auto blocks = pcmBlocks(5, [](int) { return 1470; }, [](int k, int i) { return k * 1470 + i; });
    StreamChannel channel(makeSource(kPcm44Mono, blocks), 30);
    channel.start(0);
    playLeft(channel, 1000);
    channel.setPaused(true);
    // The sound does not stop dead: its level ramps down over a few frames, then silence.
    std::vector<float> stereo(200, 1.0f);
    ASSERT_EQ(channel.render(stereo), static_cast<std::size_t>(StreamChannel::kSmoothFrames));
    EXPECT_FLOAT_EQ(stereo[0] * 32768, 999);
    EXPECT_NEAR(stereo[2 * (StreamChannel::kSmoothFrames - 1)] * 32768, 999.0 / StreamChannel::kSmoothFrames, 0.01);
    EXPECT_EQ(channel.render(stereo), 0u);
    EXPECT_FALSE(channel.clock().playing);
    EXPECT_EQ(channel.clock().playedFrames, 1000);
    // It goes on where it paused, ramping up from silence.
    channel.setPaused(false);
    const auto resumed = playLeft(channel, 100);
    EXPECT_EQ(resumed[0], 0);
    EXPECT_EQ(resumed[StreamChannel::kSmoothFrames], 1000 + StreamChannel::kSmoothFrames);

    channel.stop();
    EXPECT_EQ(channel.render(stereo), static_cast<std::size_t>(StreamChannel::kSmoothFrames));
    EXPECT_EQ(channel.render(stereo), 0u);
    EXPECT_FALSE(channel.clock().playing);
    channel.setPaused(false);  // resuming does not restart a stopped stream
    EXPECT_EQ(channel.render(stereo), 0u);

    channel.start(3);
    const auto rest = playLeft(channel, 10000);
    EXPECT_EQ(rest.size(), 2u * 1470);
    EXPECT_EQ(rest.front(), 3 * 1470);
    const StreamClock clock = channel.clock();
    EXPECT_TRUE(clock.ended);
    EXPECT_FALSE(clock.playing);
    EXPECT_EQ(clock.frame, 5);
    // While the output still holds the last of it, it is not over yet.
    const StreamClock tail = channel.clock(100);
    EXPECT_TRUE(tail.playing);
    EXPECT_FALSE(tail.ended);
    EXPECT_EQ(tail.frame, 4);

    channel.start(40);  // past the last block: nothing to play
    EXPECT_TRUE(channel.clock().ended);
    EXPECT_EQ(channel.render(stereo), 0u);
}

TEST(StreamChannel, FramesWithoutBlocksKeepTheirTime)
{
    // Frames 0-2 and 6-8 have sound, 3-5 none: frame 6's block still plays at frame 6's time.
    auto blocks = pcmBlocks(9, [](int k) { return (k >= 3 && k <= 5) ? 0 : 1470; }, [](int k, int) { return 1000 + k; });
    StreamChannel channel(makeSource(kPcm44Mono, blocks), 30);
    channel.start(0);
    const auto out = playLeft(channel, 20000);
    ASSERT_EQ(out.size(), 9u * 1470);
    EXPECT_EQ(out[2 * 1470], 1002);
    EXPECT_EQ(out[4 * 1470], 0);
    EXPECT_EQ(out[6 * 1470], 1006);
    EXPECT_EQ(out[9 * 1470 - 1], 1008);

    // Starting in the silent stretch waits for frame 6's block.
    channel.start(4);
    const auto late = playLeft(channel, 20000);
    ASSERT_EQ(late.size(), 5u * 1470);
    EXPECT_EQ(late[2 * 1470 - 1], 0);
    EXPECT_EQ(late[2 * 1470], 1006);
}

TEST(StreamChannel, UndecodableStreamKeepsTime)
{
    std::vector<std::string> warnings;
    const auto blocks = std::vector<std::vector<std::uint8_t>>(10, std::vector<std::uint8_t>(40, 0x55));
    StreamChannel channel(makeSource(SoundFormat::fromByte(0xb2), blocks), 20,
                          [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(warnings.size(), 1u);
    channel.start(0);
    // Speex is 16 kHz: 800 samples a frame, ten frames, half a second of silence.
    const auto out = playLeft(channel, 30000);
    EXPECT_EQ(out.size(), 22050u);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0; }));
    EXPECT_TRUE(channel.clock().ended);
    EXPECT_EQ(channel.clock().frame, 10);
}

TEST(StreamChannel, AdpcmBlocksEachStartAfresh)
{
    // Each ADPCM block carries its own code size and initial sample.
    std::vector<std::vector<std::uint8_t>> blocks;
    for (int k = 0; k < 4; ++k) {
        // 4-bit codes, initial sample k * 1000, index 0, then four codes of 0 (+7/8, so +0 each).
        const std::uint16_t initial = static_cast<std::uint16_t>(k * 1000);
        std::vector<std::uint8_t> block{static_cast<std::uint8_t>(0x80 | (initial >> 10)),
                                        static_cast<std::uint8_t>(initial >> 2),
                                        static_cast<std::uint8_t>((initial & 3) << 6), 0x00, 0x00};
        blocks.push_back(block);
    }
    StreamChannel channel(makeSource(SoundFormat::fromByte(0x1e), blocks), 30);  // ADPCM 44 kHz mono
    channel.start(0);
    const auto out = playLeft(channel, 1000);
    ASSERT_EQ(out.size(), 20u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(out[static_cast<std::size_t>(5 * k)], k * 1000.0f) << k;
}

// MP3 streams built from the test file as an authoring tool writes them.
class Mp3Stream : public ::testing::Test {
protected:
    static constexpr int kLatency = 1105;
    static constexpr double kFrameRate = 24;  // 918.75 samples a frame at 22,050 Hz

    void SetUp() override
    {
        mp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
        ASSERT_FALSE(mp3.empty());
        blocks = test::mp3StreamBlocks(mp3, 22050, kFrameRate, kLatency);
        sound = decodeEventSound(SoundFormat::fromByte(0x2a), 0, test::mp3SoundData(mp3, kLatency));
        ASSERT_TRUE(sound);
    }

    // The event sound at 44.1 kHz, as the reference for where each part of the stream belongs.
    std::vector<double> referenceOutput() const
    {
        EventChannel channel(sound, {});
        std::vector<float> stereo(2 * static_cast<std::size_t>(sound->outputFrames()));
        channel.render(stereo);
        return test::channelOf(std::span<const float>(stereo), 2, 0);
    }

    std::vector<std::uint8_t> mp3;
    std::vector<std::vector<std::uint8_t>> blocks;
    std::shared_ptr<const DecodedSound> sound;
};

TEST_F(Mp3Stream, ContinuousPlayMatchesTheWholeSound)
{
    StreamChannel channel(makeSource(SoundFormat::fromByte(0x2a), blocks), kFrameRate);
    channel.start(0);
    const auto out = playLeft(channel, 100000, 1024);
    const auto reference = referenceOutput();
    ASSERT_GE(out.size(), reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(out[i], static_cast<float>(reference[i])) << i;
}

TEST_F(Mp3Stream, StartingAtAFrameLandsOnItsIdealPosition)
{
    const auto reference = referenceOutput();
    for (const int frame : {1, 2, 5, 9, 13}) {
        StreamChannel channel(makeSource(SoundFormat::fromByte(0x2a), blocks), kFrameRate);
        channel.start(frame);
        const auto out = playLeft(channel, 8000);
        // The frame's ideal start, rounded to a sample at 22,050 Hz as the writer did.
        const auto from = 2 * static_cast<std::size_t>(std::llround(frame * 22050 / kFrameRate));
        const std::vector<double> expected(reference.begin() + static_cast<std::ptrdiff_t>(from), reference.end());
        const std::vector<double> got(out.begin(), out.end());
        const auto match = test::bestLag(expected, got, -400, 400, std::min<std::size_t>(6000, expected.size()));
        EXPECT_EQ(match.lag, 0) << "frame " << frame;
        // Primed with the block before, even the first MP3 frame decodes properly.
        EXPECT_GT(match.correlation, 0.98) << "frame " << frame;
    }
}

TEST_F(Mp3Stream, FramesStraddlingBlocksPlayTheSame)
{
    // Move the last 30 bytes of every block to the front of the next one.
    auto straddling = blocks;
    for (std::size_t k = 0; k + 1 < straddling.size(); ++k) {
        auto& block = straddling[k];
        if (block.size() <= 4 + 30) continue;
        auto& next = straddling[k + 1];
        next.insert(next.begin() + 4, block.end() - 30, block.end());
        block.resize(block.size() - 30);
    }
    StreamChannel whole(makeSource(SoundFormat::fromByte(0x2a), blocks), kFrameRate);
    StreamChannel split(makeSource(SoundFormat::fromByte(0x2a), straddling), kFrameRate);
    whole.start(0);
    split.start(0);
    EXPECT_EQ(playLeft(split, 100000), playLeft(whole, 100000));
}

TEST_F(Mp3Stream, DamagedBlocksNeverStopTheClock)
{
    std::mt19937 random(21);
    for (int round = 0; round < 20; ++round) {
        auto damaged = blocks;
        for (auto& block : damaged) {
            switch (random() % 4) {
            case 0: block.resize(random() % 5); break;                        // header cut short
            case 1: for (auto& b : block) b = static_cast<std::uint8_t>(random()); break;
            case 2: block.resize(block.size() / 2); break;
            default: break;
            }
        }
        StreamChannel channel(makeSource(SoundFormat::fromByte(0x2a), damaged), kFrameRate);
        channel.start(static_cast<int>(random() % 10));
        const auto out = playLeft(channel, 200000, 4096);
        EXPECT_LT(out.size(), 200000u);  // it ends
        EXPECT_TRUE(channel.clock().ended);
    }
}

TEST(StreamSync, MixerClockStaysWithinAFrameOfPulledTime)
{
    // A stream longer than the test, at 44.1 kHz stereo and 25 fps.
    const auto blocks = pcmBlocks(400, [](int) { return 2 * 1764; }, [](int k, int) { return k; });
    Mixer mixer;
    const StreamId stream = mixer.addStream(makeSource(SoundFormat::fromByte(0x3f), blocks), 25);
    mixer.startStream(stream, 0);
    std::vector<std::int16_t> buffer;
    std::mt19937 random(1);
    std::int64_t pulled = 0;
    int startFrame = 0;
    std::int64_t sinceStart = 0;
    const auto check = [&] {
        const auto clock = mixer.streamClock(stream);
        ASSERT_TRUE(clock);
        const int ideal = startFrame + static_cast<int>(sinceStart * 25 / 44100);
        ASSERT_LE(std::abs(clock->frame - ideal), 1) << "after " << pulled << " frames";
    };
    for (int step = 0; step < 300; ++step) {
        // The output pulls irregular amounts, as a sound card does.
        buffer.assign(2 * (64 + random() % 2048), 0);
        mixer.pull(buffer);
        pulled += static_cast<std::int64_t>(buffer.size() / 2);
        sinceStart += static_cast<std::int64_t>(buffer.size() / 2);
        check();
        if (step == 100) {  // stop, then play again: the stream restarts at the current frame
            mixer.stopStream(stream);
            startFrame = mixer.streamClock(stream)->frame;
            mixer.startStream(stream, startFrame);
            sinceStart = 0;
        }
        if (step == 200) {  // a goto
            startFrame = 17;
            mixer.startStream(stream, startFrame);
            sinceStart = 0;
        }
    }
    const auto clock = mixer.streamClock(stream);
    EXPECT_TRUE(clock->playing);
    EXPECT_EQ(mixer.streamClock(stream + 1), std::nullopt);
}

}  // namespace
}  // namespace swf::audio
