// The rasterizer against a plain sampler written for the test: on each of the four sub-scanlines
// of a pixel row it sorts the crossings, keeps a winding number per style and adds the covered
// length of every pixel to the highest style that winds there. Random jittered grids of styles
// (shared edges, corners where four fills meet, holes), random convex shapes of both
// orientations and shapes cut by the clip must come out the same within rounding.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "swf/render/scanline_rasterizer.h"
#include "swf/render/span_paint.h"

namespace swf::render::test {
namespace {

constexpr int kNone = ScanlineRasterizer::kNoStyle;

struct Line {
    QPointF a, b;
    int left, right;
};

// Coverage per style and pixel, in 1/1024 of a pixel (four sub-scanlines of 256 steps).
using Coverage = std::vector<std::vector<int>>;

Coverage sampled(const std::vector<Line>& lines, int styles, int w, int h, FillRule rule)
{
    Coverage coverage(std::size_t(styles), std::vector<int>(std::size_t(w * h), 0));
    struct Crossing {
        double x;
        int left, right, dir;
    };
    for (int y = 0; y < h; ++y) {
        for (int k = 0; k < 4; ++k) {
            const double ys = y + (k + 0.5) / 4;
            std::vector<Crossing> crossings;
            for (const Line& l : lines) {
                const bool down = l.b.y() > l.a.y();
                const QPointF top = down ? l.a : l.b, bottom = down ? l.b : l.a;
                if (l.left == l.right || !(top.y() <= ys && ys < bottom.y())) continue;
                const double x = top.x() + (ys - top.y()) * (bottom.x() - top.x()) / (bottom.y() - top.y());
                crossings.push_back({x, l.left, l.right, down ? 1 : -1});
            }
            std::sort(crossings.begin(), crossings.end(), [](auto& p, auto& q) { return p.x < q.x; });
            std::vector<int> winding(std::size_t(styles), 0);
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                const Crossing& c = crossings[i];
                if (c.right >= 0) winding[std::size_t(c.right)] += c.dir;
                if (c.left >= 0) winding[std::size_t(c.left)] -= c.dir;
                int top = kNone;
                for (int s = 0; s < styles; ++s) {
                    const int wd = winding[std::size_t(s)];
                    if (rule == FillRule::NonZero ? wd != 0 : (wd & 1) != 0) top = s;
                }
                if (top == kNone) continue;
                auto fixed = [w](double x) { return int(std::clamp(x, 0.0, double(w)) * 256); };
                const int from = fixed(c.x), to = fixed(crossings[i + 1].x);
                for (int p = from >> 8; p <= (to >> 8) && p < w; ++p) {
                    const int length = std::min(to, (p + 1) * 256) - std::max(from, p * 256);
                    if (length > 0) coverage[std::size_t(top)][std::size_t(y * w + p)] += length;
                }
            }
        }
    }
    return coverage;
}

int alphaOf(int coverage) { return (coverage * 255 + 512) >> 10; }

// Opaque red, green and blue paints: on a transparent surface each channel shows one style's share.
const std::uint32_t kColors[] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu};

int channelOf(QRgb p, int style) { return style == 0 ? qRed(p) : style == 1 ? qGreen(p) : qBlue(p); }

void expectSameAsSampled(const std::vector<Line>& lines, int styles, int w, int h, FillRule rule, QRect clip,
                         const char* what)
{
    ScanlineRasterizer r;
    for (const Line& l : lines) r.addLine(l.a, l.b, l.left, l.right);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    std::vector<SpanPaint> storage;
    for (int s = 0; s < styles; ++s) storage.push_back(SpanPaint::solid(kColors[s]));
    std::vector<const SpanPaint*> paints;
    for (const SpanPaint& p : storage) paints.push_back(&p);
    r.fill(RasterTarget::of(image), clip, rule, true, paints);
    const Coverage expected = sampled(lines, styles, w, h, rule);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inClip = clip.contains(x, y);
            int total = 0;
            for (int s = 0; s < styles; ++s) {
                const int want = inClip ? alphaOf(expected[std::size_t(s)][std::size_t(y * w + x)]) : 0;
                total += want;
                const int got = channelOf(image.pixel(x, y), s);
                if (std::abs(got - want) > 2 && ++wrong < 10)
                    ADD_FAILURE() << what << ": style " << s << " at " << x << "," << y << " is " << got
                                  << ", sampled " << want;
            }
            const int alpha = qAlpha(image.pixel(x, y));
            if (std::abs(alpha - std::min(255, total)) > 3 && ++wrong < 10)
                ADD_FAILURE() << what << ": alpha at " << x << "," << y << " is " << alpha << ", sampled " << total;
        }
}

// A grid of quads whose corners are moved at random; each cell gets one of `styles` styles or
// none. The edges between cells carry the styles on both sides, so the fills share them.
std::vector<Line> jitteredGrid(std::mt19937& random, int columns, int rows, double cell, int styles)
{
    std::uniform_real_distribution<double> jitter(-0.35 * cell, 0.35 * cell);
    std::uniform_int_distribution<int> pick(-1, styles - 1);
    std::vector<std::vector<QPointF>> v(std::size_t(columns + 1), std::vector<QPointF>(std::size_t(rows + 1)));
    for (int i = 0; i <= columns; ++i)
        for (int j = 0; j <= rows; ++j) {
            const bool border = i == 0 || j == 0 || i == columns || j == rows;
            v[std::size_t(i)][std::size_t(j)] =
                QPointF(2 + i * cell + (border ? 0 : jitter(random)), 2 + j * cell + (border ? 0 : jitter(random)));
        }
    std::vector<std::vector<int>> style(std::size_t(columns), std::vector<int>(std::size_t(rows), kNone));
    for (auto& column : style)
        for (int& s : column) s = pick(random);
    auto at = [&](int i, int j) {
        return i < 0 || j < 0 || i >= columns || j >= rows ? kNone : style[std::size_t(i)][std::size_t(j)];
    };
    std::vector<Line> lines;
    for (int i = 0; i <= columns; ++i)
        for (int j = 0; j <= rows; ++j) {
            const QPointF p = v[std::size_t(i)][std::size_t(j)];
            // Going right: the cell below is on the right. Going down: the cell on the left.
            if (i < columns) lines.push_back({p, v[std::size_t(i + 1)][std::size_t(j)], at(i, j - 1), at(i, j)});
            if (j < rows) lines.push_back({p, v[std::size_t(i)][std::size_t(j + 1)], at(i, j), at(i - 1, j)});
        }
    return lines;
}

// Twelve grids of growing cell size, under both fill rules.
void expectJitteredGridsMatchTheSampler(unsigned sequence, int columns, int rows, double cell, double growth, int styles,
                                        QSize size, const char* what)
{
    std::mt19937 random(sequence);
    for (int trial = 0; trial < 12; ++trial) {
        const auto lines = jitteredGrid(random, columns, rows, cell + trial * growth, styles);
        for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero})
            expectSameAsSampled(lines, styles, size.width(), size.height(), rule, QRect(QPoint(), size), what);
    }
}

TEST(RasterizerCoverage, JitteredGridsOfOneStyleMatchTheSampler)
{
    expectJitteredGridsMatchTheSampler(7, 5, 4, 5.5, 0.37, 1, QSize(40, 32), "one-style grid");
}

TEST(RasterizerCoverage, JitteredGridsOfSeveralStylesMatchTheSampler)
{
    expectJitteredGridsMatchTheSampler(11, 6, 5, 4.25, 0.41, 3, QSize(40, 36), "three-style grid");
}

TEST(RasterizerCoverage, ConvexShapesOfEitherOrientationAndThinOnesMatchTheSampler)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> centre(5, 27), radius(0.2, 14), angle(0, 6.283185307179586);
    for (int trial = 0; trial < 40; ++trial) {
        const QPointF c(centre(random), centre(random));
        const double rx = radius(random), ry = trial % 4 == 0 ? 0.3 : radius(random);  // some slivers
        std::vector<double> angles(std::size_t(3 + trial % 6));
        for (double& a : angles) a = angle(random);
        std::sort(angles.begin(), angles.end());
        std::vector<Line> lines;
        const bool reversed = trial % 2 == 1;
        for (std::size_t i = 0; i < angles.size(); ++i) {
            const double a = angles[i], b = angles[(i + 1) % angles.size()];
            const QPointF p = c + QPointF(rx * std::cos(a), ry * std::sin(a));
            const QPointF q = c + QPointF(rx * std::cos(b), ry * std::sin(b));
            lines.push_back(reversed ? Line{q, p, 0, kNone} : Line{p, q, kNone, 0});
        }
        expectSameAsSampled(lines, 1, 32, 32, FillRule::NonZero, QRect(0, 0, 32, 32), "convex");
    }
}

TEST(RasterizerCoverage, OverlappingContoursOfOneStyleStayCloseToTheSampler)
{
    // Thin overlapping triangles of mixed orientation (as a stroke's outline overlaps itself at
    // joins). Where windings reach two inside one pixel a single style's pixel may be shaded a
    // little differently from the sweep, but never far off, only on edges, and only in few.
    std::mt19937 random(17);
    std::uniform_real_distribution<double> coordinate(1, 23);
    int edgePixels = 0, off = 0;
    for (int trial = 0; trial < 30; ++trial) {
        std::vector<Line> lines;
        for (int t = 0; t < 6; ++t) {
            const QPointF a(coordinate(random), coordinate(random)), b(coordinate(random), coordinate(random));
            const QPointF c = a + QPointF(0.7, 0.4) * (t % 3 + 1) * 0.5;
            const bool flip = (trial + t) % 2 == 0;
            for (auto [p, q] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
                lines.push_back(flip ? Line{q, p, kNone, 0} : Line{p, q, kNone, 0});
        }
        for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
            ScanlineRasterizer r;
            for (const Line& l : lines) r.addLine(l.a, l.b, l.left, l.right);
            QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            const SpanPaint red = SpanPaint::solid(kColors[0]);
            const SpanPaint* paints[] = {&red};
            r.fill(RasterTarget::of(image), QRect(0, 0, 24, 24), rule, true, paints);
            const Coverage expected = sampled(lines, 1, 24, 24, rule);
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x) {
                    const int coverage = expected[0][std::size_t(y * 24 + x)];
                    const int difference = std::abs(qAlpha(image.pixel(x, y)) - alphaOf(coverage));
                    const bool edge = coverage % 1024 != 0 || qAlpha(image.pixel(x, y)) % 255 != 0;
                    edgePixels += edge;
                    if (!edge) {
                        EXPECT_LE(difference, 2) << "interior " << x << "," << y << " trial " << trial;
                    } else {
                        EXPECT_LE(difference, 128) << x << "," << y << " trial " << trial;
                        off += difference > 2;
                    }
                }
        }
    }
    ASSERT_GT(edgePixels, 1000);
    EXPECT_LT(off * 10, edgePixels);
}

TEST(RasterizerCoverage, ShapesCutByTheClipMatchTheSamplerInside)
{
    std::mt19937 random(5);
    for (int trial = 0; trial < 6; ++trial) {
        const auto lines = jitteredGrid(random, 6, 6, 6.3, trial % 2 == 0 ? 1 : 3);
        const QRect clip(3 + trial, 5, 21, 17 + trial);
        expectSameAsSampled(lines, trial % 2 == 0 ? 1 : 3, 40, 40, FillRule::EvenOdd, clip, "clipped grid");
    }
}

TEST(RasterizerCoverage, OneRasterizerServesManyFillsAsFreshOnesWould)
{
    // Buffers kept between fills must not carry anything over: shapes running past the clip's
    // right edge, then wider clips, fewer styles and aliased fills, through one rasterizer.
    std::mt19937 random(13);
    ScanlineRasterizer reused;
    for (int trial = 0; trial < 16; ++trial) {
        const int styles = trial % 3 == 0 ? 3 : 1;
        const auto lines = jitteredGrid(random, 7, 5, 5.7, styles);
        const QRect clip(trial % 4, trial % 5, 12 + 3 * (trial % 6), 25);
        const bool antialias = trial % 5 != 4;
        auto paint = [&](ScanlineRasterizer& r) {
            r.reset();
            for (const Line& l : lines) r.addLine(l.a, l.b, l.left, l.right);
            QImage image(44, 36, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            const SpanPaint red = SpanPaint::solid(kColors[0]), green = SpanPaint::solid(kColors[1]),
                            blue = SpanPaint::solid(kColors[2]);
            const SpanPaint* paints[] = {&red, &green, &blue};
            r.fill(RasterTarget::of(image), clip, FillRule::NonZero, antialias,
                   std::span<const SpanPaint* const>(paints, std::size_t(styles)));
            return image;
        };
        ScanlineRasterizer fresh;
        ASSERT_EQ(paint(reused), paint(fresh)) << trial;
    }
}

}  // namespace
}  // namespace swf::render::test
