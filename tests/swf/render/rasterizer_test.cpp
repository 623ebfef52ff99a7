// The scanline rasterizer on its own: exact coverage at edges, the partition between styles,
// fill rules, clipping, aliased sampling and hostile coordinates; and open outlines in shapes.

#include <cmath>
#include <limits>

#include "render_test_support.h"
#include "swf/render/pixel_ops.h"
#include "swf/render/scanline_rasterizer.h"
#include "swf/render/span_paint.h"

namespace swf::render::test {
namespace {

constexpr std::uint32_t kOpaqueRed = 0xffff0000u, kOpaqueBlue = 0xff0000ffu;

struct Surface {
    QImage image;
    explicit Surface(int w = 20, int h = 20, QColor fill = Qt::transparent)
        : image(w, h, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(fill);
    }
    RasterTarget target() { return RasterTarget::of(image); }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
    int alpha(int x, int y) const { return qAlpha(image.pixel(x, y)); }
};

// A clockwise rectangle (style on the inside) in device pixels.
void addBox(ScanlineRasterizer& r, double x0, double y0, double x1, double y1, int style)
{
    r.addLine({x0, y0}, {x1, y0}, ScanlineRasterizer::kNoStyle, style);
    r.addLine({x1, y0}, {x1, y1}, ScanlineRasterizer::kNoStyle, style);
    r.addLine({x1, y1}, {x0, y1}, ScanlineRasterizer::kNoStyle, style);
    r.addLine({x0, y1}, {x0, y0}, ScanlineRasterizer::kNoStyle, style);
}

void fillOne(ScanlineRasterizer& r, Surface& s, const SpanPaint& paint, bool antialias = true,
             FillRule rule = FillRule::NonZero, QRect clip = QRect(0, 0, 1000, 1000))
{
    const SpanPaint* paints[] = {&paint};
    r.fill(s.target(), clip, rule, antialias, paints);
}

TEST(Rasterizer, CoverageIsTheCoveredAreaAlongBothAxes)
{
    ScanlineRasterizer r;
    Surface s;
    addBox(r, 2.5, 2, 10, 10, 0);   // left edge halfway through column 2
    addBox(r, 12, 4.5, 18, 8.75, 0);  // top and bottom edges inside rows 4 and 8
    fillOne(r, s, SpanPaint::solid(kOpaqueRed));
    EXPECT_NEAR(s.alpha(2, 5), 128, 2);
    EXPECT_EQ(s.alpha(3, 5), 255);
    EXPECT_EQ(s.alpha(10, 5), 0);  // the right edge ends exactly at the pixel border
    EXPECT_NEAR(s.alpha(14, 4), 128, 2);
    EXPECT_EQ(s.alpha(14, 6), 255);
    EXPECT_NEAR(s.alpha(14, 8), 191, 2);
    EXPECT_EQ(s.alpha(14, 9), 0);
    // A sliver narrower than a pixel still shows, in proportion.
    ScanlineRasterizer thin;
    Surface t;
    addBox(thin, 5.25, 0, 5.5, 20, 0);
    fillOne(thin, t, SpanPaint::solid(kOpaqueRed));
    EXPECT_NEAR(t.alpha(5, 10), 64, 2);
    EXPECT_EQ(t.alpha(4, 10), 0);
    EXPECT_EQ(t.alpha(6, 10), 0);
}

TEST(Rasterizer, NeighbouringStylesPartitionSharedPixels)
{
    // Two styles meet along a slanted edge through the middle of a square, on a transparent
    // surface: their coverage adds up to the whole pixel everywhere, so no pixel inside lets
    // the background through and edge pixels mix the two colours.
    ScanlineRasterizer r;
    const int none = ScanlineRasterizer::kNoStyle;
    const QPointF a(2, 2), b(18, 2), c(18, 18), d(2, 18);
    r.addLine(a, b, none, 0);
    r.addLine(b, c, none, 0);
    r.addLine(c, a, 1, 0);  // the diagonal: style 0 on its right, style 1 on its left
    r.addLine(c, d, none, 1);
    r.addLine(d, a, none, 1);
    Surface s;
    const SpanPaint red = SpanPaint::solid(kOpaqueRed), blue = SpanPaint::solid(kOpaqueBlue);
    const SpanPaint* paints[] = {&red, &blue};
    r.fill(s.target(), QRect(0, 0, 20, 20), FillRule::EvenOdd, true, paints);
    int mixed = 0;
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 18; ++x) {
            const QRgb p = s.at(x, y);
            ASSERT_EQ(qAlpha(p), 255) << x << "," << y;
            EXPECT_NEAR(qRed(p) + qBlue(p), 255, 1) << x << "," << y;
            if (qRed(p) > 20 && qBlue(p) > 20) ++mixed;
        }
    EXPECT_GE(mixed, 16);  // the diagonal's pixels are shared, not given to one side
    EXPECT_EQ(s.at(15, 5), QRgb(kOpaqueRed));
    EXPECT_EQ(s.at(5, 15), QRgb(kOpaqueBlue));
}

TEST(Rasterizer, OverlappingStylesLeaveOneOwnerByRank)
{
    // Style 0 covers the whole box, style 1 a translucent square inside it. Where both wind,
    // only the higher ranked one paints: no red under the translucent blue.
    ScanlineRasterizer r;
    addBox(r, 0, 0, 20, 20, 0);
    addBox(r, 5, 5, 15, 15, 1);
    Surface s;
    const SpanPaint red = SpanPaint::solid(kOpaqueRed), blue = SpanPaint::solid(premultiply(0, 0, 255, 128));
    const SpanPaint* paints[] = {&red, &blue};
    const int rank[] = {0, 1};
    r.fill(s.target(), QRect(0, 0, 20, 20), FillRule::EvenOdd, true, paints, rank);
    EXPECT_EQ(qRed(s.at(10, 10)), 0);
    EXPECT_EQ(qAlpha(s.at(10, 10)), 128);
    EXPECT_EQ(s.at(2, 2), QRgb(kOpaqueRed));
    // Reversed ranks: the red covers the square.
    r.reset();
    addBox(r, 0, 0, 20, 20, 0);
    addBox(r, 5, 5, 15, 15, 1);
    Surface t;
    const int reversed[] = {1, 0};
    r.fill(t.target(), QRect(0, 0, 20, 20), FillRule::EvenOdd, true, paints, reversed);
    EXPECT_EQ(t.at(10, 10), QRgb(kOpaqueRed));
}

TEST(Rasterizer, FillRulesDecideNestedContoursOfOneStyle)
{
    for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
        ScanlineRasterizer r;
        addBox(r, 2, 2, 18, 18, 0);
        addBox(r, 6, 6, 14, 14, 0);  // same direction: a hole only under even-odd
        Surface s;
        fillOne(r, s, SpanPaint::solid(kOpaqueRed), true, rule);
        EXPECT_EQ(s.alpha(10, 10), rule == FillRule::EvenOdd ? 0 : 255);
        EXPECT_EQ(s.alpha(4, 4), 255);
    }
}

TEST(Rasterizer, ClipAndAliasedSampling)
{
    ScanlineRasterizer r;
    addBox(r, -50, -50, 70, 70, 0);
    Surface s;
    fillOne(r, s, SpanPaint::solid(kOpaqueRed), true, FillRule::NonZero, QRect(5, 6, 4, 3));
    int painted = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (s.alpha(x, y) > 0) {
                ++painted;
                EXPECT_TRUE(QRect(5, 6, 4, 3).contains(x, y)) << x << "," << y;
            }
    EXPECT_EQ(painted, 12);
    // Without antialiasing a pixel is the style's when its centre is inside.
    ScanlineRasterizer aliased;
    addBox(aliased, 2.4, 2.6, 10.5, 10.4, 0);
    Surface t;
    fillOne(aliased, t, SpanPaint::solid(kOpaqueRed), false);
    EXPECT_EQ(t.alpha(2, 3), 255);   // centre 2.5 > 2.4
    EXPECT_EQ(t.alpha(3, 2), 0);     // centre 2.5 < 2.6
    EXPECT_EQ(t.alpha(9, 9), 255);
    EXPECT_EQ(t.alpha(10, 9), 0);    // centre 10.5 is on the edge: outside
    EXPECT_EQ(t.alpha(9, 10), 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) EXPECT_TRUE(t.alpha(x, y) == 0 || t.alpha(x, y) == 255);
}

TEST(Rasterizer, HostileCoordinatesAreHarmless)
{
    ScanlineRasterizer r;
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    r.addLine({0, 0}, {inf, 5}, ScanlineRasterizer::kNoStyle, 0);
    r.addLine({nan, 0}, {3, 5}, ScanlineRasterizer::kNoStyle, 0);
    addBox(r, -1e300, -1e300, 1e300, 1e300, 0);
    r.addQuad({0, 0}, {1e200, -1e200}, {5, 5}, ScanlineRasterizer::kNoStyle, 0);
    r.addLine({1, 1}, {2, 2}, 7, 9);  // styles without paints take no part
    Surface s;
    fillOne(r, s, SpanPaint::solid(kOpaqueRed));
    EXPECT_EQ(s.alpha(10, 10), 255);  // the huge box still fills the surface
}

TEST(Rasterizer, TranslucentPaintsBlendOverTheBackground)
{
    ScanlineRasterizer r;
    addBox(r, 0, 0, 10.5, 20, 0);
    Surface s(20, 20, Qt::white);
    fillOne(r, s, SpanPaint::solid(premultiply(255, 0, 0, 128)));
    EXPECT_TRUE(near(s.at(5, 5), {255, 127, 127, 255}, 2));
    EXPECT_TRUE(near(s.at(10, 5), {255, 191, 191, 255}, 2));  // half covered: a quarter red
    EXPECT_TRUE(near(s.at(15, 5), kWhite, 0));
}

TEST(ShapeOutlines, OpenOutlineIsClosedBackToItsStartWhereverItsRecordsBegin)
{
    // The same open outline (a right angle of two edges) given in record order and with its
    // second edge first: both times the straight closing segment makes a filled triangle.
    for (bool secondFirst : {false, true}) {
        std::vector<ShapeRecord> r;
        if (secondFirst) {
            r = {moveSelect(800, 0, 0, 1, 0), lineTo(800, 800), moveSelect(0, 0, 0, 1, 0), lineTo(800, 0)};
        } else {
            r = {moveSelect(0, 0, 0, 1, 0), lineTo(800, 0), lineTo(800, 800)};
        }
        Canvas canvas;
        canvas.ctx().drawShape(shapeOf({solid(kRed)}, {}, r), {}, {});
        const QImage& img = canvas.finish();
        EXPECT_TRUE(near(img.pixel(30, 10), kRed)) << secondFirst;
        EXPECT_TRUE(near(img.pixel(38, 30), kRed)) << secondFirst;
        EXPECT_TRUE(near(img.pixel(10, 30), kWhite)) << secondFirst;
    }
}

TEST(ShapeOutlines, OpenOutlineOfOneFillBesideAClosedOneOfAnother)
{
    // Fill 2 is an open outline (three sides of a square) next to a closed square of fill 1:
    // fill 2 still fills its square, and fill 1 is unaffected.
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 400, 400, 0, 1);
    r.push_back(moveSelect(400, 0, 0, 2, 0));
    r.push_back(lineTo(800, 0));
    r.push_back(lineTo(800, 400));
    r.push_back(lineTo(400, 400));
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid(kRed), solid(kBlue)}, {}, r), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(10, 10), kRed));
    EXPECT_TRUE(near(img.pixel(30, 10), kBlue));
    EXPECT_TRUE(near(img.pixel(30, 30), kWhite));
}

}  // namespace
}  // namespace swf::render::test
