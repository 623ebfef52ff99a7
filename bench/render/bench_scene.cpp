#include "bench_scene.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace swf::render::bench {

namespace {

StyleChange edgeStyle(Point at, std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
{
    StyleChange c;
    c.hasMove = c.hasFill0 = c.hasFill1 = c.hasLine = true;
    c.moveTo = at;
    c.fill0 = fill0, c.fill1 = fill1, c.line = line;
    return c;
}

}  // namespace

ShapeDefinition complexShape(int columns, int rows)
{
    ShapeDefinition d;
    d.id = 1;
    d.shapeVersion = 3;
    const double cw = 11000.0 / columns, ch = 8000.0 / rows;
    std::mt19937 random(42);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int i = 0; i < columns * rows; ++i) {
        FillStyle f;
        f.color = {std::uint8_t(channel(random)), std::uint8_t(channel(random)), std::uint8_t(channel(random)), 255};
        d.shape.fills.push_back(f);
    }
    LineStyle l;
    l.width = 30;
    l.color = {20, 20, 20, 255};
    d.shape.lines.push_back(l);
    auto cell = [&](int c, int r) -> std::uint32_t {
        if (c < 0 || r < 0 || c >= columns || r >= rows) return 0;
        return std::uint32_t(r * columns + c + 1);
    };
    // Integer grid points with a wobble, so that shared corners are exactly equal.
    auto corner = [&](int c, int r) {
        const double wob = (c > 0 && c < columns && r > 0 && r < rows) ? 60 * std::sin(c * 1.7 + r * 2.3) : 0;
        return Point{std::round(c * cw + wob), std::round(r * ch - wob)};
    };
    std::vector<std::vector<ShapeRecord>> edges;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < columns; ++c) {  // horizontal borders, running right
            const Point a = corner(c, r), b = corner(c + 1, r);
            const Point ctl{std::round((a.x + b.x) / 2), std::round((a.y + b.y) / 2 + ((c + r) % 2 ? 90 : -90))};
            // Going right, the right-hand side is below: the cell of row r.
            edges.push_back({edgeStyle(a, cell(c, r - 1), cell(c, r), 1), CurvedEdge{ctl, b}});
        }
    for (int c = 0; c <= columns; ++c)
        for (int r = 0; r < rows; ++r) {  // vertical borders, running down
            const Point a = corner(c, r), b = corner(c, r + 1);
            const Point ctl{std::round((a.x + b.x) / 2 + ((c + r) % 2 ? 90 : -90)), std::round((a.y + b.y) / 2)};
            // Going down, the right-hand side is to the left: the cell of column c - 1.
            edges.push_back({edgeStyle(a, cell(c, r), cell(c - 1, r), 1), CurvedEdge{ctl, b}});
        }
    std::shuffle(edges.begin(), edges.end(), random);
    for (auto& e : edges) d.shape.records.insert(d.shape.records.end(), e.begin(), e.end());
    d.bounds = {0, 11000, 0, 8000};
    d.edgeBounds = d.bounds;
    return d;
}

ShapeDefinition gradientShape(FillStyle::Kind kind, int stops)
{
    ShapeDefinition d;
    d.id = 2;
    FillStyle f;
    f.kind = kind;
    for (int i = 0; i < stops; ++i)
        f.gradient.stops.push_back({std::uint8_t(i * 255 / std::max(1, stops - 1)),
                                    {std::uint8_t(i * 40), std::uint8_t(255 - i * 30), std::uint8_t(i * 90), 255}});
    f.gradient.focalPoint = 0.4;
    const double s = 11000 / 32768.0;
    f.matrix = {s, 0, 0, s, 5500, 4000};
    d.shape.fills = {f};
    d.shape.records = {edgeStyle({0, 0}, 0, 1, 0), StraightEdge{{11000, 0}}, StraightEdge{{11000, 8000}},
                       StraightEdge{{0, 8000}}, StraightEdge{{0, 0}}};
    d.bounds = d.edgeBounds = {0, 11000, 0, 8000};
    return d;
}

FontDefinition roundFont()
{
    FontDefinition f;
    f.id = 1;
    f.fontVersion = 3;
    f.emSquare = 20480;
    f.hasLayout = true;
    f.ascent = 18000;
    f.descent = 4000;
    for (int g = 0; g < 26; ++g) {
        // An 'o' with a counter: outer ring clockwise (fill1), inner counter-clockwise.
        const double cx = 9000, cy = -7000, ro = 7000 + g * 40, ri = 4000;
        std::vector<ShapeRecord> rec;
        auto ring = [&](double rad, bool outer) {
            const int n = 8;
            StyleChange s;
            s.hasMove = s.hasFill0 = s.hasFill1 = true;
            s.moveTo = {std::round(cx + rad), cy};
            s.fill0 = outer ? 0 : 1;
            s.fill1 = outer ? 1 : 0;
            rec.push_back(s);
            for (int k = 1; k <= n; ++k) {
                const double a0 = 2 * M_PI * (k - 1) / n, a1 = 2 * M_PI * k / n, am = (a0 + a1) / 2;
                const double rc = rad / std::cos(M_PI / n);
                const Point to{std::round(cx + rad * std::cos(a1)), std::round(cy + rad * std::sin(a1))};
                rec.push_back(CurvedEdge{{std::round(cx + rc * std::cos(am)), std::round(cy + rc * std::sin(am))},
                                         k == n ? Point{std::round(cx + rad), cy} : to});
            }
        };
        ring(ro, true);
        ring(ri, false);
        f.glyphs.push_back(rec);
        f.codes.push_back(char16_t(u'a' + g));
        f.advances.push_back(18500);
    }
    return f;
}

StaticTextDefinition paragraph(int lines, int glyphsPerLine)
{
    StaticTextDefinition t;
    t.id = 3;
    t.bounds = {0, 11000, 0, 8000};
    for (int l = 0; l < lines; ++l) {
        TextRecord r;
        r.fontId = 1;
        r.height = 240;
        r.color = Rgba{0, 0, 80, 255};
        r.x = 200;
        r.y = std::int16_t(300 + l * 280);
        for (int g = 0; g < glyphsPerLine; ++g) r.glyphs.push_back({std::uint32_t((l + g) % 26), 220});
        t.records.push_back(r);
    }
    return t;
}

Bitmap photoBitmap(int width, int height)
{
    Bitmap b;
    b.width = width, b.height = height;
    b.pixels.resize(std::size_t(width) * std::size_t(height));
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const std::uint32_t n = (noise >> 16) & 31;
            const std::uint32_t r = std::min<std::uint32_t>(255, std::uint32_t(x * 255 / width) + n);
            const std::uint32_t g = std::min<std::uint32_t>(255, std::uint32_t(y * 255 / height) + n);
            const std::uint32_t bl = std::min<std::uint32_t>(255, 128 + n * 2);
            b.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 0xff000000u | r << 16 | g << 8 | bl;
        }
    return b;
}

ShapeDefinition bitmapShape(std::uint16_t id, int bitmapWidth, int bitmapHeight)
{
    ShapeDefinition d;
    d.shapeVersion = 3;
    d.bounds = {0, 11000, 0, 8000};
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapId = id;
    f.bitmapRepeat = false;
    f.matrix = {11000.0 / bitmapWidth, 0, 0, 8000.0 / bitmapHeight, 0, 0};
    d.shape.fills.push_back(f);
    StyleChange start;
    start.hasMove = start.hasFill1 = true;
    start.fill1 = 1;
    d.shape.records = {start, StraightEdge{{11000, 0}}, StraightEdge{{11000, 8000}}, StraightEdge{{0, 8000}},
                       StraightEdge{{0, 0}}};
    return d;
}

}  // namespace swf::render::bench
