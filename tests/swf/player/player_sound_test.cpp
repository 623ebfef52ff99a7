// Sound through the player: event sounds in the mix, and the stream clock that drives the
// main timeline while sound is taken (and wall time when it is not).

#include <cmath>

#include "player_test_support.h"

namespace swf {
namespace {

using writer::MovieWriter;

// 16-bit mono PCM at 44.1 kHz: a square wave of the given amplitude.
std::vector<std::uint8_t> pcm(int samples, int amplitude)
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < samples; ++i) {
        const int v = (i / 50) % 2 ? amplitude : -amplitude;
        out.push_back(static_cast<std::uint8_t>(v & 0xff));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
    }
    return out;
}

constexpr std::uint8_t kPcm44Mono16 = 0x3e;

int peak(const std::vector<std::int16_t>& samples)
{
    int p = 0;
    for (std::int16_t s : samples) p = std::max(p, std::abs(static_cast<int>(s)));
    return p;
}

TEST(PlayerSound, FramesStartEventSoundsInTheMix)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    const auto data = pcm(4410, 10000);
    m.defineSound(5, kPcm44Mono16, 4410, data);
    m.showFrame();
    m.startSound(5).showFrame();
    m.showFrame();
    Player player;
    test::load(player, m.build());
    std::vector<std::int16_t> buffer(2 * 2205);
    player.pullAudio(buffer);
    EXPECT_EQ(peak(buffer), 0) << "frame 1 is silent";
    player.tick();
    player.pullAudio(buffer);
    EXPECT_GT(peak(buffer), 9000);
}

writer::Bytes streamMovie(int frames)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(kPcm44Mono16, 4410);
    const auto block = pcm(4410, 8000);
    for (int f = 0; f < frames; ++f) m.soundStreamBlock(block).showFrame();
    return m.build();
}

TEST(PlayerSound, TheStreamClockDrivesTheMainTimelineWhileSoundIsTaken)
{
    Player player;
    test::load(player, streamMovie(20));
    std::vector<std::int16_t> buffer(2 * 4410 * 3);  // 300 ms of sound
    player.pullAudio(buffer);
    EXPECT_GT(peak(buffer), 7000);
    player.advance(1);  // hardly any wall time: the sound says three frames went by
    EXPECT_EQ(player.currentFrame(), 4);
    player.advance(200);  // wall time, but no more sound heard: the timeline waits for it
    EXPECT_EQ(player.currentFrame(), 4);
    std::vector<std::int16_t> one(2 * 4410);
    player.pullAudio(one);
    player.advance(10);
    EXPECT_EQ(player.currentFrame(), 5);
}

TEST(PlayerSound, WithoutAnyoneTakingSoundFramesRunByWallTime)
{
    Player player;
    test::load(player, streamMovie(20));
    player.advance(300);
    EXPECT_EQ(player.currentFrame(), 4);
    player.advance(1000);
    EXPECT_EQ(player.currentFrame(), 5) << "and the backlog rule still holds";
}

TEST(PlayerSound, StoppingTheMovieStopsItsStream)
{
    Player player;
    test::load(player, streamMovie(20));
    player.stop();
    std::vector<std::int16_t> buffer(2 * 4410);
    player.pullAudio(buffer);
    std::vector<std::int16_t> later(2 * 4410);
    player.pullAudio(later);
    EXPECT_EQ(peak(later), 0);
    player.play();
    player.pullAudio(later);
    EXPECT_GT(peak(later), 7000);
}

}  // namespace
}  // namespace swf
