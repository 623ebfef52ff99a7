// Going to frames: the display list after a goto (forward or back) equals the one that playing
// from the start to that frame makes, and objects keep their identity where they persist.

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "runtime_test_support.h"

namespace swf::runtime {
namespace {

using namespace test;
using writer::MovieWriter;
using writer::SpriteTags;

// A timeline of `frames` frames whose tags are drawn at random: places (also over taken
// depths), moves of transform, colour and ratio, replaces by the same or another kind, and
// removes, over a few depths.
writer::Bytes randomTimeline(unsigned variant, int frames)
{
    std::mt19937 rng(variant);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.shape(square(2, {0, 255, 0, 255}));
    m.morphShape(growingSquare(3));
    SpriteTags inner(m.version());
    inner.place(1, 1).showFrame().showFrame();
    m.sprite(4, inner);
    for (int f = 0; f < frames; ++f) {
        const int tags = 1 + pick(4);
        for (int t = 0; t < tags; ++t) {
            const auto depth = static_cast<std::uint16_t>(1 + pick(5));
            switch (pick(4)) {
            case 0: {
                PlaceObject p = placeTag(depth, static_cast<std::uint16_t>(1 + pick(4)), false);
                p.matrix = translate(pick(100), pick(100));
                if (pick(2)) p.name = "n" + std::to_string(pick(3));
                m.place(p);
                break;
            }
            case 1: {
                PlaceObject p = placeTag(depth, std::nullopt, true);
                if (pick(2)) p.matrix = translate(pick(100), pick(100));
                if (pick(2)) p.colorTransform = ColorTransform{pick(3) * 0.5, 1, 1, 1, double(pick(50)), 0, 0, 0};
                if (pick(2)) p.ratio = static_cast<std::uint16_t>(pick(65536));
                m.place(p);
                break;
            }
            case 2: {
                PlaceObject p = placeTag(depth, static_cast<std::uint16_t>(1 + pick(4)), true);
                if (pick(2)) p.matrix = translate(pick(100), pick(100));
                m.place(p);
                break;
            }
            default:
                m.remove(depth);
            }
        }
        m.showFrame();
    }
    return m.build();
}

// A list's description without the numbers of default instance names: a goto that rebuilds an
// object makes a new one, which takes the next "instanceN" name.
std::string ignoringDefaultNames(const std::string& description)
{
    static const std::regex kDefaultName("'instance[0-9]+'");
    return std::regex_replace(description, kDefaultName, "'instance'");
}

// The state of the main timeline's list after playing from the start to `frame`.
std::string playedTo(const std::shared_ptr<const Movie>& movie, int frame)
{
    Stage stage(movie);
    for (int f = 0; f < frame; ++f) stage.tick();
    EXPECT_EQ(stage.root().currentFrame(), frame);
    return ignoringDefaultNames(describeChildren(stage.root()));
}

TEST(Goto, AnyGotoEqualsPlayingForwardOnRandomTimelines)
{
    constexpr int kFrames = 12;
    for (unsigned variant = 1; variant <= 25; ++variant) {
        auto movie = loadMovie(randomTimeline(variant, kFrames));
        ASSERT_TRUE(movie);
        std::vector<std::string> expected;
        for (int f = 0; f < kFrames; ++f) expected.push_back(playedTo(movie, f));
        for (int from = 0; from < kFrames; from += 3) {
            for (int to = 0; to < kFrames; ++to) {
                Stage stage(movie);
                stage.root().gotoFrame(from, false);
                stage.root().gotoFrame(to, false);
                ASSERT_EQ(ignoringDefaultNames(describeChildren(stage.root())), expected[static_cast<std::size_t>(to)])
                    << "variant " << variant << ", from frame " << from << " to " << to;
            }
        }
        // Looping back through the last frame is a goto too.
        Stage stage(movie);
        for (int i = 0; i < kFrames + 4; ++i) stage.tick();
        ASSERT_EQ(ignoringDefaultNames(describeChildren(stage.root())), expected[4]) << "variant " << variant << " after looping";
    }
}

TEST(Goto, ObjectsThatPersistKeepTheirIdentityAndOthersAreNew)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.shape(square(2, {0, 0, 255, 255}));
    SpriteTags inner(m.version());
    inner.showFrame().showFrame().showFrame();
    m.sprite(3, inner);
    m.place(1, 1).place(3, 2).showFrame();                   // frame 0: square, clip
    m.place(2, 3).showFrame();                               // frame 1: + blue at 3
    PlaceObject move = placeTag(1, std::nullopt, true);
    move.matrix = translate(500, 0);
    m.place(move).remove(3).place(2, 3).showFrame();          // frame 2: moved; blue placed anew
    m.showFrame();                                           // frame 3

    Stage stage(loadMovie(m.build()));
    MovieClip& root = stage.root();
    const ObjectId square0 = root.displayList().at(1)->id();
    auto* clip = static_cast<MovieClip*>(root.displayList().at(2));
    const ObjectId clip0 = clip->id();
    stage.tick();
    const ObjectId blue1 = root.displayList().at(3)->id();
    stage.tick();
    stage.tick();
    const ObjectId blue2 = root.displayList().at(3)->id();
    EXPECT_NE(blue1, blue2);
    EXPECT_EQ(clip->currentFrame(), 0) << "the clip looped once by now: 3 frames, 3 ticks";

    root.gotoFrame(1, false);
    EXPECT_EQ(root.displayList().at(1)->id(), square0) << "placed at frame 0, never removed";
    EXPECT_EQ(root.displayList().at(1)->matrix(), Matrix()) << "its transform is frame 1's again";
    EXPECT_EQ(root.displayList().at(2)->id(), clip0);
    EXPECT_NE(root.displayList().at(3)->id(), blue2) << "placed after the target frame: a new object";
    EXPECT_NE(root.displayList().at(3)->id(), blue1) << "the old object of frame 1 is gone for good";

    stage.tick();  // stopped: the main timeline stays, the clip plays on
    EXPECT_EQ(root.currentFrame(), 1);
    EXPECT_EQ(clip->currentFrame(), 1) << "a clip that persists across a goto keeps playing its own frames";

    const ObjectId blueNow = root.displayList().at(3)->id();
    root.gotoFrame(3, false);
    EXPECT_NE(root.displayList().at(3)->id(), blueNow) << "going forward over a remove and place";
    EXPECT_EQ(root.displayList().at(1)->id(), square0);
    EXPECT_EQ(root.displayList().at(1)->matrix(), translate(500, 0));
}

TEST(Goto, TargetsOutsideTheTimelineAreClampedAndPlayFlagFollows)
{
    MovieWriter m;
    m.showFrame().showFrame().showFrame();
    Stage stage(loadMovie(m.build()));
    stage.root().gotoFrame(99, false);
    EXPECT_EQ(stage.root().currentFrame(), 2);
    EXPECT_FALSE(stage.root().playing());
    stage.root().gotoFrame(-5, true);
    EXPECT_EQ(stage.root().currentFrame(), 0);
    EXPECT_TRUE(stage.root().playing());
    stage.root().nextFrame();
    EXPECT_EQ(stage.root().currentFrame(), 1);
    EXPECT_FALSE(stage.root().playing());
    stage.root().prevFrame();
    stage.root().prevFrame();
    EXPECT_EQ(stage.root().currentFrame(), 0);
}

TEST(Goto, NestedClipsRebuildTheirOwnListsWhenTheyGoBack)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    SpriteTags inner(m.version());
    inner.place(1, 1).showFrame();
    PlaceObject move = placeTag(1, std::nullopt, true);
    move.matrix = translate(40, 0);
    inner.place(move).place(1, 2).showFrame();
    inner.remove(1).showFrame();
    m.sprite(2, inner);
    m.place(2, 1).showFrame();

    Stage stage(loadMovie(m.build()));
    auto* clip = static_cast<MovieClip*>(stage.root().displayList().at(1));
    const std::string first = ignoringDefaultNames(describeChildren(*clip));
    stage.tick();
    const std::string second = ignoringDefaultNames(describeChildren(*clip));
    stage.tick();
    clip->gotoFrame(1, false);
    EXPECT_EQ(ignoringDefaultNames(describeChildren(*clip)), second);
    clip->gotoFrame(0, false);
    EXPECT_EQ(ignoringDefaultNames(describeChildren(*clip)), first);
}

}  // namespace
}  // namespace swf::runtime
