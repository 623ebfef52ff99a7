// Pictures of filtered objects kept from frame to frame: every frame drawn with the kept
// pictures must equal, pixel for pixel, the same frame drawn with nothing kept; and a change
// anywhere in what a filtered object is drawn from must show (a stale picture fails both).

#include <memory>

#include <QImage>

#include <gtest/gtest.h>

#include "runtime_test_support.h"
#include "support/swf_writer.h"
#include "swf/render/display_tree_walk.h"
#include "swf/render/movie_resources.h"
#include "swf/render/render_cache.h"
#include "swf/render/render_context.h"
#include "swf/render/viewport.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/stage.h"

namespace swf::render {
namespace {

using runtime::DisplayObject;
using runtime::MovieClip;
using runtime::Stage;
using runtime::test::growingSquare;
using runtime::test::loadMovie;
using runtime::test::placeTag;
using runtime::test::square;
using runtime::test::translate;
using writer::MovieWriter;
using writer::SpriteTags;

swf::GlowFilter glow(double blur)
{
    swf::GlowFilter g;
    g.color = {0, 200, 0, 255};
    g.blurX = g.blurY = blur;
    g.strength = 2;
    return g;
}

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Stage 200 x 200 pixels. Depth 1 of the root: the filtered clip "outer" (sprite 10) holding
// a red square (depth 1), the clip "inner" (sprite 20: a blue square and a morph, itself glowing
// too) at depth 2, and an edit text field at depth 3. Depth 2 of the root: a lone square. The
// root's second frame puts another clip (sprite 30, a green square) at depth 1.
class FilteredPictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        MovieWriter m(8, {0, 4000, 0, 4000});
        m.shape(square(1, {255, 0, 0, 255}, 1000));
        m.shape(square(2, {0, 0, 255, 255}, 600));
        m.shape(square(4, {0, 160, 0, 255}, 800));
        m.morphShape(growingSquare(3));
        EditTextDefinition field;
        field.id = 5;
        field.bounds = {0, 1600, 0, 400};
        field.fontClass = "_sans";
        field.initialText = "Hello";
        field.noSelect = field.readOnly = true;
        m.editText(field);
        SpriteTags innerTags(8);
        innerTags.place(2, 1).place(3, 2, translate(600, 0)).showFrame();
        m.sprite(20, innerTags);
        SpriteTags outerTags(8);
        outerTags.place(1, 1).place(20, 2, translate(1200, 1200)).place(5, 3, translate(0, 2600)).showFrame();
        m.sprite(10, outerTags);
        SpriteTags other(8);
        other.place(4, 1).showFrame();
        m.sprite(30, other);
        m.place(10, 1, translate(1000, 600)).place(1, 2, translate(3400, 3400)).showFrame();
        m.remove(1).place(30, 1, translate(1000, 600)).showFrame();
        movie_ = loadMovie(m.build());
        ASSERT_TRUE(movie_);
        stage_ = std::make_unique<Stage>(movie_);
        resources_ = std::make_unique<MovieResources>(*movie_);
        outer().placement().filters = {glow(8)};
        inner().placement().filters = {glow(4)};
    }

    DisplayObject& outer() { return *stage_->root().displayList().at(1); }
    DisplayObject& inner() { return *outer().children()->at(2); }

    QImage draw(RenderCache& cache, QSize size, RenderQuality quality)
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const Viewport view = fitStage(stage_->frameRect(), size, StageScaleMode::ShowAll);
        RenderContext context(image, view.stageToDevice, quality, cache, *resources_);
        drawStage(context, *stage_, QRectF(image.rect()));
        return image;
    }

    // The frame drawn with the pictures kept so far, checked against the frame drawn afresh.
    QImage frame(QSize size = {200, 200}, RenderQuality quality = RenderQuality::High)
    {
        const QImage kept = draw(cache_, size, quality);
        RenderCache fresh;
        const QImage drawn = draw(fresh, size, quality);
        EXPECT_EQ(differingPixels(kept, drawn), 0) << "a kept picture differs from drawing afresh";
        return kept;
    }

    std::uint64_t hits() const { return cache_.groupPictures().hits(); }

    // Draws a frame, applies `change`, and expects the next frame to show it drawn afresh.
    void expectShown(const std::function<void()>& change, QSize size = {200, 200},
                     RenderQuality quality = RenderQuality::High)
    {
        SCOPED_TRACE(++changes_);
        const QImage before = frame();
        change();
        const QImage after = frame(size, quality);
        EXPECT_NE(differingPixels(before, after), 0) << "the change must show";
    }

    std::shared_ptr<const Movie> movie_;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<MovieResources> resources_;
    RenderCache cache_;
    int changes_ = 0;
};

TEST_F(FilteredPictures, AnUnchangedObjectIsNotDrawnAgain)
{
    const QImage first = frame();
    EXPECT_EQ(hits(), 0u);
    EXPECT_EQ(cache_.groupPictures().size(), 2u) << "the outer and the inner glow";
    const QImage second = frame();
    EXPECT_EQ(hits(), 1u) << "the outer picture stands for both";
    EXPECT_EQ(differingPixels(first, second), 0);
    // A change outside the filtered object does not reach its picture.
    stage_->root().displayList().at(2)->placement().matrix = translate(3000, 3400);
    frame();
    EXPECT_EQ(hits(), 2u);
}

TEST_F(FilteredPictures, AChangeDeepInTheTreeDrawsAgain)
{
    // The inner clip's square moves: both the inner and the outer picture are stale.
    expectShown([&] { inner().children()->at(1)->placement().matrix = translate(100, 0); });
    EXPECT_EQ(hits(), 0u);
    expectShown([&] { inner().children()->at(1)->placement().colorTransform = ColorTransform{1, 1, 0.2, 1, 0, 0, 0, 0}; });
    expectShown([&] { inner().children()->at(2)->placement().ratio = 65535; });  // the morph
    expectShown([&] { inner().children()->at(2)->placement().visible = false; });
    expectShown([&] { inner().placement().filters = {glow(12)}; });
}

TEST_F(FilteredPictures, ColourTransformsOfTheObjectAndItsParentsCount)
{
    expectShown([&] { outer().placement().colorTransform = ColorTransform{1, 1, 1, 0.5, 0, 0, 0, 0}; });
    expectShown([&] { stage_->root().placement().colorTransform = ColorTransform{1, 1, 1, 1, 0, 0, 120, 0}; });
}

TEST_F(FilteredPictures, FilterParametersCount)
{
    expectShown([&] { outer().placement().filters = {glow(16)}; });
    expectShown([&] {
        swf::GlowFilter g = glow(16);
        g.color = {200, 0, 200, 255};
        outer().placement().filters = {g};
    });
    expectShown([&] {
        swf::DropShadowFilter shadow;
        shadow.color = {0, 0, 0, 255};
        shadow.blurX = shadow.blurY = 6;
        shadow.distance = 10;
        shadow.angle = 0.7;
        outer().placement().filters = {shadow};
    });
}

TEST_F(FilteredPictures, ScaleRotationAndDeviceSizeCount)
{
    expectShown([&] {
        Matrix m = translate(1000, 600);
        m.a = 1.25;
        outer().placement().matrix = m;
    });
    expectShown([&] {
        Matrix m = translate(1000, 600);
        m.b = 0.2, m.c = -0.2;
        outer().placement().matrix = m;
    });
    expectShown([] {}, {300, 300});
    expectShown([] {}, {200, 200}, RenderQuality::Low);
}

TEST_F(FilteredPictures, MovesByFractionsAndWholePixelsDrawFaithfully)
{
    // 10 twips are half a pixel here: the picture's sub-pixel phase changes.
    expectShown([&] { outer().placement().matrix = translate(1010, 600); });
    expectShown([&] { outer().placement().matrix = translate(1030, 607); });
    expectShown([&] { outer().placement().matrix = translate(1050, 627); });  // one whole pixel
    // Partly off the target, then back.
    expectShown([&] { outer().placement().matrix = translate(-1500, 600); });
    expectShown([&] { outer().placement().matrix = translate(1000, 600); });
}

TEST_F(FilteredPictures, AMovedObjectStandsOnWholePixelsAndKeepsItsPicture)
{
    inner().placement().filters.clear();  // one picture: the hits count only the outer clip's
    const QImage first = frame();
    // A fifth of a pixel: the origin stays on its pixel, so the picture is the same.
    std::uint64_t before = hits();
    outer().placement().matrix = translate(1004, 600);
    EXPECT_EQ(differingPixels(first, frame()), 0);
    EXPECT_GT(hits(), before);
    // Three pixels right and two down: the kept picture, moved (frame() compares it with
    // drawing afresh there).
    before = hits();
    outer().placement().matrix = translate(1060, 640);
    const QImage moved = frame();
    EXPECT_GT(hits(), before);
    int differing = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 150; ++x) differing += first.pixel(x, y) != moved.pixel(x + 3, y + 2);
    EXPECT_EQ(differing, 0);
    // Partly off the target: the edge would cut the picture elsewhere, so it is drawn again.
    before = hits();
    outer().placement().matrix = translate(-1500, 600);
    frame();
    EXPECT_EQ(hits(), before);
}

TEST_F(FilteredPictures, GiantAndFarOffObjectsDrawAsAfresh)
{
    inner().placement().filters.clear();
    // Scaled so that it covers the target many times over, then moved by whole pixels: the
    // target's edges cut it differently, so it is drawn again.
    Matrix giant = translate(1000, 600);
    giant.a = giant.d = 5000;
    outer().placement().matrix = giant;
    frame();
    const std::uint64_t before = hits();
    giant.tx += 40;
    outer().placement().matrix = giant;
    frame();
    EXPECT_EQ(hits(), before);
    // Origins beyond any target, near and past where positions stop being whole pixels.
    for (double tx : {3.0e8, 4.0e8, 1.0e12, -1.0e12}) {
        outer().placement().matrix = translate(tx, 600);
        frame();
        frame();
    }
}

TEST_F(FilteredPictures, TextDrawingAndMasksInsideCount)
{
    expectShown([&] { static_cast<runtime::EditTextObject&>(*outer().children()->at(3)).setText("World"); });
    expectShown([&] {
        runtime::Drawing& d = static_cast<MovieClip&>(inner()).drawing();
        FillStyle fill;
        fill.color = {255, 200, 0, 255};
        d.beginFill(fill);
        d.moveTo({-400, -400});
        d.lineTo({0, -400});
        d.lineTo({0, 0});
        d.endFill();
    });
    // The red square becomes a mask of the inner clip.
    expectShown([&] { outer().children()->at(1)->placement().clipDepth = 2; });
}

TEST_F(FilteredPictures, AnotherObjectAtTheSameDepthHasItsOwnPicture)
{
    const QImage before = frame();
    const runtime::ObjectId old = outer().id();
    stage_->tick();
    stage_->root().stop();
    ASSERT_NE(outer().id(), old);
    ASSERT_EQ(outer().characterId(), 30);
    outer().placement().filters = {glow(8)};
    const QImage after = frame();
    EXPECT_NE(differingPixels(before, after), 0);
    // The removed clips' pictures went at the end of the frame.
    EXPECT_EQ(cache_.groupPictures().size(), 1u);
}

TEST_F(FilteredPictures, ASequenceOfFramesMatchesDrawingAfresh)
{
    // Frames where some things change and others hold, in turn.
    for (int i = 0; i < 12; ++i) {
        if (i % 3 == 0) outer().placement().matrix = translate(1000 + 20 * i, 600);
        if (i % 4 == 1) inner().children()->at(2)->placement().ratio = std::uint16_t(i * 5000);
        if (i % 5 == 2) outer().placement().filters = {glow(4 + i)};
        frame();
    }
    EXPECT_GT(hits(), 0u);
}

TEST_F(FilteredPictures, ClearingTheCacheDropsThePictures)
{
    frame();
    EXPECT_GT(cache_.groupPictures().size(), 0u);
    cache_.clear();
    EXPECT_EQ(cache_.groupPictures().size(), 0u);
    EXPECT_EQ(cache_.groupPictures().bytes(), 0u);
}

}  // namespace
}  // namespace swf::render
