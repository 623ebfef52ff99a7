// Display-list tags as a timeline plays them: place, move, replace, remove, and when a
// timeline loops.

#include <gtest/gtest.h>

#include "runtime_test_support.h"
#include "swf/runtime/character_objects.h"

namespace swf::runtime {
namespace {

using namespace test;
using writer::MovieWriter;
using writer::SpriteTags;

TEST(Timeline, MoveChangesOnlyTheFieldsGivenAndReplaceKeepsTheTransform)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.shape(square(2, {0, 255, 0, 255}));
    PlaceObject place = placeTag(5, 1, false);
    place.matrix = translate(100, 200);
    place.colorTransform = ColorTransform{0.5, 1, 1, 1, 0, 0, 0, 0};
    place.name = "box";
    m.place(place).showFrame();
    PlaceObject move = placeTag(5, std::nullopt, true);
    move.matrix = translate(300, 400);
    m.place(move).showFrame();
    m.place(placeTag(5, 2, true)).showFrame();  // replace: new character, nothing else given
    PlaceObject replaceMoved = placeTag(5, 1, true);
    replaceMoved.matrix = translate(7, 8);
    m.place(replaceMoved).showFrame();
    m.remove(5).showFrame();

    Stage stage(loadMovie(m.build()));
    MovieClip& root = stage.root();
    DisplayObject* o = root.displayList().at(5);
    ASSERT_TRUE(o);
    const ObjectId first = o->id();
    EXPECT_EQ(o->matrix(), translate(100, 200));
    EXPECT_EQ(o->name(), "box");

    stage.tick();
    o = root.displayList().at(5);
    EXPECT_EQ(o->id(), first);
    EXPECT_EQ(o->matrix(), translate(300, 400));
    EXPECT_EQ(o->colorTransform().rMult, 0.5) << "a move that gives no colour transform keeps it";

    stage.tick();
    o = root.displayList().at(5);
    EXPECT_EQ(o->characterId(), 2);
    EXPECT_EQ(o->id(), first) << "a shape replaced by a shape stays the same object";
    EXPECT_EQ(o->matrix(), translate(300, 400));
    EXPECT_EQ(o->name(), "box");
    EXPECT_EQ(&static_cast<ShapeObject*>(o)->definition(), stage.movie().shape(2));

    stage.tick();
    o = root.displayList().at(5);
    EXPECT_EQ(o->characterId(), 1);
    EXPECT_EQ(o->matrix(), translate(7, 8));
    EXPECT_EQ(o->colorTransform().rMult, 0.5);

    stage.tick();
    EXPECT_EQ(root.displayList().at(5), nullptr);
}

TEST(Timeline, MovingAnEmptyDepthDoesNothingAndPlacingOverAnObjectDependsOnTheVersion)
{
    // SWF 5 and older: a place over a taken depth makes a new object; later versions ignore it.
    for (int version : {5, 6}) {
        MovieWriter m(version);
        m.shape(square(1, {255, 0, 0, 255}));
        PlaceObject moveNothing = placeTag(3, std::nullopt, true);
        moveNothing.matrix = translate(1, 1);
        m.place(moveNothing);
        m.place(1, 1, translate(10, 0)).showFrame();
        m.place(1, 1, translate(20, 0)).showFrame();  // no move flag, depth taken

        Stage stage(loadMovie(m.build()));
        MovieClip& root = stage.root();
        EXPECT_EQ(root.displayList().size(), 1u);
        const ObjectId first = root.displayList().at(1)->id();
        stage.tick();
        ASSERT_TRUE(root.displayList().at(1));
        if (version <= 5) {
            EXPECT_NE(root.displayList().at(1)->id(), first);
            EXPECT_EQ(root.displayList().at(1)->matrix(), translate(20, 0));
        } else {
            EXPECT_EQ(root.displayList().at(1)->id(), first);
            EXPECT_EQ(root.displayList().at(1)->matrix(), translate(10, 0));
        }
        EXPECT_EQ(root.displayList().size(), 1u);
    }
}

TEST(Timeline, ReplacingWithAnotherKindMakesANewObjectAtTheSameTransform)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.morphShape(growingSquare(2));
    PlaceObject place = placeTag(1, 1, false);
    place.matrix = translate(50, 60);
    place.name = "thing";
    m.place(place).showFrame();
    PlaceObject replace = placeTag(1, 2, true);
    replace.ratio = 32768;
    m.place(replace).showFrame();

    Stage stage(loadMovie(m.build()));
    stage.tick();
    const DisplayObject* o = stage.root().displayList().at(1);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->kind(), ObjectKind::MorphShape);
    EXPECT_EQ(o->matrix(), translate(50, 60));
    EXPECT_EQ(o->name(), "thing");
    EXPECT_EQ(static_cast<const MorphShapeObject*>(o)->ratio(), 32768);
}

TEST(Timeline, PlaceTagFieldsReachTheObject)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    PlaceObject p = placeTag(2, 1, false);
    p.placeVersion = 3;
    p.clipDepth = 9;
    p.blendMode = BlendMode::Multiply;
    p.cacheAsBitmap = true;
    p.filters = std::vector<Filter>{BlurFilter{4, 4, 1}};
    m.place(p).showFrame();
    Stage stage(loadMovie(m.build()));
    const DisplayObject* o = stage.root().displayList().at(2);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->clipDepth(), 9);
    EXPECT_EQ(o->placement().blendMode, BlendMode::Multiply);
    EXPECT_TRUE(o->placement().cacheAsBitmap);
    EXPECT_EQ(o->placement().filters.size(), 1u);
}

// Frames numbered by the x of the object at depth 1: frame f places it at x = f.
writer::Bytes countingMovie(int frames, bool end, bool closeLastFrame)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.place(1, 1, translate(0, 0)).showFrame();
    for (int f = 1; f < frames; ++f) {
        PlaceObject move = placeTag(1, std::nullopt, true);
        move.matrix = translate(f, 0);
        m.place(move);
        if (f + 1 < frames || closeLastFrame) m.showFrame();
    }
    writer::Bytes bytes = m.build();
    if (!end) bytes.resize(bytes.size() - 2);  // drop the End tag (the header length still says more)
    return bytes;
}

TEST(Timeline, LoopsOnlyWhenTheTagsEndWithShowFrameAndEnd)
{
    {
        Stage stage(loadMovie(countingMovie(3, true, true)));
        for (int i = 0; i < 3; ++i) stage.tick();
        EXPECT_EQ(stage.root().currentFrame(), 0);
        EXPECT_EQ(stage.root().displayList().at(1)->matrix().tx, 0);
    }
    {
        Stage stage(loadMovie(countingMovie(3, false, true)));
        for (int i = 0; i < 5; ++i) stage.tick();
        EXPECT_EQ(stage.root().currentFrame(), 2) << "a file cut after its last ShowFrame holds there";
        EXPECT_TRUE(stage.root().playing());
    }
    {
        Stage stage(loadMovie(countingMovie(3, true, false)));
        ASSERT_EQ(stage.root().frameCount(), 3);
        for (int i = 0; i < 5; ++i) stage.tick();
        EXPECT_EQ(stage.root().currentFrame(), 2) << "a last frame without ShowFrame runs once";
        EXPECT_EQ(stage.root().displayList().at(1)->matrix().tx, 2);
    }
}

TEST(Timeline, LoopSettingStopsTheMainTimelineAtItsEnd)
{
    Stage stage(loadMovie(countingMovie(3, true, true)));
    stage.root().setLoopAllowed(false);
    for (int i = 0; i < 4; ++i) stage.tick();
    EXPECT_EQ(stage.root().currentFrame(), 2);
    EXPECT_FALSE(stage.root().playing());
}

TEST(Timeline, SpritesRunTheirOwnTimelinesWhileTheMainOneIsStopped)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    SpriteTags inner(m.version());
    inner.place(1, 1, translate(0, 0)).showFrame();
    for (int f = 1; f < 4; ++f) {
        PlaceObject move = placeTag(1, std::nullopt, true);
        move.matrix = translate(f, 0);
        inner.place(move).showFrame();
    }
    m.sprite(2, inner);
    m.place(2, 1).showFrame();
    m.showFrame();

    Stage stage(loadMovie(m.build()));
    stage.root().stop();
    auto* clip = static_cast<MovieClip*>(stage.root().displayList().at(1));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->currentFrame(), 0);
    stage.tick();
    stage.tick();
    EXPECT_EQ(stage.root().currentFrame(), 0);
    EXPECT_EQ(clip->currentFrame(), 2);
    stage.tick();
    stage.tick();
    EXPECT_EQ(clip->currentFrame(), 0) << "sprites loop";
}

TEST(Timeline, AClipPlacedDuringATickShowsItsFirstFrameUntilTheNext)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    SpriteTags inner(m.version());
    inner.place(1, 1).showFrame();
    inner.remove(1).showFrame();
    m.sprite(2, inner);
    m.showFrame();
    m.place(2, 1).showFrame();
    m.showFrame();

    Stage stage(loadMovie(m.build()));
    stage.tick();
    auto* clip = static_cast<MovieClip*>(stage.root().displayList().at(1));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->currentFrame(), 0);
    EXPECT_TRUE(clip->displayList().at(1));
    stage.tick();
    EXPECT_EQ(clip->currentFrame(), 1);
    EXPECT_FALSE(clip->displayList().at(1));
}

TEST(Timeline, BackgroundColourAndLabels)
{
    MovieWriter m;
    m.setBackground({1, 2, 3, 255});
    m.showFrame();
    m.label("Second").showFrame();
    m.setBackground({9, 8, 7, 255});
    m.showFrame();
    Stage stage(loadMovie(m.build()));
    EXPECT_EQ(stage.background(), (Rgba{1, 2, 3, 255}));
    EXPECT_TRUE(stage.root().gotoLabel("second", false));
    EXPECT_EQ(stage.root().currentFrame(), 1);
    EXPECT_FALSE(stage.root().gotoLabel("missing", false));
    stage.root().gotoFrame(2, false);
    EXPECT_EQ(stage.background(), (Rgba{9, 8, 7, 255}));
}

}  // namespace
}  // namespace swf::runtime
