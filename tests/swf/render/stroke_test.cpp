// Strokes: width through the transform and the no-scale flags, the one-pixel minimum, caps,
// joins with the miter limit, closing, and filled strokes.

#include "render_test_support.h"

namespace swf::render::test {
namespace {

// Black ink in one column, in pixels (antialiased edges count partly).
double inkInColumn(const QImage& img, int x)
{
    double sum = 0;
    for (int y = 0; y < img.height(); ++y) sum += (255 - qRed(img.pixel(x, y))) / 255.0;
    return sum;
}

QImage strokeImage(const LineStyle& style, const std::vector<ShapeRecord>& records, const Matrix& world = {},
                   int w = 60, int h = 60)
{
    Canvas canvas(w, h);
    canvas.ctx().drawShape(shapeOf({}, {style}, records), world, {});
    return canvas.finish().copy();
}

std::vector<ShapeRecord> horizontal(double x0, double x1, double y)
{
    return {moveSelect(x0, y, 0, 0, 1), lineTo(x1, y)};
}

TEST(Strokes, WidthScalesWithTheTransform)
{
    const LineStyle l = line(100, kBlack);  // 5 pixels
    EXPECT_NEAR(inkInColumn(strokeImage(l, horizontal(100, 500, 200)), 10), 5, 0.3);
    EXPECT_NEAR(inkInColumn(strokeImage(l, horizontal(100, 500, 200), {2, 0, 0, 2, 0, 0}), 20), 10, 0.3);
}

TEST(Strokes, NoScaleFlagsKeepOneAxisOrBoth)
{
    const Matrix stretch{4, 0, 0, 2, 0, 0};  // x4 across, x2 down
    const auto path = horizontal(100, 500, 200);  // 20..100 px across, 20 px down
    LineStyle l = line(100, kBlack);
    EXPECT_NEAR(inkInColumn(strokeImage(l, path, stretch), 30), 15, 0.4);  // mean of 4 and 2
    l.noHScale = true;
    EXPECT_NEAR(inkInColumn(strokeImage(l, path, stretch), 30), 10, 0.4);  // vertical scale only
    l.noHScale = false;
    l.noVScale = true;
    EXPECT_NEAR(inkInColumn(strokeImage(l, path, stretch), 30), 20, 0.4);  // horizontal scale only
    l.noHScale = true;
    EXPECT_NEAR(inkInColumn(strokeImage(l, path, stretch), 30), 5, 0.3);   // neither
}

TEST(Strokes, NeverThinnerThanOnePixel)
{
    EXPECT_NEAR(inkInColumn(strokeImage(line(0, kBlack), horizontal(100, 900, 210)), 20), 1, 0.15);
    EXPECT_NEAR(inkInColumn(strokeImage(line(5, kBlack), horizontal(100, 900, 210)), 20), 1, 0.15);
    // A thin line scaled down stays one pixel too.
    EXPECT_NEAR(inkInColumn(strokeImage(line(40, kBlack), horizontal(1000, 9000, 2100), {0.1, 0, 0, 0.1, 0, 0}), 20),
                1, 0.15);
}

TEST(Strokes, CapsExtendOrStopAtTheEnds)
{
    // Line from x=10 to x=40 pixels, 10 pixels wide, at y=20.
    const auto path = horizontal(200, 800, 400);
    for (CapStyle cap : {CapStyle::Round, CapStyle::None, CapStyle::Square}) {
        LineStyle l = line(200, kBlack);
        l.startCap = l.endCap = cap;
        const QImage img = strokeImage(l, path);
        const bool extends = cap != CapStyle::None;
        EXPECT_EQ(qRed(img.pixel(7, 20)) < 60, extends) << int(cap);   // 3 px beyond the start
        EXPECT_EQ(qRed(img.pixel(6, 16)) < 60, cap == CapStyle::Square) << int(cap);  // cap corner
    }
    // Different caps at the two ends.
    LineStyle mixed = line(200, kBlack);
    mixed.startCap = CapStyle::None;
    mixed.endCap = CapStyle::Square;
    const QImage img = strokeImage(mixed, path);
    dumpPng(img, "mixed_caps");
    EXPECT_GT(qRed(img.pixel(7, 20)), 200);
    EXPECT_LT(qRed(img.pixel(43, 16)), 60);
}

TEST(Strokes, JoinsAndMiterLimit)
{
    // A right angle at (40, 10) pixels, 10 pixels wide: the outer corner region at (44, 6).
    const std::vector<ShapeRecord> corner{moveSelect(200, 200, 0, 0, 1), lineTo(800, 200), lineTo(800, 800)};
    LineStyle l = line(200, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    l.join = JoinStyle::Miter;
    EXPECT_LT(qRed(strokeImage(l, corner).pixel(44, 6)), 60);
    l.join = JoinStyle::Bevel;
    EXPECT_GT(qRed(strokeImage(l, corner).pixel(44, 6)), 200);
    l.join = JoinStyle::Round;
    EXPECT_GT(qRed(strokeImage(l, corner).pixel(44, 6)), 120);
    // A miter limit below the corner's miter length (sqrt 2 widths) bevels it.
    l.join = JoinStyle::Miter;
    l.miterLimit = 1;
    EXPECT_GT(qRed(strokeImage(l, corner).pixel(44, 6)), 200);
}

TEST(Strokes, ClosedPathsJoinUnlessNoClose)
{
    std::vector<ShapeRecord> square{moveSelect(200, 200, 0, 0, 1), lineTo(800, 200), lineTo(800, 800), lineTo(200, 800),
                                    lineTo(200, 200)};
    LineStyle l = line(200, kBlack);
    l.startCap = l.endCap = CapStyle::None;
    l.join = JoinStyle::Miter;
    // The seam corner at (10,10): closed gets the mitred corner, NoClose leaves it open.
    EXPECT_LT(qRed(strokeImage(l, square).pixel(6, 6)), 60);
    l.noClose = true;
    EXPECT_GT(qRed(strokeImage(l, square).pixel(6, 6)), 200);
    // The other corners join in both cases.
    EXPECT_LT(qRed(strokeImage(l, square).pixel(43, 43)), 60);
}

TEST(Strokes, PixelHintingSnapsToWholePixels)
{
    // A 1-pixel line half way between two pixel rows: smeared over both, or one whole row hinted.
    LineStyle l = line(20, kBlack);
    const auto path = horizontal(100, 900, 400);  // y = 20 px exactly: the edge between rows 19 and 20
    const QImage plain = strokeImage(l, path);
    l.pixelHinting = true;
    const QImage snapped = strokeImage(l, path);
    EXPECT_GT(qRed(plain.pixel(20, 19)), 60);
    EXPECT_GT(qRed(plain.pixel(20, 20)), 60);
    EXPECT_LT(std::min(qRed(snapped.pixel(20, 19)), qRed(snapped.pixel(20, 20))), 10);
    EXPECT_NEAR(inkInColumn(snapped, 20), 1, 0.1);
}

TEST(Strokes, FilledStrokeUsesItsFillStyle)
{
    LineStyle l = line(200, kBlack);
    l.hasFill = true;
    l.fill.kind = FillStyle::Kind::LinearGradient;
    l.fill.gradient.stops = {{0, kRed}, {255, kBlue}};
    l.fill.matrix = {800 / 32768.0, 0, 0, 800 / 32768.0, 400, 0};  // across 0..800 twips
    const QImage img = strokeImage(l, horizontal(0, 800, 400));
    EXPECT_TRUE(near(img.pixel(2, 20), {240, 0, 15, 255}, 12));
    EXPECT_TRUE(near(img.pixel(37, 20), {18, 0, 237, 255}, 12));
}

TEST(Strokes, StrokeColourTakesTheColourTransform)
{
    Canvas canvas(60, 60);
    ColorTransform ct;
    ct.rAdd = 255;
    canvas.ctx().drawShape(shapeOf({}, {line(200, kBlack)}, horizontal(200, 800, 400)), {}, ct);
    EXPECT_TRUE(near(canvas.at(20, 20), {255, 0, 0, 255}));
}

// One cache across frames, as the player keeps it: each draw is a frame of its own.
struct Frames {
    TestResources resources;
    RenderCache cache;

    QImage draw(const ShapeDefinition& shape, const Matrix& world)
    {
        QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        RenderContext(image, QTransform::fromScale(1 / 20.0, 1 / 20.0), RenderQuality::High, cache, resources)
            .drawShape(shape, world, {});
        return image;
    }
};

// Largest channel difference between `a` moved by (dx, dy) and `b`, over b's pixels whose
// source lies inside `a`.
int shiftedDifference(const QImage& a, const QImage& b, int dx, int dy)
{
    int worst = 0;
    for (int y = std::max(0, dy); y < b.height() && y - dy < a.height(); ++y)
        for (int x = std::max(0, dx); x < b.width() && x - dx < a.width(); ++x) {
            const QRgb p = a.pixel(x - dx, y - dy), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

TEST(Strokes, KeptOutlinesFollowMovesAndAreRebuiltForNewScales)
{
    LineStyle l = line(100, kBlack);
    l.join = JoinStyle::Miter;
    const ShapeDefinition shape = shapeOf({}, {l}, {moveSelect(100, 100, 0, 0, 1), lineTo(400, 300), lineTo(150, 500)});
    Frames frames;
    const QImage first = frames.draw(shape, {1, 0, 0, 1, 70, 30});
    EXPECT_EQ(frames.cache.strokeOutlines().size(), 1u);
    // Moved by whole pixels: the kept outline, moved, gives the same picture moved.
    const QImage moved = frames.draw(shape, {1, 0, 0, 1, 70 + 20 * 13, 30 + 20 * 7});
    EXPECT_EQ(frames.cache.strokeOutlines().size(), 1u);
    EXPECT_LE(shiftedDifference(first, moved, 13, 7), 1);
    EXPECT_LT(qRed(moved.pixel(20 + 13, 15 + 7)), 100);  // on the line, not blank
    // Moved by a fraction of a pixel, drawn afresh with another cache: the same picture.
    Frames fresh;
    EXPECT_EQ(shiftedDifference(fresh.draw(shape, {1, 0, 0, 1, 77, 39}), frames.draw(shape, {1, 0, 0, 1, 77, 39}), 0, 0),
              0);
    // Scaled: a new outline at the new width, not the kept one.
    const QImage scaled = frames.draw(shape, {2, 0, 0, 2, 0, 0});
    EXPECT_EQ(frames.cache.strokeOutlines().size(), 2u);
    EXPECT_NEAR(inkInColumn(scaled, 30), inkInColumn(fresh.draw(shape, {2, 0, 0, 2, 0, 0}), 30), 0.05);
    // Hinted strokes depend on where they land and are not kept.
    l.pixelHinting = true;
    const ShapeDefinition hinted = shapeOf({}, {l}, {moveSelect(100, 100, 0, 0, 1), lineTo(900, 100)});
    frames.draw(hinted, {1, 0, 0, 1, 7, 3});
    EXPECT_EQ(frames.cache.strokeOutlines().size(), 2u);
    frames.cache.clear();
    EXPECT_EQ(frames.cache.strokeOutlines().size(), 0u);
}

}  // namespace
}  // namespace swf::render::test
