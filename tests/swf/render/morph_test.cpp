// Morph shapes: edges, colours, widths, gradients and matrices at ratios 0, 1/2 and 1, mixed
// straight/curved pairs, and the bounded geometry cache.

#include "render_test_support.h"
#include "swf/render/morph.h"

namespace swf::render::test {
namespace {

// Start: red square 0..400 twips; end: blue rectangle 0..800 wide. The end list's top edge is
// a curve bulging up to y = -400 while the start's is straight.
MorphShapeDefinition growingSquare()
{
    MorphShapeDefinition m;
    MorphFillStyle f;
    f.start = solid(kRed);
    f.end = solid(kBlue);
    m.fills = {f};
    MorphLineStyle l;
    l.start = line(20, kBlack);
    l.end = line(220, kBlack);
    m.lines = {l};
    m.startRecords = {moveSelect(0, 200, 0, 1, 0), lineTo(400, 200), lineTo(400, 600), lineTo(0, 600), lineTo(0, 200)};
    m.endRecords = {moveTo(0, 200), curveTo(400, -200, 800, 200), lineTo(800, 600), lineTo(0, 600), lineTo(0, 200)};
    m.startBounds = {0, 400, 200, 600};
    m.endBounds = {0, 800, 0, 600};
    return m;
}

QImage drawMorph(const MorphShapeDefinition& m, std::uint16_t ratio)
{
    Canvas canvas(50, 40);
    canvas.ctx().drawMorphShape(m, ratio, {}, {});
    return canvas.finish().copy();
}

TEST(Morph, EdgesAndColoursInterpolate)
{
    const MorphShapeDefinition m = growingSquare();
    const QImage start = drawMorph(m, 0), middle = drawMorph(m, 32768), end = drawMorph(m, 65535);
    dumpPng(middle, "morph_half");
    EXPECT_TRUE(near(start.pixel(10, 20), kRed));
    EXPECT_TRUE(near(start.pixel(25, 20), kWhite));
    EXPECT_TRUE(near(middle.pixel(25, 20), {128, 0, 127, 255}, 2));  // 600 twips wide now
    EXPECT_TRUE(near(middle.pixel(35, 20), kWhite));
    EXPECT_TRUE(near(end.pixel(35, 20), kBlue));
    // The top edge's curve: at ratio 1 its apex reaches y = 0 pixels (control at -10).
    EXPECT_TRUE(near(end.pixel(20, 3), kBlue));
    EXPECT_TRUE(near(start.pixel(10, 8), kWhite));
    // Half way the apex is at 5 pixels: (10 + 0)/2, the straight edge taken as a curve.
    EXPECT_TRUE(near(middle.pixel(15, 7), {128, 0, 127, 255}, 2));
    EXPECT_TRUE(near(middle.pixel(15, 3), kWhite));
}

TEST(Morph, StylesMatricesAndBoundsInterpolate)
{
    const MorphShapeDefinition m = growingSquare();
    const ShapeData half = interpolateMorph(m, 0.5);
    ASSERT_EQ(half.lines.size(), 1u);
    EXPECT_EQ(half.lines[0].width, 120);
    FillStyle a, b;
    a.kind = b.kind = FillStyle::Kind::RadialGradient;
    a.gradient.stops = {{0, kRed}, {100, kBlack}};
    b.gradient.stops = {{50, kBlue}, {200, kWhite}};
    a.matrix = {1, 0, 0, 1, 0, 0};
    b.matrix = {3, 1, -1, 5, 100, -100};
    const FillStyle mid = interpolateFill(a, b, 0.5);
    ASSERT_EQ(mid.gradient.stops.size(), 2u);
    EXPECT_EQ(mid.gradient.stops[0].ratio, 25);
    EXPECT_EQ(mid.gradient.stops[1].ratio, 150);
    EXPECT_EQ(mid.gradient.stops[1].color, (Rgba{128, 128, 128, 255}));
    EXPECT_EQ(mid.matrix, (Matrix{2, 0.5, -0.5, 3, 50, -50}));
    EXPECT_EQ(interpolateRect(m.startBounds, m.endBounds, 0.5), (Rect{0, 600, 100, 600}));
}

TEST(Morph, ShortEndListStillDrawsTheStartShape)
{
    MorphShapeDefinition m = growingSquare();
    m.endRecords.resize(2);  // malformed: three edges missing
    const QImage end = drawMorph(m, 65535);
    EXPECT_TRUE(near(end.pixel(10, 20), kBlue));
}

TEST(Morph, GeometryCacheIsBounded)
{
    const MorphShapeDefinition m = growingSquare();
    RenderCache cache;
    auto first = cache.morph(m, 100);
    EXPECT_EQ(first, cache.morph(m, 100));
    for (int r = 0; r < 2000; ++r) cache.morph(m, std::uint16_t(r * 30));
    EXPECT_LE(cache.morphEntries(), 512u);
    // An entry still held by a caller stays valid after eviction.
    EXPECT_FALSE(first->empty());
}

}  // namespace
}  // namespace swf::render::test
