// What the player draws: colour transforms and masks through the display tree, the stage in
// its view, pictures after a goto, and damaged movies that still play.

#include "player_test_support.h"

namespace swf {
namespace {

using runtime::test::placeTag;
using runtime::test::square;
using runtime::test::translate;
using writer::MovieWriter;
using writer::SpriteTags;

constexpr QRgb kWhite = 0xffffffff;

TEST(PlayerRender, ColourTransformsComposeDownTheTree)
{
    MovieWriter m(8, {0, 4000, 0, 4000});
    m.shape(square(1, {255, 0, 0, 255}, 2000));
    SpriteTags inner(8);
    PlaceObject child = placeTag(1, 1, false);
    child.colorTransform = ColorTransform{0.5, 1, 1, 1, 0, 0, 100, 0};
    inner.place(child).showFrame();
    m.sprite(10, inner);
    PlaceObject parent = placeTag(1, 10, false);
    parent.colorTransform = ColorTransform{1, 1, 1, 1, 0, 50, 0, 0};
    m.place(parent);
    PlaceObject faded = placeTag(2, 10, false);
    faded.matrix = translate(2000, 2000);
    faded.colorTransform = ColorTransform{1, 1, 1, 0.5, 0, 0, 0, 0};
    m.place(faded).showFrame();

    Player player;
    test::load(player, m.build());
    const QImage image = player.render(QSize(200, 200));
    EXPECT_PIXEL(image, 50, 50, qRgb(128, 50, 100));
    // Half alpha over white: each channel halfway between the colour and white.
    EXPECT_PIXEL(image, 150, 150, qRgb(191, 128, 178));
    EXPECT_PIXEL(image, 150, 50, kWhite);
}

TEST(PlayerRender, MasksByClipDepthNestAndStopAtTheirDepth)
{
    MovieWriter m(8, {0, 4000, 0, 4000});
    m.shape(square(1, {0, 0, 255, 255}, 4000));   // blue, whole stage
    m.shape(square(2, {0, 0, 0, 255}, 2000));     // mask area, 100 px
    m.shape(square(3, {0, 255, 0, 255}, 1000));   // green, 50 px
    SpriteTags inner(8);
    PlaceObject innerMask = placeTag(1, 2, false);
    innerMask.matrix = translate(1000, 0);         // x 50..150
    innerMask.clipDepth = 2;
    inner.place(innerMask).place(1, 2).showFrame();
    m.sprite(10, inner);
    PlaceObject outerMask = placeTag(1, 2, false);  // x 0..100, y 0..100
    outerMask.clipDepth = 5;
    m.place(outerMask).place(10, 2);
    m.place(3, 6, translate(3000, 3000)).showFrame();  // above the clip depth: not masked

    Player player;
    test::load(player, m.build());
    const QImage image = player.render(QSize(200, 200));
    EXPECT_PIXEL(image, 75, 50, qRgb(0, 0, 255)) << "inside both masks";
    EXPECT_PIXEL(image, 25, 50, kWhite) << "outside the inner mask";
    EXPECT_PIXEL(image, 125, 50, kWhite) << "outside the outer mask";
    EXPECT_PIXEL(image, 75, 150, kWhite);
    EXPECT_PIXEL(image, 175, 175, qRgb(0, 255, 0));
    EXPECT_PIXEL(image, 10, 10, kWhite) << "the mask's own colour is never drawn";
}

TEST(PlayerRender, ShowAllCentresTheStageWithBackgroundMargins)
{
    MovieWriter m(8, {0, 8000, 0, 4000});
    m.setBackground({10, 20, 30, 255});
    m.shape(square(1, {255, 0, 0, 255}, 2000));
    m.place(1, 1).showFrame();
    Player player;
    test::load(player, m.build());
    EXPECT_EQ(player.info().backgroundArgb, 0xff0a141eu);
    const QImage image = player.render(QSize(200, 200));  // stage 400x200 -> 200x100 at y 50
    EXPECT_PIXEL(image, 100, 10, qRgb(10, 20, 30));
    EXPECT_PIXEL(image, 100, 190, qRgb(10, 20, 30));
    EXPECT_PIXEL(image, 20, 70, qRgb(255, 0, 0));
    EXPECT_PIXEL(image, 20, 40, qRgb(10, 20, 30));
    EXPECT_PIXEL(image, 70, 70, qRgb(10, 20, 30));
    const QPointF stage = player.viewToStage(QPointF(20, 70), QSize(200, 200));
    EXPECT_NEAR(stage.x(), 40, 0.01);
    EXPECT_NEAR(stage.y(), 40, 0.01);
    QImage rgb32(50, 50, QImage::Format_RGB32);
    player.render(rgb32);
    EXPECT_PIXEL(rgb32, 25, 2, qRgb(10, 20, 30)) << "targets of other formats are drawn too";
}

writer::Bytes animation(int frames)
{
    MovieWriter m(8, {0, 4000, 0, 4000});
    m.shape(square(1, {255, 0, 0, 255}, 1000));
    m.morphShape(runtime::test::growingSquare(2));
    m.place(1, 1);
    PlaceObject morph = placeTag(2, 2, false);
    morph.ratio = 0;
    m.place(morph).showFrame();
    for (int f = 1; f < frames; ++f) {
        PlaceObject move = placeTag(1, std::nullopt, true);
        move.matrix = translate(200.0 * f, 100.0 * f);
        move.colorTransform = ColorTransform{1, 1 - f * 0.1, 1, 1, 0, 0, 20.0 * f, 0};
        m.place(move);
        PlaceObject ratio = placeTag(2, std::nullopt, true);
        ratio.ratio = static_cast<std::uint16_t>(f * 6000);
        m.place(ratio);
        if (f == 3) m.remove(1);
        if (f == 5) m.place(1, 1, translate(100, 3000));
        m.showFrame();
    }
    return m.build();
}

TEST(PlayerRender, AGotoBackDrawsWhatPlayingForwardDrew)
{
    const writer::Bytes movie = animation(8);
    std::vector<QImage> played;
    {
        Player player;
        test::load(player, movie);
        for (int f = 1; f <= 8; ++f) {
            ASSERT_EQ(player.currentFrame(), f);
            played.push_back(player.render(QSize(100, 100)));
            player.tick();
        }
    }
    Player player;
    test::load(player, movie);
    for (int from : {8, 6, 4}) {
        for (int to = from; to >= 1; --to) {
            player.gotoFrame(from, false);
            player.gotoFrame(to, false);
            EXPECT_EQ(player.render(QSize(100, 100)), played[static_cast<std::size_t>(to - 1)])
                << "from frame " << from << " back to " << to;
        }
    }
    player.gotoFrame(2, false);
    player.gotoFrame(7, false);
    EXPECT_EQ(player.render(QSize(100, 100)), played[6]) << "forward over frames";
}

TEST(PlayerRender, AMovieCutMidWayPlaysItsWholeFrames)
{
    const writer::Bytes whole = animation(8);
    // Cut in the middle of frame 6's tags: frames 1-5 are whole.
    writer::Bytes firstFive = animation(5);
    firstFive.resize(firstFive.size() - 2);  // no End
    writer::Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(firstFive.size() + 5));
    Player player;
    test::load(player, cut);
    EXPECT_EQ(player.info().frameCount, 5);
    QImage fifth;
    {
        Player reference;
        test::load(reference, whole);
        reference.gotoFrame(5, false);
        fifth = reference.render(QSize(100, 100));
    }
    for (int i = 0; i < 10; ++i) player.tick();
    EXPECT_EQ(player.currentFrame(), 5) << "holds on the last whole frame";
    EXPECT_EQ(player.render(QSize(100, 100)), fifth);
}

TEST(PlayerRender, DamagedMoviesLoadWithAnErrorOrPlayNeverCrash)
{
    const writer::Bytes whole = animation(8);
    for (std::size_t cut = 0; cut < whole.size(); cut += 3) {
        writer::Bytes bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        Player player;
        try {
            player.loadBytes(bytes);
        } catch (const LoadError&) {
            EXPECT_FALSE(player.hasMovie());
            continue;
        }
        for (int i = 0; i < 9; ++i) player.tick();
        player.gotoFrame(1, true);
        (void)player.render(QSize(20, 20));
    }
    std::uint32_t state = 7;
    for (int round = 0; round < 200; ++round) {
        writer::Bytes bytes = whole;
        for (int flips = 0; flips < 3; ++flips) {
            state = state * 1103515245u + 12345u;
            const std::size_t at = 8 + (state >> 8) % (bytes.size() - 8);
            bytes[at] ^= static_cast<std::uint8_t>(1u << ((state >> 4) % 8));
        }
        Player player;
        try {
            player.loadBytes(bytes);
        } catch (const LoadError&) {
            continue;
        }
        for (int i = 0; i < 9; ++i) player.tick();
        (void)player.render(QSize(20, 20));
    }
}

}  // namespace
}  // namespace swf

namespace swf {
namespace {

TEST(PlayerRender, ObjectsReachingIntoViewFromOutsideAreDrawn)
{
    MovieWriter m(8, {0, 4000, 0, 4000});
    m.shape(runtime::test::square(1, {255, 0, 0, 255}, 4000));
    m.place(1, 1, runtime::test::translate(-3900, 0));    // 5 px left in view
    m.place(1, 2, runtime::test::translate(3960, 3960));  // 2 px in the bottom-right corner
    m.place(1, 3, runtime::test::translate(-8000, 0));    // wholly outside
    Player player;
    test::load(player, m.build());
    const QImage image = player.render(QSize(200, 200));
    EXPECT_PIXEL(image, 2, 100, qRgb(255, 0, 0));
    EXPECT_PIXEL(image, 10, 100, qRgb(255, 255, 255));
    EXPECT_PIXEL(image, 199, 199, qRgb(255, 0, 0));
    player.setScaleMode(ScaleMode::NoScale);
    const QImage wide = player.render(QSize(600, 200));  // the margins show what lies off the stage
    EXPECT_PIXEL(wide, 150, 100, qRgb(255, 0, 0));
    EXPECT_PIXEL(wide, 2, 100, qRgb(255, 255, 255)) << "the first copy starts 195 px left of the stage";
}

}  // namespace
}  // namespace swf
