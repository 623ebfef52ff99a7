// Masks (nested, coverage only), groups with blend modes, and filters.

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <random>
#include <utility>

#include "render_test_support.h"
#include "swf/render/compositing.h"

namespace swf::render::test {
namespace {

// Definitions are cached by address, as the movie's dictionary keeps them; every shape here
// lives until the end of the test program so that no two share an address.
const ShapeDefinition& rect(double x0, double y0, double x1, double y1, Rgba color)
{
    static std::deque<ShapeDefinition> kept;
    std::vector<ShapeRecord> r;
    addRect(r, x0, y0, x1, y1, 0, 1);
    return kept.emplace_back(shapeOf({solid(color)}, {}, r));
}

TEST(Masks, ContentShowsOnlyInsideTheMask)
{
    const ShapeDefinition& mask = rect(0, 0, 400, 800, {0, 0, 0, 0});  // invisible colour: area still counts
    const ShapeDefinition& content = rect(0, 0, 800, 800, kRed);
    Canvas canvas;
    canvas.ctx().beginMask();
    canvas.ctx().drawShape(mask, {}, {});
    canvas.ctx().beginMaskedContent();
    canvas.ctx().drawShape(content, {}, {});
    canvas.ctx().endMask();
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(10, 20), kRed));
    EXPECT_TRUE(near(img.pixel(30, 20), kWhite));
}

TEST(Masks, NestedMasksIntersect)
{
    Canvas canvas;
    RenderContext& c = canvas.ctx();
    c.beginMask();
    c.drawShape(rect(0, 0, 400, 800, kBlack), {}, {});  // left half
    c.beginMaskedContent();
    c.drawShape(rect(0, 0, 800, 800, kGreen), {}, {});
    c.beginMask();
    c.drawShape(rect(0, 0, 800, 400, kBlack), {}, {});  // top half
    c.beginMaskedContent();
    c.drawShape(rect(0, 0, 800, 800, kBlue), {}, {});
    c.endMask();
    c.endMask();
    const QImage& img = canvas.finish();
    dumpPng(img, "nested_masks");
    EXPECT_TRUE(near(img.pixel(10, 10), kBlue));   // inside both
    EXPECT_TRUE(near(img.pixel(10, 30), kGreen));  // only the outer
    EXPECT_TRUE(near(img.pixel(30, 10), kWhite));  // outside the outer
    EXPECT_TRUE(near(img.pixel(30, 30), kWhite));
}

TEST(Masks, EmptyMaskHidesEverythingAndAntialiasedEdgesBlend)
{
    Canvas canvas;
    RenderContext& c = canvas.ctx();
    c.beginMask();
    c.beginMaskedContent();
    c.drawShape(rect(0, 0, 800, 800, kRed), {}, {});
    c.endMask();
    // A mask edge half way through a pixel gives half coverage.
    c.beginMask();
    c.drawShape(rect(0, 0, 410, 800, kBlack), {}, {});
    c.beginMaskedContent();
    c.drawShape(rect(0, 0, 800, 800, kBlue), {}, {});
    c.endMask();
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(30, 30), kWhite));
    EXPECT_TRUE(near(img.pixel(20, 30), {128, 128, 255, 255}, 4));
}

TEST(Masks, UnbalancedLayersAreCompositedAtTheEnd)
{
    Canvas canvas;
    canvas.ctx().beginGroup();
    canvas.ctx().drawShape(rect(0, 0, 800, 800, kRed), {}, {});
    EXPECT_TRUE(near(canvas.at(20, 20), kRed));
}

QRgb blendOver(Rgba backdrop, Rgba object, BlendMode mode)
{
    Canvas canvas;
    canvas.ctx().drawShape(rect(0, 0, 800, 800, backdrop), {}, {});
    canvas.ctx().beginGroup();
    canvas.ctx().drawShape(rect(0, 0, 800, 800, object), {}, {});
    canvas.ctx().endGroup(mode, {}, 1);
    return canvas.at(20, 20);
}

TEST(Blend, SeparableModes)
{
    const Rgba b{200, 100, 50, 255}, o{100, 200, 250, 255};
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Normal), o));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Multiply), {78, 78, 49, 255}, 2));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Screen), {222, 222, 251, 255}, 2));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Lighten), {200, 200, 250, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Darken), {100, 100, 50, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Difference), {100, 100, 200, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Add), {255, 255, 255, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Subtract), {100, 0, 0, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Invert), {55, 155, 205, 255}, 1));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::HardLight), {157, 188, 247, 255}, 3));
    EXPECT_TRUE(near(blendOver(b, o, BlendMode::Overlay), {188, 157, 98, 255}, 3));
}

TEST(Blend, AlphaAndEraseActInsideALayer)
{
    for (BlendMode mode : {BlendMode::Erase, BlendMode::Alpha}) {
        Canvas canvas;
        RenderContext& c = canvas.ctx();
        c.beginGroup();  // the parent, blend mode Layer
        c.drawShape(rect(0, 0, 800, 800, kRed), {}, {});
        c.beginGroup();
        c.drawShape(rect(0, 0, 400, 800, kBlack), {}, {});
        c.endGroup(mode, {}, 1);
        c.endGroup(BlendMode::Layer, {}, 1);
        const QImage& img = canvas.finish();
        const bool erase = mode == BlendMode::Erase;
        EXPECT_TRUE(near(img.pixel(10, 20), erase ? kWhite : kRed)) << int(mode);
        EXPECT_TRUE(near(img.pixel(30, 20), erase ? kRed : kWhite)) << int(mode);
    }
}

TEST(Filters, ColorMatrixIsExact)
{
    ColorMatrixFilter swap;
    swap.matrix = {0, 0, 1, 0, 0, 0, 1, 0, 0, 10, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    Canvas canvas;
    canvas.ctx().beginGroup();
    canvas.ctx().drawShape(rect(0, 0, 800, 800, {200, 100, 50, 255}), {}, {});
    canvas.ctx().endGroup(BlendMode::Normal, {swap}, 1);
    EXPECT_TRUE(near(canvas.at(20, 20), {50, 110, 200, 255}, 0));
}

TEST(Filters, BlurSoftensEdgesAndShadowFallsAtItsOffset)
{
    Canvas blurred(60, 60);
    blurred.ctx().beginGroup();
    blurred.ctx().drawShape(rect(200, 200, 1000, 1000, kBlack), {}, {});
    blurred.ctx().endGroup(BlendMode::Normal, {BlurFilter{9, 9, 1}}, 1);
    const QImage b = blurred.finish().copy();
    // Across the left edge at x = 10 the 9-pixel box spreads the step over 9 pixels.
    EXPECT_NEAR(qRed(b.pixel(10, 30)), 128, 20);
    EXPECT_GT(qRed(b.pixel(7, 30)), 170);
    EXPECT_LT(qRed(b.pixel(13, 30)), 85);
    EXPECT_TRUE(near(b.pixel(30, 30), kBlack, 1));

    DropShadowFilter shadow;
    shadow.color = kRed;
    shadow.blurX = shadow.blurY = 1;
    shadow.angle = 0;
    shadow.distance = 10;
    Canvas shadowed(60, 60);
    shadowed.ctx().beginGroup();
    shadowed.ctx().drawShape(rect(200, 200, 600, 600, kBlue), {}, {});
    shadowed.ctx().endGroup(BlendMode::Normal, {shadow}, 1);
    const QImage s = shadowed.finish().copy();
    dumpPng(s, "drop_shadow");
    EXPECT_TRUE(near(s.pixel(15, 15), kBlue));
    EXPECT_TRUE(near(s.pixel(35, 15), kRed));    // the shadow, 10 pixels right
    EXPECT_TRUE(near(s.pixel(45, 15), kWhite));
}

TEST(Filters, GlowAndBevelDrawAroundAndOnTheEdges)
{
    GlowFilter glow;
    glow.color = kRed;
    glow.blurX = glow.blurY = 6;
    glow.strength = 2;
    Canvas g(60, 60);
    g.ctx().beginGroup();
    g.ctx().drawShape(rect(400, 400, 800, 800, kBlue), {}, {});
    g.ctx().endGroup(BlendMode::Normal, {glow}, 1);
    const QImage gi = g.finish().copy();
    EXPECT_TRUE(near(gi.pixel(30, 30), kBlue));
    EXPECT_GT(qRed(gi.pixel(30, 19)), 200);
    EXPECT_LT(qGreen(gi.pixel(30, 19)), 200);  // tinted, not white
    EXPECT_TRUE(near(gi.pixel(5, 5), kWhite));

    BevelFilter bevelFilter;
    bevelFilter.highlight = kWhite;
    bevelFilter.shadow = kBlack;
    bevelFilter.angle = 0.785398;
    Canvas bv(60, 60);
    bv.ctx().drawShape(rect(0, 0, 1200, 1200, {128, 128, 128, 255}), {}, {});
    bv.ctx().beginGroup();
    bv.ctx().drawShape(rect(200, 200, 1000, 1000, {128, 128, 128, 255}), {}, {});
    bv.ctx().endGroup(BlendMode::Normal, {bevelFilter}, 1);
    const QImage bi = bv.finish().copy();
    dumpPng(bi, "bevel");
    // Light from the top left: the top-left inner edge is lighter than the bottom-right one.
    EXPECT_GT(qRed(bi.pixel(12, 12)), qRed(bi.pixel(47, 47)) + 40);
    EXPECT_TRUE(near(bi.pixel(30, 30), {128, 128, 128, 255}, 3));
}

// A plain box blur to compare with: every window summed afresh, zero outside the image, the
// fractional part of the box weighting the two samples just past its whole ones.
std::vector<double> plainBox(const std::vector<double>& v, int width, int height, double size, bool alongRows)
{
    const double radius = (size - 1) / 2;
    const int whole = int(std::floor(radius));
    const double edge = radius - whole;
    std::vector<double> out(v.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto at = [&](int k) {
                const int sx = alongRows ? x + k : x, sy = alongRows ? y : y + k;
                return sx >= 0 && sy >= 0 && sx < width && sy < height ? v[std::size_t(sy * width + sx)] : 0.0;
            };
            double sum = edge * (at(-whole - 1) + at(whole + 1));
            for (int k = -whole; k <= whole; ++k) sum += at(k);
            out[std::size_t(y * width + x)] = sum / size;
        }
    return out;
}

// The blur's running sums, the rows it keeps aside and the planes it interleaves must give what
// a plain box gives, also where the box is taller or wider than the image.
TEST(Filters, BoxBlurMatchesAPlainBox)
{
    std::mt19937 random(7);
    struct Case {
        int width, height;
        double bx, by;
        int passes;
    };
    for (const Case& c : {Case{23, 17, 3, 5, 1}, Case{31, 9, 4.5, 2.5, 2}, Case{12, 3, 7.9, 7.9, 3}, Case{5, 40, 1, 6.2, 1},
                          Case{40, 1, 5, 3, 2}, Case{2, 2, 7, 7, 1}}) {
        QImage image(c.width, c.height, QImage::Format_ARGB32_Premultiplied);
        std::array<std::vector<double>, 4> channels;  // red, green, blue, alpha
        for (auto& channel : channels) channel.resize(std::size_t(c.width * c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int a = int(random() % 256);
                const int r = a ? int(random() % std::uint32_t(a + 1)) : 0, g = a ? int(random() % std::uint32_t(a + 1)) : 0,
                          b = a ? int(random() % std::uint32_t(a + 1)) : 0;
                image.setPixel(x, y, qRgba(r, g, b, a));
                const auto i = std::size_t(y * c.width + x);
                channels[0][i] = r, channels[1][i] = g, channels[2][i] = b, channels[3][i] = a;
            }
        for (auto& channel : channels)
            for (int p = 0; p < c.passes; ++p) {
                if (c.bx > 1) channel = plainBox(channel, c.width, c.height, c.bx, true);
                if (c.by > 1) channel = plainBox(channel, c.width, c.height, c.by, false);
            }
        FilterMemory memory;
        boxBlur(image, c.bx, c.by, c.passes, memory);
        int worst = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const auto i = std::size_t(y * c.width + x);
                const QRgb p = image.pixel(x, y);
                const int alpha = std::clamp(int(std::lround(channels[3][i])), 0, 255);
                auto level = [&](double v) { return std::min(alpha, std::clamp(int(std::lround(v)), 0, 255)); };
                worst = std::max({worst, std::abs(qRed(p) - level(channels[0][i])), std::abs(qGreen(p) - level(channels[1][i])),
                                  std::abs(qBlue(p) - level(channels[2][i])), std::abs(qAlpha(p) - alpha)});
            }
        EXPECT_LE(worst, 1) << c.width << "x" << c.height << " box " << c.bx << "x" << c.by << " passes " << c.passes;
    }
}

// Rectangles of random colours and alphas on a transparent image: the edges large blurs smooth.
QImage rectangles(int width, int height, std::mt19937& random)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    for (int i = 0; i < 6; ++i) {
        const int a = 60 + int(random() % 196);
        const QColor color(int(random() % 256), int(random() % 256), int(random() % 256), a);
        p.fillRect(int(random() % std::uint32_t(width)), int(random() % std::uint32_t(height)), 4 + int(random() % 30),
                   4 + int(random() % 30), color);
    }
    return image;
}

// Wide blurs work on blocks of pixels, at a fraction of the work: the result must stay close to
// the full blur (within a few levels; a box of one pass, sharp-edged, is the hardest).
constexpr int kBlockBlurTolerance = 12;
TEST(Filters, LargeBlursOnBlocksStayCloseToTheFullBlur)
{
    std::mt19937 random(11);
    struct Case {
        double size;
        int passes;
    };
    for (const Case& c : {Case{9.5, 3}, Case{12, 3}, Case{13, 2}, Case{16, 1}, Case{21, 3}, Case{40, 1}, Case{90, 2}}) {
        SCOPED_TRACE(c.size);
        const QImage source = rectangles(70, 60, random);
        std::array<std::vector<double>, 4> channels;
        for (auto& channel : channels) channel.resize(std::size_t(70 * 60));
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 70; ++x) {
                const QRgb p = source.pixel(x, y);
                const auto i = std::size_t(y * 70 + x);
                channels[0][i] = qRed(p), channels[1][i] = qGreen(p), channels[2][i] = qBlue(p), channels[3][i] = qAlpha(p);
            }
        for (auto& channel : channels)
            for (int p = 0; p < c.passes; ++p) {
                channel = plainBox(channel, 70, 60, c.size, true);
                channel = plainBox(channel, 70, 60, c.size, false);
            }
        FilterMemory memory;
        QImage blurred = source.copy();
        boxBlur(blurred, c.size, c.size, c.passes, memory);
        int worst = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 70; ++x) {
                const QRgb p = blurred.pixel(x, y);
                const auto i = std::size_t(y * 70 + x);
                for (int k = 0; k < 4; ++k) {
                    const int got = k == 0 ? qRed(p) : k == 1 ? qGreen(p) : k == 2 ? qBlue(p) : qAlpha(p);
                    worst = std::max(worst, std::abs(got - int(std::lround(channels[std::size_t(k)][i]))));
                }
            }
        EXPECT_LE(worst, kBlockBlurTolerance);
    }
}

// Layer images serve again in later frames with only their drawn part cleared: what a frame
// leaves in a layer must never show through in the next one, also where text (drawn past the
// bounds it claims) went through a mask into a group.
TEST(Layers, ImagesServingAgainStartTransparent)
{
    TestResources resources;
    FontDefinition font;  // glyph 0: a box of the whole EM square above the baseline
    font.id = 1;
    font.fontVersion = 2;
    std::vector<ShapeRecord> box;
    addRect(box, 0, -1024, 1024, 0, 0, 1);
    font.glyphs = {box};
    font.codes = {u'A'};
    resources.fonts[1] = font;
    StaticTextDefinition text;
    text.bounds = {200, 400, 100, 500};  // claims 10..20 px across; the glyph covers 10..30 x 5..25 px
    TextRecord record;
    record.fontId = 1;
    record.height = 400;
    record.color = kRed;
    record.x = 200;
    record.y = 500;
    record.glyphs = {{0, 400}};
    text.records = {record};

    auto frame = [&](RenderCache& cache, const std::function<void(RenderContext&)>& draw) {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            RenderContext c(image, QTransform::fromScale(1 / 20.0, 1 / 20.0), RenderQuality::High, cache, resources);
            draw(c);
        }
        return image;
    };
    // The next frame takes the layer images back in the order they were given (the group's, the
    // mask's, the content's) and draws two corners, so that whole layers are composited.
    auto corners = [&](RenderContext& c) {
        c.beginGroup();
        c.beginMask();
        c.drawShape(rect(0, 0, 800, 800, kBlack), {}, {});
        c.beginMaskedContent();
        c.drawShape(rect(0, 0, 60, 60, kBlue), {}, {});
        c.drawShape(rect(740, 740, 800, 800, kBlue), {}, {});
        c.endMask();
        c.endGroup(BlendMode::Normal, {}, 1);
    };
    const std::vector<std::pair<const char*, std::function<void(RenderContext&)>>> firstFrames = {
        {"shape in a group",
         [&](RenderContext& c) {
             c.beginGroup();
             c.drawShape(rect(0, 0, 400, 800, kRed), {}, {});
             c.endGroup(BlendMode::Normal, {}, 1);
         }},
        {"text in a group",
         [&](RenderContext& c) {
             c.beginGroup();
             c.drawStaticText(text, {}, {});
             c.endGroup(BlendMode::Normal, {}, 1);
         }},
        {"masked text in a group",
         [&](RenderContext& c) {
             c.beginGroup();
             c.beginMask();
             c.drawShape(rect(0, 0, 800, 800, kBlack), {}, {});
             c.beginMaskedContent();
             c.drawStaticText(text, {}, {});
             c.endMask();
             c.endGroup(BlendMode::Normal, {}, 1);
         }},
    };
    for (const auto& [name, draw] : firstFrames) {
        RenderCache cache;  // one per movie: its layer images serve every frame
        const QImage first = frame(cache, draw);
        EXPECT_TRUE(near(first.pixel(15, 20), kRed)) << name;
        const QImage next = frame(cache, corners);
        EXPECT_TRUE(near(next.pixel(1, 1), kBlue)) << name;
        EXPECT_TRUE(near(next.pixel(38, 38), kBlue)) << name;
        EXPECT_TRUE(near(next.pixel(15, 20), kWhite)) << name;
        EXPECT_TRUE(near(next.pixel(27, 20), kWhite)) << name;
    }
}

}  // namespace
}  // namespace swf::render::test
