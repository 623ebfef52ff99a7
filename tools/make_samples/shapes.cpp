#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <variant>

namespace samples {
namespace {

// Whole twips: the file stores edges as whole-twip steps, so fractional positions would drift
// and leave outlines open.
swf::Point pt(double x, double y) { return {std::round(x), std::round(y)}; }

}  // namespace

swf::StyleChange startContour(double x, double y, std::uint32_t line)
{
    swf::StyleChange c;
    c.hasMove = true;
    c.moveTo = pt(x, y);
    c.hasFill0 = true;
    c.fill0 = 1;
    c.hasFill1 = true;
    c.fill1 = 0;
    c.hasLine = true;
    c.line = line;
    return c;
}

Records circle(double cx, double cy, double r, std::uint32_t line)
{
    // Eight quadratic arcs: the control point of each sits on the tangents' crossing.
    Records out{startContour(cx + r, cy, line)};
    const double step = std::numbers::pi / 4;
    const double controlRadius = r / std::cos(step / 2);
    for (int i = 0; i < 8; ++i) {
        const double mid = (i + 0.5) * step, end = (i + 1) * step;
        out.push_back(swf::CurvedEdge{pt(cx + controlRadius * std::cos(mid), cy + controlRadius * std::sin(mid)),
                                      pt(cx + r * std::cos(end), cy + r * std::sin(end))});
    }
    return out;
}

Records rectangle(double x, double y, double w, double h, std::uint32_t line)
{
    return {startContour(x, y, line), swf::StraightEdge{pt(x + w, y)}, swf::StraightEdge{pt(x + w, y + h)},
            swf::StraightEdge{pt(x, y + h)}, swf::StraightEdge{pt(x, y)}};
}

Records star(double cx, double cy, double outer, double inner, int points, double turn, std::uint32_t line)
{
    Records out;
    for (int i = 0; i <= 2 * points; ++i) {
        const double a = turn + i * std::numbers::pi / points - std::numbers::pi / 2;
        const double r = i % 2 ? inner : outer;
        const swf::Point p = pt(cx + r * std::cos(a), cy + r * std::sin(a));
        if (i == 0)
            out.push_back(startContour(p.x, p.y, line));
        else
            out.push_back(swf::StraightEdge{p});
    }
    return out;
}

Records hill(double x0, double x1, double top, double amplitude, double bottom, int waves)
{
    Records out{startContour(x0, bottom)};
    out.push_back(swf::StraightEdge{pt(x0, top)});
    const double width = (x1 - x0) / waves;
    for (int i = 0; i < waves; ++i) {
        const double xs = x0 + i * width;
        const double sign = i % 2 ? 1 : -1;
        out.push_back(swf::CurvedEdge{pt(xs + width / 2, top + 2 * sign * amplitude), pt(xs + width, top)});
    }
    out.push_back(swf::StraightEdge{pt(x1, bottom)});
    out.push_back(swf::StraightEdge{pt(x0, bottom)});
    return out;
}

swf::FillStyle solid(swf::Rgba color)
{
    swf::FillStyle f;
    f.color = color;
    return f;
}

swf::LineStyle line(std::uint16_t widthTwips, swf::Rgba color)
{
    swf::LineStyle l;
    l.width = widthTwips;
    l.color = color;
    return l;
}

swf::FillStyle linearGradient(std::vector<swf::GradientStop> stops, swf::Matrix m, swf::SpreadMode spread)
{
    swf::FillStyle f;
    f.kind = swf::FillStyle::Kind::LinearGradient;
    f.matrix = m;
    f.gradient.stops = std::move(stops);
    f.gradient.spread = spread;
    return f;
}

swf::FillStyle radialGradient(std::vector<swf::GradientStop> stops, swf::Matrix m, double focal)
{
    swf::FillStyle f = linearGradient(std::move(stops), m);
    f.kind = focal != 0 ? swf::FillStyle::Kind::FocalGradient : swf::FillStyle::Kind::RadialGradient;
    f.gradient.focalPoint = focal;
    return f;
}

swf::Matrix gradientBox(double cx, double cy, double r, double angle)
{
    const double s = r / 16384.0;
    return {s * std::cos(angle), s * std::sin(angle), -s * std::sin(angle), s * std::cos(angle), cx, cy};
}

swf::Rect boundsOf(const Records& records, double margin)
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    auto add = [&](swf::Point p) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    };
    for (const swf::ShapeRecord& r : records) {
        if (const auto* c = std::get_if<swf::StyleChange>(&r); c && c->hasMove) add(c->moveTo);
        if (const auto* e = std::get_if<swf::StraightEdge>(&r)) add(e->to);
        if (const auto* e = std::get_if<swf::CurvedEdge>(&r)) add(e->control), add(e->to);
    }
    return {static_cast<std::int32_t>(std::floor(x0 - margin)), static_cast<std::int32_t>(std::ceil(x1 + margin)),
            static_cast<std::int32_t>(std::floor(y0 - margin)), static_cast<std::int32_t>(std::ceil(y1 + margin))};
}

swf::ShapeDefinition shape(std::uint16_t id, std::vector<swf::FillStyle> fills, std::vector<swf::LineStyle> lines,
                           const Records& records, int version)
{
    swf::ShapeDefinition s;
    s.id = id;
    s.shapeVersion = version;
    double widest = 0;
    for (const auto& l : lines) widest = std::max<double>(widest, l.width);
    s.bounds = boundsOf(records, widest / 2);
    s.edgeBounds = boundsOf(records, 0);
    s.shape.fills = std::move(fills);
    s.shape.lines = std::move(lines);
    s.shape.records = records;
    return s;
}

}  // namespace samples
