#include "swf/render/shape_painter.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QPainterPathStroker>

#include "swf/render/color.h"
#include "swf/render/gradient.h"
#include "swf/render/render_cache.h"
#include "swf/render/resources.h"

namespace swf::render {

namespace {

constexpr Rgba kOpaqueWhite{255, 255, 255, 255};

// Largest padded copy made for a clipped bitmap fill; beyond it the padding is cut and the far
// outside repeats the image instead of its edge.
constexpr qint64 kMaxPaddedPixels = 16ll << 20;

struct Paint {
    QBrush brush;        // in shape twips
    double opacity = 1;  // applied with the painter
    bool smooth = false;
};

// The margins, in bitmap pixels, that a clipped fill must extend its edge pixels over so that
// the tiled brush never shows a repeat inside `area` (shape twips).
QMargins clippedPadding(const QImage& image, const QTransform& bitmapToShape, const QRectF& area)
{
    bool invertible = false;
    const QTransform shapeToBitmap = bitmapToShape.inverted(&invertible);
    if (!invertible || area.isEmpty()) return {1, 1, 1, 1};
    const QRectF r = shapeToBitmap.mapRect(area);
    auto need = [](double v) { return std::isfinite(v) ? int(std::clamp(std::ceil(v), 0.0, 1e6)) + 1 : 1; };
    QMargins pad(need(-r.left()), need(-r.top()), need(r.right() - image.width()), need(r.bottom() - image.height()));
    const qint64 w = image.width() + pad.left() + pad.right();
    const qint64 h = image.height() + pad.top() + pad.bottom();
    if (w * h > kMaxPaddedPixels) pad = {1, 1, 1, 1};
    return pad;
}

std::optional<Paint> makePaint(const FillStyle& fill, const QRectF& area, const ColorTransform& colors,
                               const PaintOptions& options)
{
    if (options.coverageOnly) return Paint{QBrush(Qt::white), 1, false};
    switch (fill.kind) {
    case FillStyle::Kind::Solid:
        return Paint{QBrush(transformedQColor(fill.color, colors)), 1, false};
    case FillStyle::Kind::LinearGradient:
    case FillStyle::Kind::RadialGradient:
    case FillStyle::Kind::FocalGradient: {
        std::optional<QBrush> brush = gradientBrush(fill, colors);
        if (!brush) return std::nullopt;
        brush->setTransform(toQTransform(fill.matrix));
        return Paint{*brush, 1, false};
    }
    case FillStyle::Kind::Bitmap: {
        const Bitmap* bitmap = options.resources.bitmap(fill.bitmapId);
        if (!bitmap) return std::nullopt;
        Paint paint;
        paint.smooth = fill.bitmapSmoothed && options.quality == RenderQuality::High &&
                       options.resources.swfVersion() >= 8;
        ColorTransform imageColors = colors;
        if (isAlphaOnly(colors) && colors.aMult <= 1) {
            paint.opacity = colors.aMult;
            imageColors = ColorTransform{};
        }
        const QTransform bitmapToShape = toQTransform(fill.matrix);
        QMargins pad;
        if (!fill.bitmapRepeat) pad = clippedPadding(RenderCache::wrap(*bitmap), bitmapToShape, area);
        const QImage image = options.cache.image(*bitmap, imageColors, pad);
        if (image.isNull()) return std::nullopt;
        paint.brush = QBrush(image);
        paint.brush.setTransform(QTransform::fromTranslate(-pad.left(), -pad.top()) * bitmapToShape);
        return paint;
    }
    }
    return std::nullopt;
}

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

void paintStroke(QPainter& painter, const StrokePath& stroke, const LineStyle& line, const QTransform& toDevice,
                 const ColorTransform& colors, const PaintOptions& options)
{
    const double width = deviceStrokeWidth(line, toDevice);
    QBrush brush;
    double opacity = 1;
    bool smooth = false;
    if (line.hasFill && !options.coverageOnly) {
        std::optional<Paint> paint = makePaint(line.fill, stroke.path.boundingRect(), colors, options);
        if (!paint) return;
        brush = paint->brush;
        brush.setTransform(brush.transform() * toDevice);
        opacity = paint->opacity;
        smooth = paint->smooth;
    } else {
        brush = options.coverageOnly ? QBrush(Qt::white) : QBrush(transformedQColor(line.color, colors));
    }
    if (brush.style() == Qt::SolidPattern && brush.color().alpha() == 0) return;

    const bool sameCaps = line.startCap == line.endCap;
    QPen pen(brush, width, Qt::SolidLine, sameCaps ? qtCap(line.startCap) : Qt::FlatCap, qtJoin(line.join));
    pen.setMiterLimit(std::max(1.0, line.miterLimit));
    painter.setTransform(QTransform());
    painter.setOpacity(opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setBrush(Qt::NoBrush);
    // Opaque strokes go subpath by subpath (fast); translucent ones as one path, so that where
    // subpaths of one style overlap the colour is laid down once.
    const bool opaque = opacity >= 1 && brush.style() == Qt::SolidPattern && brush.color().alpha() == 255;
    if (opaque) {
        painter.setPen(pen);
        for (const QPainterPath& part : stroke.parts) {
            const QPainterPath device = toDevice.map(part);
            painter.drawPath(line.pixelHinting ? hinted(device, width) : device);
        }
    } else {
        const QPainterPath device = toDevice.map(stroke.path);
        painter.strokePath(line.pixelHinting ? hinted(device, width) : device, pen);
    }
    if (!sameCaps) painter.fillPath(capOutlines(toDevice.map(stroke.path), width, line.startCap, line.endCap), brush);
    painter.setPen(Qt::NoPen);
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

void paintFill(QPainter& painter, const QPainterPath& path, const FillStyle& fill, const QTransform& toDevice,
               const ColorTransform& colors, const PaintOptions& options)
{
    std::optional<Paint> paint = makePaint(fill, path.boundingRect(), colors, options);
    if (!paint) return;
    if (paint->brush.style() == Qt::SolidPattern && paint->brush.color().alpha() == 0) return;
    painter.setTransform(toDevice);
    painter.setOpacity(paint->opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, paint->smooth);
    painter.fillPath(path, paint->brush);
}

void paintLayerFills(QPainter& painter, const ShapeLayer& layer, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options)
{
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, options.antialias());
    for (const FillPath& fill : layer.fillPaths)
        paintFill(painter, fill.path, layer.fills[fill.style], toDevice, colors, options);
}

bool layerFillsOpaque(const ShapeLayer& layer, const ColorTransform& colors, const PaintOptions& options)
{
    if (options.coverageOnly) return true;
    auto opaque = [&](Rgba c) { return transformColor(c, colors).a == 255; };
    for (const FillPath& fp : layer.fillPaths) {
        const FillStyle& f = layer.fills[fp.style];
        switch (f.kind) {
        case FillStyle::Kind::Solid:
            if (!opaque(f.color)) return false;
            break;
        case FillStyle::Kind::Bitmap: {
            const Bitmap* b = options.resources.bitmap(f.bitmapId);
            if (!b || !b->opaque || !opaque(kOpaqueWhite)) return false;
            break;
        }
        default:
            if (f.gradient.stops.empty()) return false;
            for (const GradientStop& stop : f.gradient.stops)
                if (!opaque(stop.color)) return false;
        }
    }
    return true;
}

void paintLayerStrokes(QPainter& painter, const ShapeLayer& layer, const QTransform& toDevice,
                       const ColorTransform& colors, const PaintOptions& options)
{
    painter.setRenderHint(QPainter::Antialiasing, options.antialias());
    for (const StrokePath& stroke : layer.strokePaths)
        paintStroke(painter, stroke, layer.lines[stroke.style], toDevice, colors, options);
}

}  // namespace swf::render
