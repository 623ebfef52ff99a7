// make_samples: writes the sample movies of samples/ (so that a fresh checkout has something to
// play) with the project's SWF writer.
//   build/bin/make_samples samples/

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>

#include <QGuiApplication>

#include "glyphs.h"
#include "shapes.h"
#include "support/swf_writer.h"

namespace {

using namespace samples;
using swf::writer::MovieWriter;
using swf::writer::SpriteTags;

constexpr double kPi = std::numbers::pi;

swf::Matrix transform(double x, double y, double scale = 1, double angle = 0)
{
    return {scale * std::cos(angle), scale * std::sin(angle), -scale * std::sin(angle), scale * std::cos(angle), x, y};
}

swf::PlaceObject placement(std::uint16_t depth, std::optional<std::uint16_t> character, swf::Matrix m)
{
    swf::PlaceObject p;
    p.placeVersion = 2;
    p.depth = depth;
    p.move = !character;
    p.characterId = character;
    p.matrix = m;
    return p;
}

// Night sky, a glowing moon, bubbles with focal highlights, a turning star and rolling hills.
swf::writer::Bytes gradientScene()
{
    constexpr int kFrames = 48;
    MovieWriter m(8, {0, 11000, 0, 8000}, 24);
    m.setBackground({12, 16, 40, 255});
    m.shape(shape(1,
                  {linearGradient({{0, {10, 14, 48, 255}}, {150, {60, 40, 110, 255}}, {255, {240, 130, 90, 255}}},
                                  gradientBox(5500, 4000, 4000, kPi / 2))},
                  {}, rectangle(0, 0, 11000, 8000)));
    m.shape(shape(2,
                  {radialGradient({{0, {255, 250, 220, 255}}, {110, {255, 220, 120, 255}}, {140, {255, 170, 80, 120}},
                                   {255, {255, 120, 60, 0}}},
                                  gradientBox(0, 0, 1800))},
                  {}, circle(0, 0, 1800)));
    m.shape(shape(3,
                  {radialGradient({{0, {255, 255, 255, 230}}, {90, {160, 230, 255, 120}}, {255, {40, 140, 220, 60}}},
                                  gradientBox(0, 0, 600), -0.6)},
                  {line(20, {200, 240, 255, 160})}, circle(0, 0, 600, 1)));
    m.shape(shape(4,
                  {linearGradient({{0, {255, 230, 90, 255}}, {255, {250, 110, 40, 255}}}, gradientBox(0, 0, 300),
                                  swf::SpreadMode::Reflect)},
                  {line(40, {255, 255, 200, 255})}, star(0, 0, 900, 380, 5, 0, 1)));
    m.shape(shape(5,
                  {linearGradient({{0, {70, 160, 90, 255}}, {255, {10, 50, 30, 255}}},
                                  gradientBox(5500, 7000, 1400, kPi / 2))},
                  {}, hill(-200, 11200, 6200, 300, 8200, 6)));

    m.place(1, 1);
    m.place(placement(2, 2, transform(8200, 1900)));
    m.place(placement(20, 5, transform(0, 0)));
    struct Bubble {
        double x, y, speed, scale;
    };
    const Bubble bubbles[] = {{1500, 6500, 1.0, 0.8}, {3200, 7000, 1.3, 0.5}, {5200, 6800, 0.8, 1.0},
                              {7400, 7200, 1.1, 0.6}, {9300, 6900, 0.9, 0.7}};
    for (int f = 0; f < kFrames; ++f) {
        const double t = static_cast<double>(f) / kFrames;
        const double pulse = 1 + 0.06 * std::sin(2 * kPi * t * 2);
        m.place(placement(2, f == 0 ? std::optional<std::uint16_t>(2) : std::nullopt, transform(8200, 1900, pulse)));
        for (int b = 0; b < 5; ++b) {
            const Bubble& bubble = bubbles[b];
            const double rise = std::fmod(t * bubble.speed + b * 0.21, 1.0);
            const double x = bubble.x + 500 * std::sin(2 * kPi * (rise * 2 + b * 0.3));
            const double y = bubble.y - rise * 7000;
            m.place(placement(static_cast<std::uint16_t>(10 + b), f == 0 ? std::optional<std::uint16_t>(3) : std::nullopt,
                              transform(x, y, bubble.scale * (0.6 + 0.4 * rise))));
        }
        m.place(placement(30, f == 0 ? std::optional<std::uint16_t>(4) : std::nullopt,
                          transform(2400, 2200, 1 + 0.15 * std::sin(2 * kPi * t), 2 * kPi * t / 5)));
        m.showFrame();
    }
    return m.build(swf::Compression::Zlib);
}

// A star that blossoms into a round flower and back, with a turning shadow copy.
swf::writer::Bytes morphScene()
{
    constexpr int kFrames = 60;
    constexpr int kPoints = 12;
    MovieWriter m(8, {0, 8000, 0, 8000}, 24);
    m.setBackground({250, 246, 236, 255});
    swf::MorphShapeDefinition morph;
    morph.id = 1;
    morph.morphVersion = 1;
    auto outline = [&](double outer, double inner, double turn) { return star(0, 0, outer, inner, kPoints, turn, 1); };
    morph.startRecords = outline(3000, 1100, 0);
    Records end = outline(2600, 2400, kPi / kPoints);
    for (auto& r : end)
        if (auto* c = std::get_if<swf::StyleChange>(&r)) {
            swf::StyleChange move;
            move.hasMove = true;
            move.moveTo = c->moveTo;
            r = move;
        }
    morph.endRecords = end;
    morph.startBounds = morph.startEdgeBounds = boundsOf(morph.startRecords, 100);
    morph.endBounds = morph.endEdgeBounds = boundsOf(morph.endRecords, 100);
    swf::MorphFillStyle fill;
    fill.start = radialGradient({{0, {255, 255, 255, 255}}, {80, {90, 200, 220, 255}}, {255, {20, 80, 160, 255}}},
                                gradientBox(0, 0, 3000));
    fill.end = radialGradient({{0, {255, 250, 200, 255}}, {120, {255, 170, 60, 255}}, {255, {210, 50, 80, 255}}},
                              gradientBox(0, 0, 2600));
    morph.fills = {fill};
    morph.lines = {swf::MorphLineStyle{line(60, {20, 60, 120, 255}), line(160, {140, 20, 60, 255})}};
    m.morphShape(morph);
    for (int f = 0; f < kFrames; ++f) {
        const double t = static_cast<double>(f) / kFrames;
        const auto ratio = static_cast<std::uint16_t>(std::lround(65535 * (0.5 - 0.5 * std::cos(2 * kPi * t))));
        swf::PlaceObject shadow = placement(1, f == 0 ? std::optional<std::uint16_t>(1) : std::nullopt,
                                            transform(4200, 4300, 1.0, -2 * kPi * t / kPoints));
        shadow.ratio = ratio;
        shadow.colorTransform = swf::ColorTransform{0, 0, 0, 0.25, 40, 30, 20, 0};
        m.place(shadow);
        swf::PlaceObject flower = placement(2, f == 0 ? std::optional<std::uint16_t>(1) : std::nullopt,
                                            transform(4000, 4000, 1.0, 2 * kPi * t / kPoints));
        flower.ratio = ratio;
        m.place(flower);
        m.showFrame();
    }
    return m.build(swf::Compression::Zlib);
}

// A generated picture turning in a frame, and a title in an embedded font fading in.
swf::writer::Bytes textAndBitmapScene()
{
    constexpr int kFrames = 36;
    MovieWriter m(8, {0, 9600, 0, 6400}, 12);
    m.setBackground({24, 26, 32, 255});
    swf::writer::Image picture{160, 160, {}};
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x) {
            const double v = std::sin(x / 13.0) + std::sin(y / 9.0) + std::sin((x + y) / 17.0) +
                             std::sin(std::hypot(x - 80, y - 80) / 11.0);
            auto channel = [&](double phase) {
                return static_cast<std::uint32_t>(127.5 + 127.5 * std::sin(v * kPi / 2 + phase));
            };
            picture.argb.push_back(0xff000000u | channel(0) << 16 | channel(2.1) << 8 | channel(4.2));
        }
    m.losslessBitmap(1, picture, 2);
    swf::FillStyle bitmapFill;
    bitmapFill.kind = swf::FillStyle::Kind::Bitmap;
    bitmapFill.bitmapId = 1;
    bitmapFill.bitmapRepeat = false;
    bitmapFill.matrix = {20, 0, 0, 20, -1600, -1600};
    m.shape(shape(2, {bitmapFill}, {line(80, {240, 240, 250, 255})}, rectangle(-1600, -1600, 3200, 3200, 1)));
    SpriteTags turning(8);
    turning.place(2, 1).showFrame();
    for (int f = 1; f < kFrames; ++f) {
        turning.place(placement(1, std::nullopt, transform(0, 0, 1, 2 * kPi * f / kFrames))).showFrame();
    }
    m.sprite(3, turning);

    const QString title = QStringLiteral("Vantoro");
    const QString subtitle = QStringLiteral("vector, text and bitmaps");
    const swf::FontDefinition font = embeddedFont(4, QStringLiteral("DejaVu Sans"), true, title + subtitle);
    m.font(font);
    m.text(textLine(5, font, title, 900, {255, 214, 120, 255}, 0, 0));
    m.text(textLine(6, font, subtitle, 290, {190, 200, 230, 255}, 0, 0));

    m.place(placement(1, 3, transform(2600, 3200)));
    for (int f = 0; f < kFrames; ++f) {
        const double fade = std::min(1.0, f / 12.0);
        swf::PlaceObject t1 = placement(2, f == 0 ? std::optional<std::uint16_t>(5) : std::nullopt,
                                        transform(5000, 3000 - 200 * fade));
        t1.colorTransform = swf::ColorTransform{1, 1, 1, fade, 0, 0, 0, 0};
        m.place(t1);
        swf::PlaceObject t2 = placement(3, f == 0 ? std::optional<std::uint16_t>(6) : std::nullopt,
                                        transform(5040, 3750));
        t2.colorTransform = swf::ColorTransform{1, 1, 1, std::clamp(fade * 1.5 - 0.5, 0.0, 1.0), 0, 0, 0, 0};
        m.place(t2);
        m.showFrame();
    }
    return m.build(swf::Compression::Zlib);
}

void write(const std::filesystem::path& path, const swf::writer::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTPUT_FOLDER\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);  // fonts
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        write(folder / "gradient_night.swf", gradientScene());
        write(folder / "blossom_morph.swf", morphScene());
        write(folder / "text_and_bitmap.swf", textAndBitmapScene());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
