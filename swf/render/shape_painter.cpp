#include "swf/render/shape_painter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include <QPainterPathStroker>

#include "swf/render/color.h"
#include "swf/render/span_paint.h"

namespace swf::render {

namespace {

Qt::PenCapStyle qtCap(CapStyle cap)
{
    switch (cap) {
    case CapStyle::None: return Qt::FlatCap;
    case CapStyle::Square: return Qt::SquareCap;
    case CapStyle::Round: break;
    }
    return Qt::RoundCap;
}

Qt::PenJoinStyle qtJoin(JoinStyle join)
{
    switch (join) {
    case JoinStyle::Bevel: return Qt::BevelJoin;
    case JoinStyle::Miter: return Qt::SvgMiterJoin;
    case JoinStyle::Round: break;
    }
    return Qt::RoundJoin;
}

// Direction of travel at a path element, from the neighbouring distinct point.
QPointF unitDirection(QPointF from, QPointF to)
{
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    return len > 0 ? d / len : QPointF(1, 0);
}

// Cap outlines for the open subpaths of `path` (device pixels), for strokes whose two ends take
// different caps: the stroke itself is drawn with flat ends and these are added.
QPainterPath capOutlines(const QPainterPath& path, double width, CapStyle startCap, CapStyle endCap)
{
    QPainterPath caps;
    caps.setFillRule(Qt::WindingFill);
    const double r = width / 2;
    auto addCap = [&](QPointF at, QPointF outward, CapStyle cap) {
        if (cap == CapStyle::Round) {
            caps.addEllipse(at, r, r);
        } else if (cap == CapStyle::Square) {
            const QPointF n(-outward.y() * r, outward.x() * r);
            const QPointF o = outward * r;
            QPolygonF square({at + n, at + n + o, at - n + o, at - n, at + n});
            caps.addPolygon(square);
        }
    };
    const int count = path.elementCount();
    int begin = 0;
    while (begin < count) {
        int end = begin + 1;
        while (end < count && !path.elementAt(end).isMoveTo()) ++end;
        const int last = end - 1;
        if (last > begin) {
            const QPointF first = path.elementAt(begin), second = path.elementAt(begin + 1);
            const QPointF lastPoint = path.elementAt(last), beforeLast = path.elementAt(last - 1);
            // The stroker treats a subpath that ends where it starts as closed (no caps).
            if (first != lastPoint) {
                addCap(first, unitDirection(second, first), startCap);
                addCap(lastPoint, unitDirection(beforeLast, lastPoint), endCap);
            }
        }
        begin = end;
    }
    return caps;
}

// Pixel hinting: anchors snap to the pixel grid so that a line of whole-pixel width covers whole
// pixels (odd widths sit on pixel centres, even widths on pixel edges).
QPainterPath hinted(QPainterPath path, double width)
{
    const bool odd = (std::lround(width) % 2) != 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        auto snap = [odd](double v) { return odd ? std::floor(v) + 0.5 : std::round(v); };
        path.setElementPositionAt(i, snap(e.x), snap(e.y));
    }
    return path;
}

FillStyle solidFill(Rgba color)
{
    FillStyle fill;
    fill.color = color;
    return fill;
}

}  // namespace

QTransform toQTransform(const Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

double deviceStrokeWidth(const LineStyle& line, const QTransform& toDevice)
{
    const double scaleX = std::hypot(toDevice.m11(), toDevice.m12());
    const double scaleY = std::hypot(toDevice.m21(), toDevice.m22());
    double scale = (scaleX + scaleY) / 2;
    if (line.noHScale && line.noVScale)
        scale = 1.0 / 20;  // twips to pixels, whatever the transform
    else if (line.noHScale)
        scale = scaleY;
    else if (line.noVScale)
        scale = scaleX;
    const double width = line.width * scale;
    return std::isfinite(width) ? std::max(1.0, width) : 1.0;
}

QPainterPath strokeOutline(const StrokePath& stroke, const LineStyle& line, const QTransform& toDevice)
{
    const double width = deviceStrokeWidth(line, toDevice);
    const bool sameCaps = line.startCap == line.endCap;
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(sameCaps ? qtCap(line.startCap) : Qt::FlatCap);
    stroker.setJoinStyle(qtJoin(line.join));
    stroker.setMiterLimit(std::max(1.0, line.miterLimit));
    QPainterPath device = toDevice.map(stroke.path);
    if (line.pixelHinting) device = hinted(device, width);
    QPainterPath outline = stroker.createStroke(device);
    // Ends with different caps: the stroke has flat ends and each end gets its own cap.
    if (!sameCaps) outline.addPath(capOutlines(device, width, line.startCap, line.endCap));
    return outline;
}

void paintOutline(ScanlineRasterizer& rasterizer, const RasterTarget& target, QRect clip, const QPainterPath& outline,
                  FillRule rule, const FillStyle& fill, const QTransform& shapeToDevice, const ColorTransform& colors,
                  const PaintOptions& options)
{
    const std::optional<SpanPaint> paint = makeSpanPaint(fill, shapeToDevice, colors, options);
    if (!paint || paint->invisible()) return;
    rasterizer.reset();
    rasterizer.addPath(outline, QTransform(), 0);
    const SpanPaint* paints[] = {&*paint};
    rasterizer.fill(target, clip, rule, options.antialias(), paints);
}

void paintShapeLayer(ScanlineRasterizer& rasterizer, const RasterTarget& target, QRect clip,
                     const ShapeGeometry& geometry, const ShapeLayer& layer, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options)
{
    if (!layer.fillEdges.empty()) {
        // One paint per style that has a region; where malformed regions overlap, the style
        // listed later wins, as it would have been drawn last.
        std::vector<SpanPaint> storage;
        storage.reserve(layer.fillPaths.size());
        std::vector<const SpanPaint*> paints(layer.fills.size(), nullptr);
        std::vector<int> rank(layer.fills.size(), -1);
        std::vector<std::pair<std::uint32_t, std::size_t>> painted;
        for (std::size_t i = 0; i < layer.fillPaths.size(); ++i) {
            const std::uint32_t style = layer.fillPaths[i].style;
            rank[style] = int(i);
            std::optional<SpanPaint> paint = makeSpanPaint(layer.fills[style], toDevice, colors, options);
            if (!paint) continue;
            storage.push_back(std::move(*paint));
            painted.emplace_back(style, storage.size() - 1);
        }
        for (const auto& [style, at] : painted) paints[style] = &storage[at];
        if (!painted.empty()) {
            rasterizer.reset();
            auto map = [&toDevice](Point p) { return toDevice.map(QPointF(p.x, p.y)); };
            for (const FillEdge& e : layer.fillEdges) {
                if (e.curved)
                    rasterizer.addQuad(map(e.from), map(e.control), map(e.to), e.fill0, e.fill1);
                else
                    rasterizer.addLine(map(e.from), map(e.to), e.fill0, e.fill1);
            }
            rasterizer.fill(target, clip, geometry.nonZero ? FillRule::NonZero : FillRule::EvenOdd, options.antialias(),
                            paints, rank);
        }
    }
    for (const StrokePath& stroke : layer.strokePaths) {
        const LineStyle& line = layer.lines[stroke.style];
        const FillStyle fill = line.hasFill ? line.fill : solidFill(line.color);
        if (!options.coverageOnly && fill.kind == FillStyle::Kind::Solid && transformColor(fill.color, colors).a == 0)
            continue;
        paintOutline(rasterizer, target, clip, strokeOutline(stroke, line, toDevice), FillRule::NonZero, fill, toDevice,
                     colors, options);
    }
}

}  // namespace swf::render
