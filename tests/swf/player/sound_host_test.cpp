// The sound host as the Sound object of scripts and the buttons will use it: channels with
// position, duration and completion, stopping by channel, sound and group (streams included,
// which start again as the playhead moves on), group and master mixes, and button sounds.

#include "sound_test_support.h"
#include "swf/player_sound.h"
#include "swf/runtime/stage.h"

namespace swf {
namespace {

using test::kPcm44Mono16;
using test::kSamplesPerFrameAt10;
using test::leftAt;
using test::rightAt;
using writer::MovieWriter;

constexpr std::uint16_t kShort = 5;  // 100 ms at level 1000
constexpr std::uint16_t kLong = 6;   // 1 s at level 2000
constexpr std::uint16_t kShape = 7;

class SoundHostTest : public ::testing::Test {
protected:
    SoundHostTest()
    {
        MovieWriter m(8, {0, 2000, 0, 2000}, 10);
        const auto shortData = test::pcmLevel(4410, 1000);
        const auto longData = test::pcmLevel(44100, 2000);
        m.defineSound(kShort, kPcm44Mono16, 4410, shortData);
        m.defineSound(kLong, kPcm44Mono16, 44100, longData);
        m.shape(runtime::test::square(kShape, {255, 0, 0, 255}));
        m.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
        for (int f = 0; f < 20; ++f) m.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 100 * (f + 1))).showFrame();
        movie = runtime::test::loadMovie(m.build());
        host = std::make_unique<detail::MixerSoundHost>(mixer, movie, 10, [this](const std::string& w) {
            warnings.push_back(w);
        });
    }

    std::vector<std::int16_t> pull(std::size_t frames)
    {
        std::vector<std::int16_t> out(2 * frames);
        mixer.pull(out);
        return out;
    }

    audio::Mixer mixer;
    std::shared_ptr<const Movie> movie;
    std::unique_ptr<detail::MixerSoundHost> host;
    std::vector<std::string> warnings;
};

TEST_F(SoundHostTest, ChannelsTellPositionDurationAndCompletion)
{
    SoundInfo fromHalf;
    fromHalf.inPoint = 22050;  // Sound.start(0.5)
    const runtime::SoundChannel a = host->startEventSound(kLong, fromHalf, 1);
    const runtime::SoundChannel b = host->startEventSound(kShort, {}, 2);
    const runtime::SoundChannel c = host->startEventSound(kShort, {}, 2);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(b, c);
    auto status = host->channelStatus(a);
    ASSERT_TRUE(status);
    EXPECT_NEAR(status->positionMs, 500, 1);
    EXPECT_NEAR(status->durationMs, 1000, 1);
    host->stopChannel(c);
    pull(2205);
    EXPECT_NEAR(host->channelStatus(a)->positionMs, 550, 1);
    EXPECT_TRUE(host->takeFinishedChannels().empty());
    pull(2205);
    EXPECT_EQ(host->takeFinishedChannels(), std::vector<runtime::SoundChannel>{b}) << "not the stopped one";
    EXPECT_FALSE(host->channelStatus(b));
    pull(22050);
    EXPECT_EQ(host->takeFinishedChannels(), std::vector<runtime::SoundChannel>{a});
    EXPECT_TRUE(host->takeFinishedChannels().empty());
}

TEST_F(SoundHostTest, DurationsAndWhatCannotStart)
{
    EXPECT_NEAR(*host->soundDurationMs(kShort), 100, 0.1);
    EXPECT_NEAR(*host->soundDurationMs(kLong), 1000, 0.1);
    EXPECT_FALSE(host->soundDurationMs(kShape));
    EXPECT_FALSE(host->soundDurationMs(99));
    EXPECT_EQ(host->startEventSound(kShape, {}, 1), 0u);
    EXPECT_EQ(host->startEventSound(99, {}, 1), 0u);
    SoundInfo noMultiple;
    noMultiple.syncNoMultiple = true;
    EXPECT_NE(host->startEventSound(kShort, noMultiple, 1), 0u);
    EXPECT_EQ(host->startEventSound(kShort, noMultiple, 1), 0u) << "already playing";
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SoundHostTest, StoppingBySoundAndByGroup)
{
    host->startEventSound(kLong, {}, 1);
    host->startEventSound(kLong, {}, 2);
    host->startEventSound(kShort, {}, 2);
    EXPECT_EQ(leftAt(pull(10), 5), 5000);
    host->stopSoundCharacter(kLong);  // Sound.stop("long"): every instance, in every group
    EXPECT_EQ(leftAt(pull(200), 150), 1000);
    host->startEventSound(kLong, {}, 1);
    host->stopGroup(2);  // Sound(clip 2).stop()
    EXPECT_EQ(leftAt(pull(200), 150), 2000);
    host->stopAll();
    EXPECT_EQ(leftAt(pull(200), 150), 0);
}

TEST_F(SoundHostTest, GroupAndMasterMixes)
{
    host->startEventSound(kLong, {}, 1);
    host->startEventSound(kShort, {}, 2);
    runtime::SoundMix half;
    half.volume = 0.5;
    host->setGroupMix(1, half);
    auto out = pull(10);
    EXPECT_EQ(leftAt(out, 5), 1000 + 1000);
    runtime::SoundMix rightOnly;  // setPan(100)
    rightOnly.leftToLeft = 0;
    host->setGroupMix(2, rightOnly);
    out = pull(10);
    EXPECT_EQ(leftAt(out, 5), 1000);
    EXPECT_EQ(rightAt(out, 5), 2000);
    runtime::SoundMix quarter;
    quarter.volume = 0.25;
    host->setMasterMix(quarter);
    out = pull(10);
    EXPECT_EQ(rightAt(out, 5), 500);
    host->setGroupMix(1, {});
    host->setMasterMix({});
    EXPECT_EQ(leftAt(pull(10), 5), 2000);
}

TEST_F(SoundHostTest, ButtonSoundsPlayWithTheirSoundInfo)
{
    // What the button state machine calls on a transition that has a sound.
    SoundInfo info;
    info.outPoint = 99;
    host->startSound(kShort, info, 42);
    const auto out = pull(200);
    EXPECT_EQ(leftAt(out, 50), 1000);
    EXPECT_EQ(leftAt(out, 150), 0) << "cut at its out point";
}

TEST_F(SoundHostTest, AStreamStoppedFromOutsideStartsAgainAsThePlayheadMovesOn)
{
    runtime::StageHooks hooks;
    hooks.sound = host.get();
    runtime::Stage stage(movie, hooks);
    const runtime::StreamHandle stream = stage.root().stream();
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(leftAt(pull(100), 50), 100);
    host->stopGroup(stage.root().id());  // Sound(_root).stop() / stopAllSounds()
    EXPECT_TRUE(host->streamStopped(stream));
    EXPECT_EQ(leftAt(pull(200), 150), 0);
    stage.tick();
    EXPECT_FALSE(host->streamStopped(stream));
    EXPECT_EQ(leftAt(pull(200), 150), 200) << "the sound of the frame now shown";
    // A stream that played to its end stays ended.
    pull(20 * kSamplesPerFrameAt10);
    EXPECT_FALSE(host->streamStopped(stream));
    stage.tick();
    EXPECT_EQ(leftAt(pull(200), 150), 0);
}

TEST_F(SoundHostTest, EventSoundsAreDecodedAheadOfUse)
{
    host->library().waitForPreload();
    EXPECT_TRUE(host->library().isDecoded(kShort));
    EXPECT_TRUE(host->library().isDecoded(kLong));
    EXPECT_FALSE(host->library().isDecoded(kShape));
}

}  // namespace
}  // namespace swf
