#pragma once
// Shared helpers of the renderer tests: shape records built by hand, a resource table, a
// canvas to draw into and pixel comparisons.

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/render/render_cache.h"
#include "swf/render/render_context.h"
#include "swf/render/resources.h"

namespace swf::render::test {

class TestResources : public RenderResources {
public:
    std::map<std::uint16_t, Bitmap> bitmaps;
    std::map<std::uint16_t, FontDefinition> fonts;
    int version = 8;

    const Bitmap* bitmap(std::uint16_t id) const override
    {
        auto it = bitmaps.find(id);
        return it == bitmaps.end() ? nullptr : &it->second;
    }
    const FontDefinition* font(std::uint16_t id) const override
    {
        auto it = fonts.find(id);
        return it == fonts.end() ? nullptr : &it->second;
    }
    int swfVersion() const override { return version; }
    const FontDefinition* fontByName(const std::string& name, bool bold, bool italic) const override
    {
        const FontDefinition* any = nullptr;
        for (const auto& [id, f] : fonts) {
            if (f.name != name) continue;
            if (f.bold == bold && f.italic == italic) return &f;
            any = &f;
        }
        return any;
    }
};

inline StyleChange moveTo(double x, double y)
{
    StyleChange c;
    c.hasMove = true;
    c.moveTo = {x, y};
    return c;
}

inline StyleChange select(std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
{
    StyleChange c;
    c.hasFill0 = c.hasFill1 = c.hasLine = true;
    c.fill0 = fill0, c.fill1 = fill1, c.line = line;
    return c;
}

inline StyleChange moveSelect(double x, double y, std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
{
    StyleChange c = select(fill0, fill1, line);
    c.hasMove = true;
    c.moveTo = {x, y};
    return c;
}

inline ShapeRecord lineTo(double x, double y) { return StraightEdge{{x, y}}; }
inline ShapeRecord curveTo(double cx, double cy, double x, double y) { return CurvedEdge{{cx, cy}, {x, y}}; }

inline FillStyle solid(Rgba c)
{
    FillStyle f;
    f.color = c;
    return f;
}

inline LineStyle line(std::uint16_t width, Rgba c)
{
    LineStyle l;
    l.width = width;
    l.color = c;
    return l;
}

// A closed rectangle drawn clockwise (in y-down) from its top-left corner, as fill1 records.
inline void addRect(std::vector<ShapeRecord>& records, double x0, double y0, double x1, double y1,
                    std::uint32_t fill0, std::uint32_t fill1, std::uint32_t lineStyle = 0)
{
    records.push_back(moveSelect(x0, y0, fill0, fill1, lineStyle));
    records.push_back(lineTo(x1, y0));
    records.push_back(lineTo(x1, y1));
    records.push_back(lineTo(x0, y1));
    records.push_back(lineTo(x0, y0));
}

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};
constexpr Rgba kWhite{255, 255, 255, 255}, kBlack{0, 0, 0, 255};

// A canvas at one device pixel per stage pixel (20 twips), white.
struct Canvas {
    QImage image;
    TestResources resources;
    RenderCache cache;
    std::unique_ptr<RenderContext> context;

    explicit Canvas(int w = 40, int h = 40, RenderQuality quality = RenderQuality::High,
                    QTransform stageToDevice = QTransform::fromScale(1 / 20.0, 1 / 20.0))
        : image(w, h, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(Qt::white);
        context = std::make_unique<RenderContext>(image, stageToDevice, quality, cache, resources);
    }
    RenderContext& ctx() { return *context; }
    // Ends drawing (composites open layers) and gives the picture.
    const QImage& finish()
    {
        context.reset();
        return image;
    }
    QRgb at(int x, int y) { return finish().pixel(x, y); }
};

inline ShapeDefinition shapeOf(std::vector<FillStyle> fills, std::vector<LineStyle> lines,
                               std::vector<ShapeRecord> records, bool nonZero = false)
{
    ShapeDefinition d;
    d.shapeVersion = 4;
    d.nonZeroWinding = nonZero;
    d.shape.fills = std::move(fills);
    d.shape.lines = std::move(lines);
    d.shape.records = std::move(records);
    return d;
}

// Whether a pixel is within `tolerance` of a colour in every channel (alpha included).
inline ::testing::AssertionResult near(QRgb actual, Rgba expected, int tolerance = 3)
{
    const int d[4] = {qRed(actual) - expected.r, qGreen(actual) - expected.g, qBlue(actual) - expected.b,
                      qAlpha(actual) - expected.a};
    for (int v : d)
        if (std::abs(v) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << qRed(actual) << "," << qGreen(actual) << "," << qBlue(actual) << ","
                   << qAlpha(actual) << ") expected (" << int(expected.r) << "," << int(expected.g) << ","
                   << int(expected.b) << "," << int(expected.a) << ")";
    return ::testing::AssertionSuccess();
}

// Writes the picture for a person to look at when VANTORO_RENDER_PNG_DIR is set.
inline void dumpPng(const QImage& image, const std::string& name)
{
    if (const char* dir = std::getenv("VANTORO_RENDER_PNG_DIR")) image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

}  // namespace swf::render::test
