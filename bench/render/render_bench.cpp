// Renderer benchmarks: building and drawing a complex shape, gradient fills, glyph text and
// device text, at the two stage sizes the player is judged at. Set VANTORO_BENCH_PNG_DIR to
// write the pictures for a look.

#include <cstdlib>
#include <string>

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include "bench_scene.h"
#include "swf/render/render_cache.h"
#include "swf/render/render_context.h"
#include "swf/render/shape_geometry.h"
#include "swf/render/text_field.h"
#include "swf/render/viewport.h"

namespace swf::render::bench {
namespace {

const Rect kStage{0, 11000, 0, 8000};

void savePicture(const QImage& image, const std::string& name)
{
    if (const char* dir = std::getenv("VANTORO_BENCH_PNG_DIR"))
        image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

// Device fonts need a GUI application; the offscreen platform keeps it headless.
void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "render_bench";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
}

// Draws one frame with `draw` at the benchmark's size (args 0, 1); `setup` may add resources.
template <typename Draw, typename Setup = void (*)(BenchResources&)>
void frames(benchmark::State& state, const std::string& name, Draw draw, Setup setup = [](BenchResources&) {})
{
    ensureGuiApplication();
    const QSize size(int(state.range(0)), int(state.range(1)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    BenchResources resources;
    resources.fonts[1] = roundFont();
    setup(resources);
    RenderCache cache;
    const Viewport view = fitStage(kStage, size, StageScaleMode::ShowAll);
    for (auto _ : state) {
        RenderContext ctx(image, view.stageToDevice, RenderQuality::High, cache, resources);
        ctx.clear({255, 255, 255, 255});
        draw(ctx);
    }
    savePicture(image, name + "_" + std::to_string(size.width()));
}

void BM_BuildComplexShape(benchmark::State& state)
{
    const ShapeDefinition shape = complexShape(int(state.range(0)), int(state.range(1)));
    std::size_t paths = 0;
    for (auto _ : state) {
        const ShapeGeometry g = buildShapeGeometry(shape.shape, false);
        paths += g.layers.front().fillPaths.size();
    }
    benchmark::DoNotOptimize(paths);
    state.counters["edges"] = double(shape.shape.records.size() / 2);
}
BENCHMARK(BM_BuildComplexShape)->Args({20, 15})->Args({60, 40})->Unit(benchmark::kMillisecond);

void BM_DrawComplexShape(benchmark::State& state)
{
    const ShapeDefinition shape = complexShape(20, 15);
    frames(state, "complex_shape", [&](RenderContext& ctx) { ctx.drawShape(shape, {}, {}); });
}
BENCHMARK(BM_DrawComplexShape)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawComplexShapeFillsOnly(benchmark::State& state)
{
    ShapeDefinition shape = complexShape(20, 15);
    shape.shape.lines.clear();  // every line selection is then out of range: no strokes
    frames(state, "complex_fills", [&](RenderContext& ctx) { ctx.drawShape(shape, {}, {}); });
}
BENCHMARK(BM_DrawComplexShapeFillsOnly)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawGradient(benchmark::State& state)
{
    const ShapeDefinition radial = gradientShape(FillStyle::Kind::FocalGradient, 8);
    frames(state, "gradient", [&](RenderContext& ctx) { ctx.drawShape(radial, {}, {}); });
}
BENCHMARK(BM_DrawGradient)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawRadialGradient(benchmark::State& state)
{
    const ShapeDefinition radial = gradientShape(FillStyle::Kind::RadialGradient, 8);
    frames(state, "radial_gradient", [&](RenderContext& ctx) { ctx.drawShape(radial, {}, {}); });
}
BENCHMARK(BM_DrawRadialGradient)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawGlyphText(benchmark::State& state)
{
    const StaticTextDefinition text = paragraph(25, 48);  // 1200 glyphs
    frames(state, "glyph_text", [&](RenderContext& ctx) { ctx.drawStaticText(text, {}, {}); });
}
BENCHMARK(BM_DrawGlyphText)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawDeviceText(benchmark::State& state)
{
    EditTextDefinition field;
    field.bounds = {200, 10800, 200, 7800};
    field.fontHeight = 240;
    field.wordWrap = field.multiline = true;
    field.html = true;
    TextFieldState text = TextFieldState::fromDefinition(field);
    text.border = text.background = true;
    text.text = "<p align=\"center\"><font size=\"18\" color=\"#336699\"><b>Device text</b></font></p>";
    for (int i = 0; i < 12; ++i)
        text.text += "<p>The quick brown fox jumps over the lazy dog, 中文字体显示测试 <i>italic</i> and "
                     "<u>underlined</u> words wrap across the field.</p>";
    frames(state, "device_text", [&](RenderContext& ctx) { ctx.drawEditText(field, text, {}, {}); });
}
BENCHMARK(BM_DrawDeviceText)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawMaskedShape(benchmark::State& state)
{
    const ShapeDefinition shape = complexShape(20, 15);
    const ShapeDefinition mask = gradientShape(FillStyle::Kind::RadialGradient, 2);
    const Matrix small{0.5, 0, 0, 0.5, 2750, 2000};
    frames(state, "masked", [&](RenderContext& ctx) {
        ctx.beginMask();
        ctx.drawShape(mask, small, {});
        ctx.beginMaskedContent();
        ctx.drawShape(shape, {}, {});
        ctx.endMask();
    });
}
BENCHMARK(BM_DrawMaskedShape)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawManySmallMasks(benchmark::State& state)
{
    // Forty masked objects, each a small square window onto a gradient.
    const ShapeDefinition content = gradientShape(FillStyle::Kind::LinearGradient, 3);
    const ShapeDefinition window = gradientShape(FillStyle::Kind::RadialGradient, 2);
    frames(state, "many_masks", [&](RenderContext& ctx) {
        for (int i = 0; i < 40; ++i) {
            const Matrix place{0.06, 0, 0, 0.06, 250.0 * (i % 8) * 5, 1500.0 * (i / 8)};
            ctx.beginMask();
            ctx.drawShape(window, place, {});
            ctx.beginMaskedContent();
            ctx.drawShape(content, {}, {});
            ctx.endMask();
        }
    });
}
BENCHMARK(BM_DrawManySmallMasks)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawThickStrokes(benchmark::State& state)
{
    // Outlines as cartoons draw them: every border stroked wide with round joins and caps.
    ShapeDefinition shape = complexShape(20, 15);
    for (LineStyle& line : shape.shape.lines) line.width = 160;
    frames(state, "thick_strokes", [&](RenderContext& ctx) { ctx.drawShape(shape, {}, {}); });
}
BENCHMARK(BM_DrawThickStrokes)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

// Stroke outlines are kept per linear transform: a shape that moves reuses them, one that
// scales every frame has them built anew (the cost the cache saves).
void BM_DrawMovingStrokes(benchmark::State& state)
{
    ShapeDefinition shape = complexShape(20, 15);
    for (LineStyle& line : shape.shape.lines) line.width = 160;
    int frame = 0;
    frames(state, "moving_strokes", [&](RenderContext& ctx) {
        ++frame;
        ctx.drawShape(shape, {1, 0, 0, 1, double(frame % 40) * 7.5, double(frame % 30) * 3.25}, {});
    });
}
BENCHMARK(BM_DrawMovingStrokes)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawScalingStrokes(benchmark::State& state)
{
    ShapeDefinition shape = complexShape(20, 15);
    for (LineStyle& line : shape.shape.lines) line.width = 160;
    int frame = 0;
    frames(state, "scaling_strokes", [&](RenderContext& ctx) {
        const double scale = 0.9 + 0.001 * double(++frame % 100);
        ctx.drawShape(shape, {scale, 0, 0, scale, 0, 0}, {});
    });
}
BENCHMARK(BM_DrawScalingStrokes)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawTintedBitmap(benchmark::State& state)
{
    // A smoothed full-stage bitmap fill under a colour transform that changes every frame.
    const ShapeDefinition shape = bitmapShape(7, 640, 480);
    int frame = 0;
    frames(
        state, "tinted_bitmap",
        [&](RenderContext& ctx) {
            ColorTransform tint;
            tint.rMult = 0.5 + (frame++ % 50) / 100.0;
            tint.bAdd = 30;
            ctx.drawShape(shape, {}, tint);
        },
        [](BenchResources& resources) { resources.bitmaps[7] = photoBitmap(640, 480); });
}
BENCHMARK(BM_DrawTintedBitmap)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_DrawBlurredGroup(benchmark::State& state)
{
    // The complex shape blurred as a whole, a blur that grows with the stage scale.
    const ShapeDefinition shape = complexShape(20, 15);
    const std::vector<Filter> blur{BlurFilter{16, 16, 2}};
    frames(state, "blurred_group", [&](RenderContext& ctx) {
        ctx.beginGroup();
        ctx.drawShape(shape, {}, {});
        ctx.endGroup(BlendMode::Normal, blur, ctx.filterScaleFor());
    });
}
BENCHMARK(BM_DrawBlurredGroup)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace swf::render::bench

BENCHMARK_MAIN();
