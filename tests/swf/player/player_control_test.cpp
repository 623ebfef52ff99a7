// Loading and playback control through the public face.

#include <cstdio>
#include <fstream>

#include "player_test_support.h"

namespace swf {
namespace {

using writer::MovieWriter;

writer::Bytes frames(int count, double rate = 10, bool closeWithEnd = true)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, rate);
    m.shape(runtime::test::square(1, {255, 0, 0, 255}));
    m.place(1, 1);
    for (int f = 0; f < count; ++f) m.showFrame();
    writer::Bytes bytes = m.build();
    if (!closeWithEnd) bytes.resize(bytes.size() - 2);
    return bytes;
}

LoadError::Kind loadErrorKind(Player& player, const writer::Bytes& bytes)
{
    try {
        player.loadBytes(bytes);
    } catch (const LoadError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "loaded";
    return LoadError::Kind::Io;
}

TEST(PlayerControl, LoadErrorsSayWhatAndLeaveThePlayerEmpty)
{
    Player player;
    test::load(player, frames(2));
    ASSERT_TRUE(player.hasMovie());
    try {
        player.loadFile("/nonexistent/movie.swf");
        ADD_FAILURE() << "loaded a missing file";
    } catch (const LoadError& e) {
        EXPECT_EQ(e.kind(), LoadError::Kind::Io);
    }
    EXPECT_FALSE(player.hasMovie());
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(loadErrorKind(player, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}), LoadError::Kind::NotSwf);
    writer::Bytes header = frames(2);
    header.resize(12);
    EXPECT_EQ(loadErrorKind(player, header), LoadError::Kind::Truncated);
    MovieWriter as3(9);
    as3.fileAttributes(0x08).showFrame();
    EXPECT_EQ(loadErrorKind(player, as3.build()), LoadError::Kind::Unsupported);
    // Calls without a movie do nothing.
    player.play();
    player.forward();
    player.advance(1000);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.render(QSize(4, 4)).pixel(0, 0), 0xff000000u);
}

TEST(PlayerControl, LoadsFromAFile)
{
    const std::string path = testing::TempDir() + "player_control_movie.swf";
    const writer::Bytes bytes = frames(3);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    Player player;
    player.loadFile(path);
    EXPECT_EQ(player.info().frameCount, 3);
    EXPECT_EQ(player.info().widthPx, 100);
    EXPECT_EQ(player.info().compression, "FWS");
    std::remove(path.c_str());
}

TEST(PlayerControl, StepsHaltAndRewindGoesToTheFirstFrame)
{
    Player player;
    test::load(player, frames(4));
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(player.currentFrame(), 1);
    player.forward();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_FALSE(player.isPlaying());
    player.play();
    player.tick();
    EXPECT_EQ(player.currentFrame(), 3);
    player.back();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_FALSE(player.isPlaying());
    player.gotoFrame(4, false);
    player.forward();
    EXPECT_EQ(player.currentFrame(), 4) << "no frame after the last";
    player.rewind();
    EXPECT_EQ(player.currentFrame(), 1);
    EXPECT_FALSE(player.isPlaying());
    player.back();
    EXPECT_EQ(player.currentFrame(), 1);
    player.tick();
    EXPECT_EQ(player.currentFrame(), 1) << "a halted movie stays where it is";
    player.gotoFrame(3, true);
    EXPECT_TRUE(player.isPlaying());
}

TEST(PlayerControl, AutoPlayAndLoopSettings)
{
    Player player;
    player.setAutoPlay(false);
    test::load(player, frames(3));
    EXPECT_FALSE(player.isPlaying());
    player.tick();
    EXPECT_EQ(player.currentFrame(), 1);
    player.setAutoPlay(true);
    player.setLoop(false);
    test::load(player, frames(3));
    for (int i = 0; i < 5; ++i) player.tick();
    EXPECT_EQ(player.currentFrame(), 3);
    EXPECT_FALSE(player.isPlaying());
    player.setLoop(true);
    player.play();
    player.tick();
    EXPECT_EQ(player.currentFrame(), 1) << "looping again once allowed";
}

TEST(PlayerControl, AdvanceRunsFramesByTimeAndDropsABacklog)
{
    Player player;
    test::load(player, frames(100, 10));
    EXPECT_DOUBLE_EQ(player.frameIntervalMs(), 100);
    player.advance(250);
    EXPECT_EQ(player.currentFrame(), 3);
    player.advance(49);
    EXPECT_EQ(player.currentFrame(), 3);
    player.advance(1);
    EXPECT_EQ(player.currentFrame(), 4);
    player.advance(60'000);
    EXPECT_EQ(player.currentFrame(), 5) << "a minute late: one frame, not six hundred";
    Player zero;
    test::load(zero, frames(2, 0));
    EXPECT_DOUBLE_EQ(zero.frameIntervalMs(), 1000.0 / 12);
}

}  // namespace
}  // namespace swf
