// Stream sound through the player: the stream clock that drives the stage while sound is taken
// (the main timeline's stream, else a sprite's), wall time when it is not, the output's latency,
// rejoining the picture after wall time, and warnings raised on the output's thread.

#include <thread>

#include "swf/audio/audio_test_support.h"  // tests/swf/audio
#include "sound_test_support.h"

namespace swf {
namespace {

using test::kPcm44Mono16;
using test::kSamplesPerFrameAt10;
using test::leftAt;
using test::pullFrames;
using writer::MovieWriter;
using writer::SpriteTags;

// A 10 fps main timeline whose frame f has a block of one frame of sound at level 100 * (f + 1).
writer::Bytes levelStreamMovie(int frames)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    for (int f = 0; f < frames; ++f) m.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 100 * (f + 1))).showFrame();
    return m.build();
}

writer::Bytes squareStreamMovie(int frames)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    const auto block = test::pcmSquare(kSamplesPerFrameAt10, 8000);
    for (int f = 0; f < frames; ++f) m.soundStreamBlock(block).showFrame();
    return m.build();
}

TEST(PlayerStream, TheStreamClockDrivesTheMainTimelineWhileSoundIsTaken)
{
    Player player;
    test::load(player, squareStreamMovie(20));
    EXPECT_GT(test::peak(pullFrames(player, 3 * kSamplesPerFrameAt10)), 7000);  // 300 ms of sound
    player.advance(1);  // hardly any wall time: the sound says three frames went by
    EXPECT_EQ(player.currentFrame(), 4);
    player.advance(200);  // wall time, but no more sound heard: the timeline waits for it
    EXPECT_EQ(player.currentFrame(), 4);
    pullFrames(player, kSamplesPerFrameAt10);
    player.advance(10);
    EXPECT_EQ(player.currentFrame(), 5);
}

TEST(PlayerStream, WithoutAnyoneTakingSoundFramesRunByWallTime)
{
    Player player;
    test::load(player, squareStreamMovie(20));
    player.advance(300);
    EXPECT_EQ(player.currentFrame(), 4);
    player.advance(1000);
    EXPECT_EQ(player.currentFrame(), 5) << "and the backlog rule still holds";
}

TEST(PlayerStream, StoppingTheMovieStopsItsStream)
{
    Player player;
    test::load(player, squareStreamMovie(20));
    player.stop();
    pullFrames(player, kSamplesPerFrameAt10);
    EXPECT_EQ(test::peak(pullFrames(player, kSamplesPerFrameAt10)), 0);
    player.play();
    EXPECT_GT(test::peak(pullFrames(player, kSamplesPerFrameAt10)), 7000);
}

TEST(PlayerStream, OutputLatencyHoldsThePictureToWhatIsHeard)
{
    Player player;
    test::load(player, levelStreamMovie(20));
    player.setAudioOutputLatency(2 * kSamplesPerFrameAt10);
    pullFrames(player, 3 * kSamplesPerFrameAt10);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 2) << "three frames pulled, two of them still in the output's buffer";
    player.setAudioOutputLatency(0);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 4);
}

TEST(PlayerStream, APresentationDelayShowsTheFrameHeardWhenThePictureIsSeen)
{
    Player player;
    test::load(player, levelStreamMovie(20));
    player.setPresentationDelay(200);  // drawing takes two frames
    player.setAudioOutputLatency(kSamplesPerFrameAt10);
    pullFrames(player, 3 * kSamplesPerFrameAt10);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 6)
        << "two frames heard, two more by the time it is seen, and one more halfway through the two "
           "frames it stays on screen";
    player.setPresentationDelay(1e9);  // held to a second
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 13);
}

TEST(PlayerStream, AfterRunningByWallTimeTheStreamRejoinsThePicture)
{
    Player player;
    test::load(player, levelStreamMovie(60));
    for (int i = 0; i < 10; ++i) player.advance(100);  // nobody takes the sound
    ASSERT_EQ(player.currentFrame(), 11);
    // An output starts pulling: the sound is half a second behind the picture, so it starts
    // again at the frame shown rather than freeze the picture until it catches up.
    pullFrames(player, 441);
    player.advance(10);
    EXPECT_EQ(player.currentFrame(), 11);
    const auto heard = pullFrames(player, kSamplesPerFrameAt10);
    EXPECT_EQ(leftAt(heard, 200), 1100) << "frame 11's sound";
    EXPECT_EQ(leftAt(heard, kSamplesPerFrameAt10 - 1), 1100);
    player.advance(10);
    EXPECT_EQ(player.currentFrame(), 12);
}

TEST(PlayerStream, ASpriteStreamPlaysAndDrivesTheStageWhenTheMainTimelineHasNone)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    SpriteTags inner(m.version());
    inner.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    for (int f = 0; f < 30; ++f) inner.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 3000)).showFrame();
    m.sprite(2, inner);
    m.place(2, 1).showFrame();
    for (int f = 1; f < 30; ++f) m.showFrame();
    Player player;
    test::load(player, m.build());
    const auto sound = pullFrames(player, 3 * kSamplesPerFrameAt10);
    EXPECT_EQ(leftAt(sound, 100), 3000);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 4) << "the sprite's sound drives every timeline";
    player.stop();  // the main timeline stops; the sprite plays on, and so does its sound
    pullFrames(player, kSamplesPerFrameAt10);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 4);
    EXPECT_EQ(leftAt(pullFrames(player, 100), 50), 3000);
}

TEST(PlayerStream, TheMainTimelinesStreamDrivesAndSpriteStreamsPlayAlong)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    SpriteTags inner(m.version());
    inner.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    for (int f = 0; f < 30; ++f) inner.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 2000)).showFrame();
    m.sprite(2, inner);
    m.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    for (int f = 0; f < 30; ++f) {
        if (f == 2) m.place(2, 1);
        m.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 1000)).showFrame();
    }
    Player player;
    test::load(player, m.build());
    // With two frames held in the output, a stream started later is heard later: the sprite's
    // clock lags the main timeline's, and only the main timeline's may drive.
    player.setAudioOutputLatency(2 * kSamplesPerFrameAt10);
    pullFrames(player, 3 * kSamplesPerFrameAt10);
    player.advance(1);
    ASSERT_EQ(player.currentFrame(), 2);
    pullFrames(player, kSamplesPerFrameAt10);
    player.advance(1);
    ASSERT_EQ(player.currentFrame(), 3) << "the sprite is placed";
    const auto both = pullFrames(player, kSamplesPerFrameAt10);
    EXPECT_EQ(leftAt(both, 100), 3000) << "both streams in the mix";
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 4);
}

TEST(PlayerStream, WarningsOfTheOutputThreadArriveOnThePlayersThread)
{
    // An MP3 stream whose later blocks change the sample rate: the decoder warns while the
    // output pulls.
    const auto mono = swf::audio::test::readFile(swf::audio::test::dataPath("chirp_mono_22050.mp3"));
    const auto stereo = swf::audio::test::readFile(swf::audio::test::dataPath("chirp_stereo_44100.mp3"));
    ASSERT_FALSE(mono.empty());
    ASSERT_FALSE(stereo.empty());
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(0x2a, 2205, 0);
    writer::ByteWriter first;
    first.u16(576 * 25);
    first.s16(0);
    first.bytes(mono);
    m.soundStreamBlock(first.data()).showFrame();
    writer::ByteWriter second;
    second.u16(1152 * 17);
    second.s16(0);
    second.bytes(stereo);
    m.soundStreamBlock(second.data()).showFrame();
    m.showFrame();

    Player player;
    std::vector<std::thread::id> threads;
    std::vector<std::string> warnings;
    player.onWarning([&](const std::string& w) {
        threads.push_back(std::this_thread::get_id());
        warnings.push_back(w);
    });
    test::load(player, m.build());
    std::thread output([&] {
        std::vector<std::int16_t> buffer(2 * 4096);
        for (int i = 0; i < 20; ++i) player.pullAudio(buffer);
    });
    output.join();
    EXPECT_TRUE(warnings.empty()) << "nothing reaches the host from the output's thread";
    player.advance(0);
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings[0].find("sample rate"), std::string::npos) << warnings[0];
    for (const auto& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
}

}  // namespace
}  // namespace swf
