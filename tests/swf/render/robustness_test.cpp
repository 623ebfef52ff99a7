// Hostile input: random record streams, out-of-range styles, absurd coordinates and matrices,
// mismatched morph lists and broken text must draw something or nothing, never crash or hang.

#include <chrono>
#include <limits>
#include <random>

#include "render_test_support.h"
#include "swf/render/morph.h"

namespace swf::render::test {
namespace {

std::vector<ShapeRecord> randomRecords(std::mt19937& random, int count, double range)
{
    std::uniform_real_distribution<double> coordinate(-range, range);
    std::uniform_int_distribution<int> kind(0, 9), index(0, 5);
    std::vector<ShapeRecord> records;
    for (int i = 0; i < count; ++i) {
        const int k = kind(random);
        if (k < 2) {
            StyleChange c = moveSelect(std::round(coordinate(random)), std::round(coordinate(random)),
                                       std::uint32_t(index(random)), std::uint32_t(index(random)),
                                       std::uint32_t(index(random)));
            if (k == 0 && index(random) == 0) {
                c.hasNewStyles = true;
                c.newFills = {solid(kRed), solid({0, 0, 255, 128})};
                c.newLines = {line(std::uint16_t(index(random) * 40), kBlack)};
            }
            records.push_back(c);
        } else if (k < 6) {
            records.push_back(lineTo(std::round(coordinate(random)), std::round(coordinate(random))));
        } else {
            records.push_back(curveTo(std::round(coordinate(random)), std::round(coordinate(random)),
                                      std::round(coordinate(random)), std::round(coordinate(random))));
        }
    }
    return records;
}

TEST(Robustness, RandomShapesDrawWithoutFailing)
{
    std::mt19937 random(1234);
    const auto started = std::chrono::steady_clock::now();
    for (int round = 0; round < 60; ++round) {
        const double range = round % 3 == 0 ? 1e6 : 800;
        FillStyle gradient;
        gradient.kind = FillStyle::Kind::RadialGradient;
        gradient.gradient.stops = {{0, kRed}, {255, kBlue}};
        gradient.matrix = {0, 0, 0, 0, 0, 0};  // degenerate gradient matrix
        FillStyle bitmap;
        bitmap.kind = FillStyle::Kind::Bitmap;
        bitmap.bitmapId = 9;
        bitmap.bitmapRepeat = round % 2 == 0;
        bitmap.matrix = {1e-9, 0, 0, 1e9, 0, 0};
        ShapeDefinition shape = shapeOf({solid(kGreen), gradient, bitmap}, {line(0, kBlack), line(65535, kRed)},
                                        randomRecords(random, 80, range), round % 2 == 1);
        Canvas canvas(32, 32);
        canvas.resources.bitmaps[9] = Bitmap{1, 1, {0xff00ff00u}, true};
        canvas.ctx().drawShape(shape, {}, {});
        canvas.ctx().drawShape(shape, {1e6, 0, 0, -1e6, 5, 5}, {});
        canvas.ctx().drawShape(shape, {0, 0, 0, 0, 0, 0}, {});  // zero scale draws nothing
        canvas.finish();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST(Robustness, NonFiniteValuesAreRefusedQuietly)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 400, 400, 0, 1, 1);
    const ShapeDefinition shape = shapeOf({solid(kRed)}, {line(20, kBlack)}, r);
    Canvas canvas(20, 20);
    canvas.ctx().drawShape(shape, {nan, 0, 0, 1, 0, 0}, {});
    canvas.ctx().drawShape(shape, {inf, 0, 0, inf, 0, 0}, {});
    ColorTransform bad;
    bad.rMult = nan;
    bad.gAdd = inf;
    canvas.ctx().drawShape(shape, {}, bad);
    const QImage& img = canvas.finish();
    // Non-finite matrices draw nothing; a NaN multiplier clamps to 0 and an infinite add to 255.
    EXPECT_TRUE(near(img.pixel(10, 10), {0, 255, 0, 255}));
}

TEST(Robustness, MismatchedMorphListsAndEmptyBits)
{
    std::mt19937 random(99);
    for (int round = 0; round < 30; ++round) {
        MorphShapeDefinition m;
        m.fills = {{solid(kRed), solid(kBlue)}};
        m.lines = {{line(20, kBlack), line(400, kRed)}};
        m.startRecords = randomRecords(random, 40, 800);
        m.endRecords = randomRecords(random, round % 5 * 10, 800);
        Canvas canvas(24, 24);
        for (std::uint16_t ratio : {0, 1000, 32768, 65535}) canvas.ctx().drawMorphShape(m, ratio, {}, {});
        canvas.finish();
    }
    Canvas canvas(10, 10);
    canvas.ctx().drawBitmap(Bitmap{}, {}, {});
    canvas.ctx().drawBitmap(Bitmap{100, 100, {1, 2, 3}, true}, {}, {});  // too few pixels
    StaticTextDefinition text;
    TextRecord rec;
    rec.fontId = 77;  // no such font
    rec.height = 200;
    rec.glyphs = {{5, 10}, {9999, 10}};
    text.records = {rec};
    canvas.ctx().drawStaticText(text, {}, {});
    canvas.resources.fonts[1] = FontDefinition{};
    rec.fontId = 1;
    text.records = {rec};
    canvas.ctx().drawStaticText(text, {}, {});  // glyph indices beyond an empty font
    EditTextDefinition field;
    field.bounds = {0, 0, 0, 0};
    field.fontId = 1;
    field.useOutlines = true;
    TextFieldState state = TextFieldState::fromDefinition(field);
    state.text = std::string(2000, 'x') + "\n\n\t\t<";
    state.wordWrap = true;
    state.scroll = -5;
    canvas.ctx().drawEditText(field, state, {}, {});
    state.embedFonts = false;
    state.scroll = 100000;
    canvas.ctx().drawEditText(field, state, {}, {});
    const QImage& img = canvas.finish();
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace swf::render::test
