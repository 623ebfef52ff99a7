// Event sounds: in and out points, loops, envelopes, position and duration.

#include <gtest/gtest.h>

#include "swf/audio/event_channel.h"

namespace swf::audio {
namespace {

std::shared_ptr<const DecodedSound> makeSound(int rate, int channels, std::vector<std::int16_t> samples)
{
    auto sound = std::make_shared<DecodedSound>();
    sound->sampleRate = rate;
    sound->channels = channels;
    sound->samples = std::move(samples);
    return sound;
}

// A 44.1 kHz mono sound whose sample i is i (so positions can be read back from the output).
std::shared_ptr<const DecodedSound> ramp(int frames)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
    return makeSound(44100, 1, std::move(samples));
}

// Everything the channel plays, as left samples in 16-bit units.
std::vector<float> playLeft(EventChannel& channel, std::size_t chunk = 333)
{
    std::vector<float> left;
    std::vector<float> stereo(chunk * 2);
    for (;;) {
        const std::size_t got = channel.render(stereo);
        for (std::size_t k = 0; k < got; ++k) left.push_back(stereo[2 * k] * 32768.0f);
        if (got < chunk) break;
    }
    return left;
}

TEST(EventChannel, LoopsRepeatTheWholeSoundWithoutAGap)
{
    EventChannel channel(ramp(1000), SoundInfo{.loops = 3});
    const auto out = playLeft(channel);
    ASSERT_EQ(out.size(), 3000u);
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<float>(i % 1000)) << i;
    EXPECT_TRUE(channel.ended());
}

TEST(EventChannel, LoopCountZeroPlaysOnce)
{
    EventChannel channel(ramp(500), SoundInfo{.loops = 0});
    EXPECT_EQ(playLeft(channel).size(), 500u);
}

TEST(EventChannel, InAndOutPointsCutEveryLoop)
{
    // In at 100, out at 199 (the last frame played), twice.
    EventChannel channel(ramp(1000), SoundInfo{.inPoint44 = 100, .outPoint44 = 199, .loops = 2});
    const auto out = playLeft(channel);
    ASSERT_EQ(out.size(), 200u);
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<float>(100 + i % 100)) << i;
}

TEST(EventChannel, PointsCountIn44kFramesForEveryRate)
{
    // An 11,025 Hz sound: 44.1 kHz frame 400 is its frame 100. Output frame 4n lands on source
    // frame 100 + n exactly.
    EventChannel channel(makeSound(11025, 1, ramp(1000)->samples), SoundInfo{.inPoint44 = 400, .outPoint44 = 799});
    const auto out = playLeft(channel);
    ASSERT_EQ(out.size(), 400u);
    for (std::size_t n = 0; n < 100; ++n) ASSERT_EQ(out[4 * n], static_cast<float>(100 + n)) << n;
}

TEST(EventChannel, PointsBeyondTheSoundAreHarmless)
{
    EventChannel past(ramp(100), SoundInfo{.inPoint44 = 5000});
    EXPECT_TRUE(past.ended());
    EXPECT_TRUE(playLeft(past).empty());
    EventChannel reversed(ramp(100), SoundInfo{.inPoint44 = 60, .outPoint44 = 20, .loops = 65535});
    EXPECT_TRUE(playLeft(reversed).empty());
    EventChannel longOut(ramp(100), SoundInfo{.outPoint44 = 0xffffffff});
    EXPECT_EQ(playLeft(longOut).size(), 100u);
}

TEST(EventChannel, EnvelopeIsLinearBetweenPointsAndHeldOutside)
{
    const auto sound = makeSound(44100, 2, std::vector<std::int16_t>(2 * 3000, 16384));
    SoundInfo info;
    info.envelope = {{1000, 32768, 0}, {2000, 0, 32768}};
    EventChannel channel(sound, info);
    std::vector<float> stereo(2 * 3000);
    ASSERT_EQ(channel.render(stereo), 3000u);
    const auto at = [&](std::size_t frame, int side) { return stereo[2 * frame + static_cast<std::size_t>(side)] * 32768.0f; };
    EXPECT_FLOAT_EQ(at(0, 0), 16384);   // before the first point: its levels
    EXPECT_FLOAT_EQ(at(0, 1), 0);
    EXPECT_FLOAT_EQ(at(1250, 0), 12288);  // a quarter of the way
    EXPECT_FLOAT_EQ(at(1250, 1), 4096);
    EXPECT_FLOAT_EQ(at(1500, 0), 8192);
    EXPECT_FLOAT_EQ(at(2500, 0), 0);     // after the last point: its levels
    EXPECT_FLOAT_EQ(at(2500, 1), 16384);
}

TEST(EventChannel, EnvelopePansAMonoSound)
{
    // A mono sound with "left channel only" plays in the left speaker only.
    SoundInfo info;
    info.envelope = {{0, 32768, 0}};
    EventChannel channel(makeSound(44100, 1, std::vector<std::int16_t>(100, 8000)), info);
    std::vector<float> stereo(200);
    ASSERT_EQ(channel.render(stereo), 100u);
    EXPECT_FLOAT_EQ(stereo[10] * 32768.0f, 8000);
    EXPECT_FLOAT_EQ(stereo[11], 0);
}

TEST(EventChannel, EnvelopePositionsRunOnThroughLoopsFromTheInPoint)
{
    // Level rises from 0 at frame 0 to full at frame 1000 of the sound. With the in point at
    // 500 the first frame heard is at envelope position 500; the second loop goes on from 1000.
    SoundInfo info;
    info.inPoint44 = 500;
    info.loops = 2;
    info.envelope = {{0, 0, 0}, {1000, 32768, 32768}};
    EventChannel channel(makeSound(44100, 1, std::vector<std::int16_t>(1000, 10000)), info);
    std::vector<float> stereo(2 * 1000);
    ASSERT_EQ(channel.render(stereo), 1000u);
    EXPECT_FLOAT_EQ(stereo[0] * 32768.0f, 5000);
    EXPECT_FLOAT_EQ(stereo[2 * 250] * 32768.0f, 7500);
    EXPECT_FLOAT_EQ(stereo[2 * 600] * 32768.0f, 10000);
}

TEST(EventChannel, UnsortedEnvelopeAndOverFullLevels)
{
    SoundInfo info;
    info.envelope = {{100, 65535, 65535}, {0, 0, 0}};
    EventChannel channel(makeSound(44100, 1, std::vector<std::int16_t>(200, 1000)), info);
    std::vector<float> stereo(2 * 200);
    ASSERT_EQ(channel.render(stereo), 200u);
    EXPECT_FLOAT_EQ(stereo[2 * 50] * 32768.0f, 500);   // sorted: 0 -> 100
    EXPECT_FLOAT_EQ(stereo[2 * 150] * 32768.0f, 1000); // held at full, not amplified
}

TEST(EventChannel, PositionAndDuration)
{
    const auto sound = makeSound(22050, 1, std::vector<std::int16_t>(22050, 1));  // one second
    EXPECT_NEAR(sound->durationMs(), 1000.0, 1e-9);
    EXPECT_EQ(sound->outputFrames(), 44100);
    EventChannel channel(sound, SoundInfo{.inPoint44 = 4410, .loops = 2});
    EXPECT_NEAR(channel.positionMs(), 100.0, 0.1);  // starts at the in point
    EXPECT_EQ(channel.loopsLeft(), 1);
    std::vector<float> stereo(2 * 22050);
    channel.render(stereo);  // half a second
    EXPECT_NEAR(channel.positionMs(), 600.0, 1.0);
    channel.render(stereo);  // 0.4 s more ends the first loop, then 0.1 s of the second
    EXPECT_NEAR(channel.positionMs(), 200.0, 1.0);
    EXPECT_EQ(channel.loopsLeft(), 0);
    EXPECT_EQ(channel.playedFrames(), 44100);
}

}  // namespace
}  // namespace swf::audio
