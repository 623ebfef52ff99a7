// Fills: solid colours through colour transforms, gradients (spread, interpolation, focal
// point, empty), bitmap fills (repeat, clip with edge extension, smoothing, missing bitmaps).

#include <cmath>
#include <utility>

#include "render_test_support.h"
#include "swf/render/gradient.h"

namespace swf::render::test {
namespace {

std::vector<ShapeRecord> rectRecords(double x0, double y0, double x1, double y1)
{
    std::vector<ShapeRecord> r;
    addRect(r, x0, y0, x1, y1, 0, 1);
    return r;
}

// A linear gradient red -> blue over twips [x0, x1] horizontally.
FillStyle linearRedBlue(double x0, double x1, SpreadMode spread = SpreadMode::Pad,
                        InterpolationMode interpolation = InterpolationMode::Normal)
{
    FillStyle f;
    f.kind = FillStyle::Kind::LinearGradient;
    f.gradient.spread = spread;
    f.gradient.interpolation = interpolation;
    f.gradient.stops = {{0, kRed}, {255, kBlue}};
    const double scale = (x1 - x0) / 32768.0;
    f.matrix = {scale, 0, 0, scale, (x0 + x1) / 2, 0};
    return f;
}

QImage drawFill(const FillStyle& fill, double w = 800, double h = 200, Canvas* canvas = nullptr)
{
    Canvas local(40, 10);
    Canvas& c = canvas ? *canvas : local;
    c.ctx().drawShape(shapeOf({fill}, {}, rectRecords(0, 0, w, h)), {}, {});
    return c.finish().copy();
}

TEST(Fills, SolidColourGoesThroughTheColourTransform)
{
    Canvas canvas;
    ColorTransform ct;
    ct.rMult = 0.5;
    ct.gAdd = 100;
    ct.aMult = 1;
    canvas.ctx().drawShape(shapeOf({solid({200, 10, 0, 255})}, {}, rectRecords(0, 0, 800, 800)), {}, ct);
    EXPECT_TRUE(near(canvas.at(20, 20), {100, 110, 0, 255}, 1));
}

TEST(Fills, NestedColourTransformsCompose)
{
    ColorTransform parent;
    parent.rMult = 0.5;
    parent.rAdd = 20;
    ColorTransform child;
    child.rMult = 0.5;
    child.rAdd = 100;
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid({200, 0, 0, 255})}, {}, rectRecords(0, 0, 800, 800)), {}, parent * child);
    // child first: 200 * 0.5 + 100 = 200; then parent: 200 * 0.5 + 20 = 120.
    EXPECT_TRUE(near(canvas.at(20, 20), {120, 0, 0, 255}, 1));
}

TEST(Fills, LinearGradientRunsAcrossTheGradientSquare)
{
    const QImage img = drawFill(linearRedBlue(0, 800));
    EXPECT_TRUE(near(img.pixel(0, 5), {252, 0, 3, 255}, 4));
    EXPECT_TRUE(near(img.pixel(39, 5), {3, 0, 252, 255}, 4));
    EXPECT_TRUE(near(img.pixel(20, 5), {124, 0, 131, 255}, 4));
}

TEST(Fills, SpreadModesBeyondTheRamp)
{
    // Ramp over the first 20 pixels; pixel 25 lies a quarter ramp beyond its end.
    const QImage pad = drawFill(linearRedBlue(0, 400, SpreadMode::Pad));
    const QImage reflect = drawFill(linearRedBlue(0, 400, SpreadMode::Reflect));
    const QImage repeat = drawFill(linearRedBlue(0, 400, SpreadMode::Repeat));
    const double t = 25.5 / 20 - 1;  // 0.275 beyond
    auto at = [](double f) {
        return Rgba{std::uint8_t(std::lround(255 * (1 - f))), 0, std::uint8_t(std::lround(255 * f)), 255};
    };
    EXPECT_TRUE(near(pad.pixel(25, 5), kBlue, 3));
    EXPECT_TRUE(near(reflect.pixel(25, 5), at(1 - t), 6));
    EXPECT_TRUE(near(repeat.pixel(25, 5), at(t), 6));
}

TEST(Fills, RepeatedAndReflectedRampsHoldAcrossManyPeriodsBothWays)
{
    // Ramps of 7 pixels starting inside the row: pixels on either side lie many periods before
    // and after the ramp; drawn forwards and backwards.
    for (const auto& [from, to] : {std::pair{206.0, 346.0}, std::pair{346.0, 206.0}}) {
        for (SpreadMode spread : {SpreadMode::Repeat, SpreadMode::Reflect}) {
            const QImage img = drawFill(linearRedBlue(from, to, spread));
            for (int x = 0; x < 40; ++x) {
                const double t = ((x + 0.5) * 20 - from) / (to - from);
                double f = t - std::floor(t);
                if (spread == SpreadMode::Reflect) {
                    const double u = std::fabs(t) - 2 * std::floor(std::fabs(t) / 2);
                    f = u > 1 ? 2 - u : u;
                } else if (f < 0.03 || f > 0.97) {
                    continue;  // next to the jump back to the start
                }
                const Rgba expected{std::uint8_t(std::lround(255 * (1 - f))), 0, std::uint8_t(std::lround(255 * f)), 255};
                EXPECT_TRUE(near(img.pixel(x, 5), expected, 5)) << "x " << x << " spread " << int(spread) << " from " << from;
            }
        }
    }
}

TEST(Fills, ARampRunningDownGivesEachRowOneColour)
{
    // The red-blue ramp turned a quarter: it runs down over twips 0..100 (5 pixels), then
    // beyond it by its spread; every row of the 40-pixel-wide rectangle takes one colour.
    for (SpreadMode spread : {SpreadMode::Pad, SpreadMode::Repeat, SpreadMode::Reflect}) {
        FillStyle ramp = linearRedBlue(0, 100, spread);
        const double scale = ramp.matrix.a;
        ramp.matrix = {0, scale, -scale, 0, 0, 50};
        Canvas canvas(40, 10);
        const QImage img = drawFill(ramp, 800, 200, &canvas);
        for (int y = 0; y < 10; ++y) {
            const double t = ((y + 0.5) * 20) / 100;
            double f = std::min(t, 1.0);
            if (spread == SpreadMode::Repeat) f = t - std::floor(t);
            if (spread == SpreadMode::Reflect) f = t > 1 ? 2 - t : t;
            const Rgba expected{std::uint8_t(std::lround(255 * (1 - f))), 0, std::uint8_t(std::lround(255 * f)), 255};
            EXPECT_TRUE(near(img.pixel(20, y), expected, 6)) << "row " << y << " spread " << int(spread);
            for (int x = 1; x < 40; ++x) ASSERT_EQ(img.pixel(x, y), img.pixel(0, y)) << "row " << y << " x " << x;
        }
    }
}

TEST(Fills, LinearRgbInterpolationIsBrighterInTheMiddle)
{
    const QImage normal = drawFill(linearRedBlue(0, 800));
    const QImage linear = drawFill(linearRedBlue(0, 800, SpreadMode::Pad, InterpolationMode::LinearRgb));
    // Half of each channel in linear light is 188 in sRGB.
    EXPECT_TRUE(near(linear.pixel(20, 5), {185, 0, 190, 255}, 6));
    EXPECT_TRUE(near(normal.pixel(20, 5), {124, 0, 131, 255}, 4));
    Gradient g;
    g.interpolation = InterpolationMode::LinearRgb;
    g.stops = {{0, kRed}, {255, kBlue}};
    EXPECT_TRUE(near(qRgba(gradientColorAt(g, 127.5).r, 0, gradientColorAt(g, 127.5).b, 255), {188, 0, 188, 255}, 1));
}

TEST(Fills, RadialAndFocalGradients)
{
    FillStyle radial;
    radial.kind = FillStyle::Kind::RadialGradient;
    radial.gradient.stops = {{0, kRed}, {255, kBlue}};
    const double scale = 800 / 32768.0;  // radius 400 twips = 20 pixels
    radial.matrix = {scale, 0, 0, scale, 400, 400};
    Canvas a;
    a.ctx().drawShape(shapeOf({radial}, {}, rectRecords(0, 0, 800, 800)), {}, {});
    const QImage ra = a.finish().copy();
    EXPECT_TRUE(near(ra.pixel(20, 20), kRed, 15));
    EXPECT_TRUE(near(ra.pixel(30, 20), {128, 0, 128, 255}, 12));  // half the radius
    EXPECT_TRUE(near(ra.pixel(0, 0), kBlue, 3));                   // beyond the circle: padded

    FillStyle focal = radial;
    focal.kind = FillStyle::Kind::FocalGradient;
    focal.gradient.focalPoint = 0.5;  // ratio 0 sits at 10 pixels right of the centre
    Canvas b;
    b.ctx().drawShape(shapeOf({focal}, {}, rectRecords(0, 0, 800, 800)), {}, {});
    const QImage fb = b.finish().copy();
    dumpPng(fb, "focal");
    EXPECT_TRUE(near(fb.pixel(30, 20), kRed, 20));
    // Left of the centre the ramp is further along than at the same distance on the right.
    EXPECT_GT(qBlue(fb.pixel(15, 20)), qBlue(fb.pixel(25, 20)) + 40);
}

TEST(Fills, GradientStopsTakeTheColourTransform)
{
    ColorTransform ct;
    ct.bMult = 0;
    ct.gAdd = 255;
    Canvas canvas(40, 10);
    canvas.ctx().drawShape(shapeOf({linearRedBlue(0, 800)}, {}, rectRecords(0, 0, 800, 200)), {}, ct);
    EXPECT_TRUE(near(canvas.at(39, 5), {3, 255, 0, 255}, 4));
}

TEST(Fills, GradientWithoutStopsFillsBlack)
{
    // The reference player's picture of such a shape is a black area.
    FillStyle f = linearRedBlue(0, 800);
    f.gradient.stops.clear();
    const QImage img = drawFill(f);
    EXPECT_TRUE(near(img.pixel(20, 5), Rgba{0, 0, 0, 255}));
}

TEST(Fills, FifteenStopsAllShow)
{
    FillStyle f = linearRedBlue(0, 800);
    f.gradient.stops.clear();
    for (int i = 0; i < 15; ++i)
        f.gradient.stops.push_back({std::uint8_t(i * 255 / 14), i % 2 ? kBlue : kRed});
    const QImage img = drawFill(f);
    // Pixel centres sit at ratio (x + 0.5) / 40 * 255; the last stops are blue (236) and red (255).
    auto expected = [&](int x) { return gradientColorAt(f.gradient, (x + 0.5) / 40 * 255); };
    for (int x : {1, 18, 37, 39}) EXPECT_TRUE(near(img.pixel(x, 5), expected(x), 6)) << x;
    EXPECT_GT(qRed(img.pixel(39, 5)), 180);
    EXPECT_GT(qBlue(img.pixel(37, 5)), 150);
}

// A 2x2 bitmap: red green / blue white.
Bitmap checker()
{
    Bitmap b;
    b.width = b.height = 2;
    b.pixels = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu};
    return b;
}

FillStyle bitmapFill(bool repeat, bool smooth, double pixelTwips = 80)
{
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapId = 5;
    f.bitmapRepeat = repeat;
    f.bitmapSmoothed = smooth;
    f.matrix = {pixelTwips, 0, 0, pixelTwips, 0, 0};
    return f;
}

TEST(Fills, BitmapFillRepeatsOrExtendsItsEdges)
{
    for (bool repeat : {true, false}) {
        Canvas canvas(40, 40);
        canvas.resources.bitmaps[5] = checker();
        canvas.ctx().drawShape(shapeOf({bitmapFill(repeat, false)}, {}, rectRecords(0, 0, 800, 800)), {}, {});
        const QImage img = canvas.finish().copy();
        dumpPng(img, repeat ? "bitmap_repeat" : "bitmap_clip");
        // Bitmap pixels are 4 device pixels; the image spans 8 pixels.
        EXPECT_TRUE(near(img.pixel(2, 2), kRed));
        EXPECT_TRUE(near(img.pixel(6, 6), kWhite));
        if (repeat) {
            EXPECT_TRUE(near(img.pixel(10, 2), kRed));    // second tile
            EXPECT_TRUE(near(img.pixel(10, 14), kBlue));  // second tile across and down
        } else {
            EXPECT_TRUE(near(img.pixel(26, 2), kGreen));  // right edge column extended (tiling: red)
            EXPECT_TRUE(near(img.pixel(2, 26), kBlue));   // bottom edge row extended (tiling: red)
            EXPECT_TRUE(near(img.pixel(30, 30), kWhite)); // corner
        }
    }
}

TEST(Fills, BitmapSmoothingFollowsFlagVersionAndQuality)
{
    struct Case {
        int version;
        bool smoothFlag;
        RenderQuality quality;
        bool expectSmooth;
    };
    for (const Case& c : {Case{8, true, RenderQuality::High, true}, Case{7, true, RenderQuality::High, false},
                          Case{8, false, RenderQuality::High, false}, Case{8, true, RenderQuality::Medium, false}}) {
        Canvas canvas(40, 40, c.quality);
        canvas.resources.version = c.version;
        canvas.resources.bitmaps[5] = checker();
        canvas.ctx().drawShape(shapeOf({bitmapFill(false, c.smoothFlag, 400)}, {}, rectRecords(0, 0, 800, 800)), {},
                               {});
        // Bitmap pixels are 20 device pixels; pixel 18 lies near the red/green border.
        const QRgb p = canvas.at(18, 5);
        const bool blended = qRed(p) < 250 && qGreen(p) > 5;
        EXPECT_EQ(blended, c.expectSmooth) << c.version << c.smoothFlag << int(c.quality);
    }
}

TEST(Fills, SmoothedClippedBitmapDoesNotBleedFromTheOppositeEdge)
{
    // Bitmap pixels 20 device pixels wide, the shape exactly the bitmap's area: the outermost
    // half pixel samples beyond the edge, which must repeat the edge rather than wrap around.
    Canvas canvas(40, 40);
    canvas.resources.bitmaps[5] = checker();
    canvas.ctx().drawShape(shapeOf({bitmapFill(false, true, 400)}, {}, rectRecords(0, 0, 800, 800)), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(0, 5), kRed, 3));
    EXPECT_TRUE(near(img.pixel(5, 0), kRed, 3));
    EXPECT_TRUE(near(img.pixel(39, 39), kWhite, 3));
    // Between the columns the smoothing blends as it should.
    EXPECT_TRUE(near(img.pixel(20, 5), {128, 128, 0, 255}, 20));
}

TEST(Fills, MissingBitmapDrawsNothingAndTransformsReachBitmaps)
{
    Canvas missing;
    missing.ctx().drawShape(shapeOf({bitmapFill(true, false)}, {}, rectRecords(0, 0, 800, 800)), {}, {});
    EXPECT_TRUE(near(missing.at(2, 2), kWhite));

    Canvas tinted;
    tinted.resources.bitmaps[5] = checker();
    ColorTransform ct;
    ct.rMult = 0;
    ct.bAdd = 255;
    tinted.ctx().drawShape(shapeOf({bitmapFill(true, false)}, {}, rectRecords(0, 0, 800, 800)), {}, ct);
    EXPECT_TRUE(near(tinted.at(2, 2), {0, 0, 255, 255}));

    Canvas faded;
    faded.resources.bitmaps[5] = checker();
    ColorTransform half;
    half.aMult = 0.5;
    faded.ctx().drawShape(shapeOf({bitmapFill(true, false)}, {}, rectRecords(0, 0, 800, 800)), {}, half);
    EXPECT_TRUE(near(faded.at(2, 2), {255, 128, 128, 255}, 2));
}

TEST(Fills, BitmapCharacterDrawsTwentyTwipsPerPixel)
{
    Canvas canvas(40, 40, RenderQuality::Medium);
    const Bitmap b = checker();
    canvas.ctx().drawBitmap(b, {4, 0, 0, 4, 200, 200}, {});
    const QImage& img = canvas.finish();
    // Scaled 4x and moved by 10 pixels: each bitmap pixel covers 4 device pixels.
    EXPECT_TRUE(near(img.pixel(11, 11), kRed));
    EXPECT_TRUE(near(img.pixel(15, 11), kGreen));
    EXPECT_TRUE(near(img.pixel(11, 15), kBlue));
    EXPECT_TRUE(near(img.pixel(9, 9), kWhite));
    EXPECT_TRUE(near(img.pixel(19, 19), kWhite));
}

}  // namespace
}  // namespace swf::render::test
