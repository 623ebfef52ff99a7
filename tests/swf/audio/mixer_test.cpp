// The mixer: sums, saturation, volume and pan, groups, sync stop and no-multiple, finished
// channels, limits, determinism and pulling from another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

#include "swf/audio/mixer.h"

namespace swf::audio {
namespace {

std::shared_ptr<const DecodedSound> constant(int frames, std::int16_t left, std::int16_t right, int rate = 44100)
{
    auto sound = std::make_shared<DecodedSound>();
    sound->sampleRate = rate;
    sound->channels = 2;
    for (int i = 0; i < frames; ++i) {
        sound->samples.push_back(left);
        sound->samples.push_back(right);
    }
    return sound;
}

std::vector<std::int16_t> pull(Mixer& mixer, std::size_t frames)
{
    std::vector<std::int16_t> out(2 * frames);
    EXPECT_EQ(mixer.pull(out), frames);
    return out;
}

TEST(Mixer, SilenceWhenNothingPlays)
{
    Mixer mixer;
    std::vector<std::int16_t> out(1001, 77);  // an odd size: the stray last sample is cleared too
    EXPECT_EQ(mixer.pull(out), 500u);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](auto s) { return s == 0; }));
    EXPECT_EQ(mixer.pulledFrames(), 500);
}

TEST(Mixer, AddsSoundsAndSaturatesInsteadOfWrapping)
{
    Mixer mixer;
    mixer.startSound(constant(100, 1000, -2000), {});
    mixer.startSound(constant(200, 3000, -4000), {});
    auto out = pull(mixer, 300);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[1], -6000);
    EXPECT_EQ(out[2 * 150], 3000);
    EXPECT_EQ(out[2 * 250], 0);

    mixer.startSound(constant(100, 30000, -30000), {});
    mixer.startSound(constant(100, 30000, -30000), {});
    mixer.startSound(constant(100, 32767, -32768), {});
    out = pull(mixer, 100);
    for (std::size_t k = 0; k < 100; ++k) {
        ASSERT_EQ(out[2 * k], 32767);
        ASSERT_EQ(out[2 * k + 1], -32768);
    }

    // Volumes a script may set: huge ones saturate, ones that are not numbers silence.
    mixer.startSound(constant(100, 1, -1), {}, 1);
    mixer.setGroupTransform(1, SoundTransform{.volume = 1e30f});
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    mixer.setGroupTransform(1, SoundTransform{.volume = std::numeric_limits<float>::quiet_NaN()});
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
}

TEST(Mixer, VolumePanAndTransform)
{
    Mixer mixer;
    mixer.startSound(constant(100, 8000, 4000), {}, 1);
    mixer.setGroupTransform(1, SoundTransform{.volume = 0.5f});
    auto out = pull(mixer, 10);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[1], 2000);

    mixer.setGroupTransform(1, SoundTransform::fromPan(-100));  // left only
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[1], 0);
    mixer.setGroupTransform(1, SoundTransform::fromPan(50));  // left at half
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[1], 4000);

    // Swap the sides, and feed left into both.
    mixer.setGroupTransform(1, SoundTransform{.leftToLeft = 0, .leftToRight = 1, .rightToLeft = 1, .rightToRight = 0});
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[1], 8000);
    mixer.setGroupTransform(1, SoundTransform{.leftToLeft = 1, .leftToRight = 1, .rightToLeft = 0, .rightToRight = 0});
    out = pull(mixer, 10);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[1], 8000);
}

TEST(Mixer, GroupTransformsTouchOnlyTheirGroupAndTheMasterTouchesAll)
{
    Mixer mixer;
    mixer.startSound(constant(100, 1000, 1000), {}, 1);
    mixer.startSound(constant(100, 100, 100), {}, 2);
    mixer.setGroupTransform(1, SoundTransform{.volume = 0});
    EXPECT_EQ(pull(mixer, 10)[0], 100);
    mixer.setGroupTransform(1, SoundTransform{});
    mixer.setMasterTransform(SoundTransform{.volume = 0.5f});
    EXPECT_EQ(pull(mixer, 10)[0], 550);
}

TEST(Mixer, TransformsCompose)
{
    // Pan fully left inside a parent at half volume.
    const SoundTransform clip = SoundTransform::fromPan(-100);
    const SoundTransform parent{.volume = 0.5f};
    const SoundTransform both = clip.then(parent);
    EXPECT_FLOAT_EQ(both.volume, 0.5f);
    EXPECT_FLOAT_EQ(both.rightToRight, 0.0f);
    // A swap after a swap is no swap.
    const SoundTransform swap{.leftToLeft = 0, .leftToRight = 1, .rightToLeft = 1, .rightToRight = 0};
    EXPECT_TRUE(swap.then(swap).isIdentity());
    // Left into both speakers, then the speakers swapped: still both.
    const SoundTransform leftToBoth{.leftToLeft = 1, .leftToRight = 1, .rightToLeft = 0, .rightToRight = 0};
    const auto r = leftToBoth.then(swap);
    EXPECT_FLOAT_EQ(r.leftToLeft, 1);
    EXPECT_FLOAT_EQ(r.leftToRight, 1);
    EXPECT_FLOAT_EQ(r.rightToLeft, 0);
}

TEST(Mixer, SyncStopAndNoMultiple)
{
    Mixer mixer;
    const auto sound = constant(10000, 1000, 1000);
    const auto other = constant(10000, 10, 10);
    EXPECT_NE(mixer.startSound(sound, {}), 0u);
    EXPECT_NE(mixer.startSound(sound, {}), 0u);  // instances add up
    mixer.startSound(other, {});
    EXPECT_EQ(pull(mixer, 10)[0], 2010);
    EXPECT_EQ(mixer.startSound(sound, SoundInfo{.noMultiple = true}), 0u);
    EXPECT_TRUE(mixer.isPlaying(*sound));

    EXPECT_EQ(mixer.startSound(sound, SoundInfo{.syncStop = true}), 0u);
    EXPECT_FALSE(mixer.isPlaying(*sound));
    // Both instances fade out over a few milliseconds instead of clicking; the other plays on.
    auto out = pull(mixer, Mixer::kStopFadeFrames + 10);
    EXPECT_EQ(out[0], 2010);
    EXPECT_LT(out[2 * (Mixer::kStopFadeFrames / 2)], 1100);
    EXPECT_EQ(out[2 * (Mixer::kStopFadeFrames + 5)], 10);
    EXPECT_EQ(mixer.eventChannelCount(), 1u);
    // With the sound stopped, no-multiple lets it start again.
    EXPECT_NE(mixer.startSound(sound, SoundInfo{.noMultiple = true}), 0u);
}

TEST(Mixer, StopsByChannelGroupAndAll)
{
    Mixer mixer;
    const ChannelId a = mixer.startSound(constant(5000, 1, 1), {}, 1);
    mixer.startSound(constant(5000, 10, 10), {}, 2);
    mixer.startSound(constant(5000, 100, 100), {}, 2);
    mixer.stopChannel(a);
    mixer.stopGroup(2);
    EXPECT_FALSE(mixer.eventStatus(a));
    pull(mixer, 200);
    EXPECT_EQ(mixer.eventChannelCount(), 0u);
    mixer.startSound(constant(5000, 1, 1), {});
    mixer.stopAll();
    pull(mixer, 200);
    EXPECT_EQ(pull(mixer, 10)[0], 0);
    EXPECT_TRUE(mixer.takeFinished().empty());  // stopped sounds did not finish
}

TEST(Mixer, ReportsFinishedChannelsAndStatus)
{
    Mixer mixer;
    const ChannelId shortOne = mixer.startSound(constant(100, 1, 1), {});
    const ChannelId longOne = mixer.startSound(constant(44100, 1, 1, 22050), SoundInfo{.loops = 3});
    pull(mixer, 4410);
    EXPECT_EQ(mixer.takeFinished(), std::vector<ChannelId>{shortOne});
    EXPECT_TRUE(mixer.takeFinished().empty());
    const auto status = mixer.eventStatus(longOne);
    ASSERT_TRUE(status);
    EXPECT_NEAR(status->positionMs, 100, 0.5);
    EXPECT_NEAR(status->durationMs, 2000, 1e-9);
    EXPECT_EQ(status->loopsLeft, 2);
    EXPECT_EQ(mixer.startSound(nullptr, {}), 0u);  // an undecodable sound is skipped
}

TEST(Mixer, LimitsSimultaneousEventSounds)
{
    std::vector<std::string> warnings;
    Mixer mixer([&](const std::string& w) { warnings.push_back(w); });
    const auto sound = constant(1000, 1, 1);
    int started = 0;
    for (int i = 0; i < 40; ++i) started += mixer.startSound(sound, {}) != 0;
    EXPECT_EQ(started, static_cast<int>(Mixer::kMaxEventChannels));
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(pull(mixer, 1)[0], static_cast<std::int16_t>(Mixer::kMaxEventChannels));
}

std::vector<std::int16_t> scriptedMix()
{
    Mixer mixer;
    auto sound = std::make_shared<DecodedSound>();
    sound->sampleRate = 11025;
    for (int i = 0; i < 5000; ++i) sound->samples.push_back(static_cast<std::int16_t>((i * 7919) % 20000 - 10000));
    std::vector<std::int16_t> all;
    for (int step = 0; step < 20; ++step) {
        if (step % 3 == 0) mixer.startSound(sound, SoundInfo{.loops = 2}, static_cast<SoundGroup>(step % 2));
        if (step == 7) mixer.setGroupTransform(1, SoundTransform::fromPan(30));
        const auto out = pull(mixer, 777 + 13 * static_cast<std::size_t>(step));
        all.insert(all.end(), out.begin(), out.end());
    }
    return all;
}

TEST(Mixer, SameCallsGiveTheSameSamples)
{
    const auto first = scriptedMix();
    EXPECT_EQ(first, scriptedMix());
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](auto s) { return s != 0; }));
}

TEST(Mixer, PullingFromAnotherThreadWhileSoundsStartAndStop)
{
    Mixer mixer;
    const auto sound = constant(3000, 100, 100, 22050);
    std::atomic<bool> done = false;
    std::atomic<std::int64_t> pulledFrames = 0;
    std::thread output([&] {
        std::vector<std::int16_t> buffer(2 * 256);
        while (!done) {
            mixer.pull(buffer);
            pulledFrames += 256;
        }
    });
    while (pulledFrames == 0) std::this_thread::yield();
    for (int i = 0; i < 2000; ++i) {
        const ChannelId id = mixer.startSound(sound, SoundInfo{.loops = 2}, static_cast<SoundGroup>(i % 3));
        if (i % 5 == 0) mixer.stopChannel(id);
        if (i % 7 == 0) mixer.setGroupTransform(static_cast<SoundGroup>(i % 3), SoundTransform::fromPan(i % 200 - 100));
        if (i % 11 == 0) mixer.stopGroup(1);
        mixer.eventStatus(id);
        mixer.takeFinished();
    }
    done = true;
    output.join();
    EXPECT_LE(mixer.eventChannelCount(), 2 * Mixer::kMaxEventChannels);
}

TEST(Mixer, StoppedSoundsDoNotPileUpWhenNobodyPulls)
{
    Mixer mixer;
    const auto sound = constant(1000, 1, 1);
    for (int i = 0; i < 1000; ++i) mixer.stopChannel(mixer.startSound(sound, {}));
    EXPECT_LE(mixer.eventChannelCount(), 2 * Mixer::kMaxEventChannels);
}

}  // namespace
}  // namespace swf::audio
