// Event sounds through the player: frames start them into the mix with their whole sound info
// (stop, no-multiple, in and out points, loops, envelopes), StartSound2 finds them by export
// name, and without an output they still end.

#include "sound_test_support.h"

namespace swf {
namespace {

using test::kPcm44Mono16;
using test::leftAt;
using test::pullFrames;
using test::rightAt;
using writer::MovieWriter;

// A 10 fps movie whose first frame starts sound 5 (`data`, 44.1 kHz mono) with `info`.
writer::Bytes soundMovie(const std::vector<std::uint8_t>& data, const SoundInfo& info, int frames = 3)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.defineSound(5, kPcm44Mono16, static_cast<std::uint32_t>(data.size() / 2), data);
    m.startSound(5, info).showFrame();
    for (int f = 1; f < frames; ++f) m.showFrame();
    return m.build();
}

TEST(PlayerSound, FramesStartEventSoundsInTheMix)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    const auto data = test::pcmSquare(4410, 10000);
    m.defineSound(5, kPcm44Mono16, 4410, data);
    m.showFrame();
    m.startSound(5).showFrame();
    m.showFrame();
    Player player;
    test::load(player, m.build());
    EXPECT_EQ(test::peak(pullFrames(player, 2205)), 0) << "frame 1 is silent";
    player.tick();
    EXPECT_GT(test::peak(pullFrames(player, 2205)), 9000);
}

TEST(PlayerSound, InAndOutPointsCutEveryLoop)
{
    // Sample i of the sound is i: what is heard tells where in the sound it came from.
    const auto ramp = test::pcmOf(4410, [](int i) { return i; });
    SoundInfo info;
    info.inPoint = 1000;
    info.outPoint = 1999;
    info.loopCount = 3;
    Player player;
    test::load(player, soundMovie(ramp, info));
    const auto out = pullFrames(player, 3500);
    for (std::size_t k = 0; k < 3000; ++k) {
        ASSERT_EQ(leftAt(out, k), 1000 + static_cast<int>(k % 1000)) << k;
        ASSERT_EQ(rightAt(out, k), leftAt(out, k));
    }
    for (std::size_t k = 3000; k < 3500; ++k) ASSERT_EQ(leftAt(out, k), 0) << "after three plays, " << k;
}

TEST(PlayerSound, LoopsWithoutPointsRepeatTheWholeSound)
{
    const auto ramp = test::pcmOf(441, [](int i) { return 10 * i; });
    SoundInfo info;
    info.loopCount = 4;
    Player player;
    test::load(player, soundMovie(ramp, info));
    const auto out = pullFrames(player, 2000);
    for (std::size_t k = 0; k < 4 * 441; ++k) ASSERT_EQ(leftAt(out, k), 10 * static_cast<int>(k % 441)) << k;
    EXPECT_EQ(leftAt(out, 4 * 441 + 10), 0);
}

TEST(PlayerSound, EnvelopeMovesTheSoundFromLeftToRight)
{
    SoundInfo info;
    info.envelope = {{0, 32768, 0}, {4000, 0, 32768}};
    Player player;
    test::load(player, soundMovie(test::pcmLevel(8820, 16000), info));
    const auto out = pullFrames(player, 8820);
    EXPECT_NEAR(leftAt(out, 0), 16000, 2);
    EXPECT_NEAR(rightAt(out, 0), 0, 2);
    EXPECT_NEAR(leftAt(out, 1000), 12000, 8);
    EXPECT_NEAR(rightAt(out, 1000), 4000, 8);
    EXPECT_NEAR(leftAt(out, 2000), 8000, 8);
    EXPECT_NEAR(rightAt(out, 2000), 8000, 8);
    // The last point's levels hold after it.
    EXPECT_NEAR(leftAt(out, 6000), 0, 2);
    EXPECT_NEAR(rightAt(out, 6000), 16000, 2);
}

TEST(PlayerSound, NoMultipleAndStopFollowTheFrames)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    const auto data = test::pcmLevel(44100, 1000);
    m.defineSound(5, kPcm44Mono16, 44100, data);
    SoundInfo noMultiple;
    noMultiple.syncNoMultiple = true;
    SoundInfo stop;
    stop.syncStop = true;
    m.startSound(5).showFrame();
    m.startSound(5, noMultiple).showFrame();
    m.startSound(5).showFrame();
    m.startSound(5, stop).showFrame();
    m.showFrame();
    Player player;
    test::load(player, m.build());
    EXPECT_EQ(leftAt(pullFrames(player, 100), 99), 1000);
    player.tick();
    EXPECT_EQ(leftAt(pullFrames(player, 100), 99), 1000) << "not started again while it plays";
    player.tick();
    EXPECT_EQ(leftAt(pullFrames(player, 100), 99), 2000) << "a second instance";
    player.tick();
    const auto out = pullFrames(player, 200);
    EXPECT_NEAR(leftAt(out, 32), 1000, 40) << "both fade out together";
    EXPECT_EQ(leftAt(out, 100), 0);
}

TEST(PlayerSound, StartSound2FindsItsSoundByExportName)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    const auto data = test::pcmLevel(4410, 3000);
    m.defineSound(5, kPcm44Mono16, 4410, data);
    m.exportAssets({{5, "beep"}});
    writer::ByteWriter body;
    body.string("beep");
    body.bytes(writer::soundInfoBytes({}));
    m.tag(89, body.data());
    writer::ByteWriter unknown;
    unknown.string("nothing");
    unknown.bytes(writer::soundInfoBytes({}));
    m.tag(89, unknown.data()).showFrame();
    Player player;
    std::vector<std::string> warnings;
    player.onWarning([&](const std::string& w) { warnings.push_back(w); });
    test::load(player, m.build());
    EXPECT_EQ(leftAt(pullFrames(player, 100), 50), 3000) << "one sound, not two";
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("nothing"), std::string::npos) << warnings[0];
}

TEST(PlayerSound, WithoutAnOutputSoundsStillEndInTime)
{
    // One second of sound from the first frame; nobody pulls.
    const auto second = test::pcmLevel(44100, 5000);
    {
        Player player;
        test::load(player, soundMovie(second, {}, 40));
        for (int i = 0; i < 5; ++i) player.advance(100);
        EXPECT_EQ(leftAt(pullFrames(player, 10), 5), 5000) << "an output has half a second to come";
    }
    Player player;
    test::load(player, soundMovie(second, {}, 40));
    for (int i = 0; i < 20; ++i) player.advance(100);
    EXPECT_EQ(player.currentFrame(), 21) << "frames keep wall time";
    EXPECT_EQ(test::peak(pullFrames(player, 100)), 0) << "the sound was played into nothing and ended";
}

}  // namespace
}  // namespace swf
