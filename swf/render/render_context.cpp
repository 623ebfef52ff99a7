#include "swf/render/render_context.h"

#include <QRegion>

#include <algorithm>
#include <cmath>

#include "swf/render/color.h"
#include "swf/render/compositing.h"
#include "swf/render/render_cache.h"
#include "swf/render/resources.h"
#include "swf/render/shape_painter.h"
#include "swf/render/span_paint.h"
#include "swf/render/text_painter.h"

namespace swf::render {

namespace {

QRectF strokeMargin(const QRectF& r, double margin) { return r.adjusted(-margin, -margin, margin, margin); }

// The widest device stroke of a geometry, for its drawn bounds.
double widestStroke(const ShapeGeometry& geometry, const QTransform& toDevice)
{
    double widest = 0;
    for (const ShapeLayer& layer : geometry.layers)
        for (const StrokePath& stroke : layer.strokePaths)
            widest = std::max(widest, deviceStrokeWidth(layer.lines[stroke.style], toDevice));
    return widest;
}

// Formats the rasterizer paints into directly.
bool drawable(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32;
}

}  // namespace

RenderContext::RenderContext(QImage& target, const QTransform& stageToDevice, RenderQuality quality,
                             RenderCache& cache, const RenderResources& resources)
    : output_(target),
      converted_(drawable(target) || target.isNull() ? QImage() : target.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
      target_(converted_.isNull() ? target : converted_),
      stageToDevice_(stageToDevice), quality_(quality), cache_(cache), resources_(&resources)
{
    Layer base{LayerKind::Target, nullptr, target.rect(), {}, true, {}, std::make_unique<QPainter>(&target_)};
    layers_.push_back(std::move(base));
}

RenderContext::~RenderContext()
{
    unwind();
    layers_.back().painter->end();
    if (!converted_.isNull()) output_ = converted_.convertToFormat(output_.format());
}

void RenderContext::unwind()
{
    while (layers_.size() > 1) {
        switch (top().kind) {
        case LayerKind::Group: endGroup(BlendMode::Normal, {}, 1); break;
        case LayerKind::Mask: beginMaskedContent(); break;
        case LayerKind::MaskedContent: endMask(); break;
        case LayerKind::Target: return;
        }
    }
}

QPainter& RenderContext::painter() { return *layers_.back().painter; }

QImage& RenderContext::layerImage()
{
    Layer& layer = top();
    return layer.image ? *layer.image : target_;
}

PaintOptions RenderContext::options() const
{
    PaintOptions o{cache_, *resources_, quality_, coverageDepth_ > 0};
    return o;
}

QTransform RenderContext::toDevice(const Matrix& world) const
{
    const QRect& r = layers_.back().rect;
    return toQTransform(world) * stageToDevice_ * QTransform::fromTranslate(-r.left(), -r.top());
}

void RenderContext::markDirty(const QRectF& deviceRect)
{
    Layer& layer = top();
    const QRectF r = deviceRect.intersected(QRectF(layer.rect));
    if (!r.isEmpty()) layer.dirty = layer.dirty.isEmpty() ? r : layer.dirty.united(r);
}

void RenderContext::clear(Rgba background)
{
    QPainter& p = painter();
    p.save();
    p.resetTransform();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(QPoint(0, 0), top().rect.size()), toQColor(background));
    p.restore();
    markDirty(QRectF(top().rect));
}

void RenderContext::drawShapeGeometry(const ShapeGeometry& geometry, const QTransform& toDevice,
                                      const ColorTransform& colors, bool lasting)
{
    if (geometry.empty()) return;
    const QRect& r = top().rect;
    QRectF bounds = toDevice.mapRect(geometry.edgeBounds);
    bounds = strokeMargin(bounds, widestStroke(geometry, toDevice) + 2).translated(r.topLeft());
    noteExtent(bounds);
    if (!bounds.intersects(QRectF(r))) return;  // entirely off the layer
    if (!toDevice.isInvertible()) return;        // a zero scale draws nothing
    const RasterTarget target = RasterTarget::of(layerImage());
    const QRect clip(QPoint(0, 0), r.size());
    const PaintOptions o = options();
    ScanlineRasterizer& rasterizer = cache_.scratch().rasterizer;
    rasterizer.takePainted();
    for (const ShapeLayer& layer : geometry.layers)
        paintShapeLayer(rasterizer, target, clip, geometry, layer, toDevice, colors, o,
                        lasting ? &cache_.strokeOutlines() : nullptr);
    markDirty(QRectF(rasterizer.takePainted().translated(r.topLeft())));
}

void RenderContext::drawShape(const ShapeDefinition& shape, const Matrix& world, const ColorTransform& colors)
{
    drawShapeGeometry(cache_.shape(shape), toDevice(world), colors, true);
}

void RenderContext::drawMorphShape(const MorphShapeDefinition& morph, std::uint16_t ratio, const Matrix& world,
                                   const ColorTransform& colors)
{
    const std::shared_ptr<const ShapeGeometry> geometry = cache_.morph(morph, ratio);
    drawShapeGeometry(*geometry, toDevice(world), colors);
}

void RenderContext::drawGeometry(const ShapeGeometry& geometry, const Matrix& world, const ColorTransform& colors)
{
    drawShapeGeometry(geometry, toDevice(world), colors);
}

void RenderContext::drawBitmap(const Bitmap& bitmap, const Matrix& world, const ColorTransform& colors)
{
    const QTransform pixelToDevice = QTransform::fromScale(20, 20) * toDevice(world);
    if (!pixelToDevice.isInvertible() || bitmap.width <= 0 || bitmap.height <= 0) return;
    const QImage image = RenderCache::wrap(bitmap);
    if (image.isNull()) return;
    noteExtent(pixelToDevice.mapRect(QRectF(0, 0, bitmap.width, bitmap.height))
                   .translated(top().rect.topLeft())
                   .adjusted(-1, -1, 1, 1));
    const PaintOptions o = options();
    // The bitmap's rectangle filled with the bitmap itself, clamped at its edges.
    const SpanPaint paint = o.coverageOnly ? SpanPaint::solid(0xffffffffu)
                                           : SpanPaint::bitmap(image, pixelToDevice, false,
                                                               quality_ == RenderQuality::High, colors, bitmap.opaque);
    if (paint.invisible()) return;
    QPainterPath area;
    area.addRect(QRectF(0, 0, bitmap.width, bitmap.height));
    ScanlineRasterizer& rasterizer = cache_.scratch().rasterizer;
    rasterizer.reset();
    rasterizer.takePainted();
    rasterizer.addPath(area, pixelToDevice, 0);
    const SpanPaint* paints[] = {&paint};
    rasterizer.fill(RasterTarget::of(layerImage()), QRect(QPoint(0, 0), top().rect.size()), FillRule::NonZero,
                    o.antialias(), paints);
    markDirty(QRectF(rasterizer.takePainted().translated(top().rect.topLeft())));
}

void RenderContext::drawStaticText(const StaticTextDefinition& text, const Matrix& world, const ColorTransform& colors)
{
    const QTransform device = toDevice(world);
    const QRectF bounds(text.bounds.xMin, text.bounds.yMin, text.bounds.xMax - text.bounds.xMin,
                        text.bounds.yMax - text.bounds.yMin);
    // Bounds are the author's claim; glyphs may overhang them a little.
    const QRectF deviceBounds = device.mapRect(toQTransform(text.matrix).mapRect(bounds)).adjusted(-4, -4, 4, 4);
    paintStaticText(painter(), text, device, colors, options());
    noteExtent(deviceBounds.translated(top().rect.topLeft()));
    markDirty(deviceBounds.translated(top().rect.topLeft()));
    top().exactDirty = false;
}

void RenderContext::drawEditText(const EditTextDefinition& field, const TextFieldState& state, const Matrix& world,
                                 const ColorTransform& colors)
{
    const QTransform device = toDevice(world);
    const std::shared_ptr<const TextLayout> layout = cache_.textLayout(field, state, *resources_);
    paintTextField(painter(), field, state, *layout, device, colors, options());
    const QRectF box(state.bounds.xMin, state.bounds.yMin, state.bounds.xMax - state.bounds.xMin,
                     state.bounds.yMax - state.bounds.yMin);
    const QRectF drawn = device.mapRect(box).translated(top().rect.topLeft()).adjusted(-2, -2, 2, 2);
    noteExtent(drawn);
    markDirty(drawn);
    top().exactDirty = false;
}

// Layers of one size come and go many times a frame (one per mask or group); their images come
// from the cache's scratch memory and go back to it.
std::unique_ptr<QImage> RenderContext::takeImage(QSize size) { return cache_.scratch().takeImage(size); }

void RenderContext::release(Layer& layer)
{
    layer.painter.reset();
    if (!layer.image) return;
    // Only what was drawn needs clearing before the image serves again.
    const QRect local(QPoint(0, 0), layer.image->size());
    const QRect drawn = layer.exactDirty ? layer.dirty.translated(-QPointF(layer.rect.topLeft())).toAlignedRect() : local;
    cache_.scratch().giveImage(std::move(layer.image), drawn.intersected(local));
}

void RenderContext::noteExtent(const QRectF& deviceRect)
{
    // Held within reach (see canShift), so that extents stay whole-pixel rectangles; bounds that
    // are not numbers reach as far as any.
    const QRectF reach(-kExtentReach, -kExtentReach, 2 * kExtentReach, 2 * kExtentReach);
    const bool finite = std::isfinite(deviceRect.left()) && std::isfinite(deviceRect.top()) &&
                        std::isfinite(deviceRect.right()) && std::isfinite(deviceRect.bottom());
    const QRectF held = finite ? deviceRect.intersected(reach) : reach;
    if (held.isEmpty()) return;
    for (Layer& layer : layers_)
        if (layer.kind == LayerKind::Group) layer.extent = layer.extent.united(held);
}

QRect RenderContext::layerRectFor(QRect rect) const
{
    rect = rect.intersected(target_.rect());
    return rect.isEmpty() ? QRect(0, 0, 1, 1) : rect;  // nothing will show; keep a valid painter
}

QRect RenderContext::groupRect() const { return layerRectFor(layers_.back().rect); }

void RenderContext::pushLayer(LayerKind kind, QRect rect)
{
    rect = layerRectFor(rect);
    Layer layer{kind, takeImage(rect.size()), rect, {}, true, {}, nullptr};
    layer.painter = std::make_unique<QPainter>(layer.image.get());
    layers_.push_back(std::move(layer));
}

void RenderContext::beginMask()
{
    pushLayer(LayerKind::Mask, top().rect);
    ++coverageDepth_;
}

void RenderContext::beginMaskedContent()
{
    if (top().kind != LayerKind::Mask) return;  // unbalanced call: ignore rather than corrupt the stack
    --coverageDepth_;
    top().painter->end();
    // Content outside the mask never shows, so its layer covers only what the mask drew.
    const QRect maskArea = top().dirty.toAlignedRect();
    pushLayer(LayerKind::MaskedContent, maskArea.isEmpty() ? QRect() : maskArea);
    if (maskArea.isEmpty()) top().rect = QRect();  // draws go nowhere
}

void RenderContext::endMask()
{
    if (top().kind != LayerKind::MaskedContent || layers_.size() < 3) return;
    Layer content = std::move(layers_.back());
    layers_.pop_back();
    Layer mask = std::move(layers_.back());
    layers_.pop_back();
    content.painter->end();
    struct Release {  // both layers go back to the pool however this ends
        RenderContext& context;
        Layer& a;
        Layer& b;
        ~Release() { context.release(a), context.release(b); }
    } releaseLayers{*this, content, mask};
    if (content.rect.isEmpty() || content.dirty.isEmpty()) return;
    {
        QPainter p(content.image.get());
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(mask.rect.topLeft() - content.rect.topLeft(), *mask.image);
    }
    Layer& parent = top();
    QPainter& pp = *parent.painter;
    pp.save();
    pp.resetTransform();
    pp.setOpacity(1);
    pp.setCompositionMode(QPainter::CompositionMode_SourceOver);
    pp.drawImage(content.rect.topLeft() - parent.rect.topLeft(), *content.image);
    pp.restore();
    markDirty(content.dirty.intersected(mask.dirty));
    // Content that strayed past its claimed area (text) lands in the parent as it is.
    if (!content.exactDirty) parent.exactDirty = false;
}

void RenderContext::beginGroup() { pushLayer(LayerKind::Group, top().rect); }

double RenderContext::filterScaleFor() const
{
    return std::sqrt(std::abs(stageToDevice_.determinant())) * 20;
}

void RenderContext::endGroup(BlendMode mode, const std::vector<Filter>& filters, double filterScale,
                             GroupPicture* result)
{
    if (top().kind != LayerKind::Group) return;
    Layer group = std::move(layers_.back());
    layers_.pop_back();
    group.painter->end();
    struct Release {
        RenderContext& context;
        Layer& layer;
        ~Release() { context.release(layer); }
    } releaseLayer{*this, group};
    if (coverageDepth_ > 0) mode = BlendMode::Normal;  // inside a mask only coverage counts
    // Only the drawn area (grown by the filters' reach) is filtered and composited: the rest
    // of the layer is transparent.
    QRectF area = group.dirty;
    QRectF extent = group.extent;
    const bool filtered = !filters.empty() && coverageDepth_ == 0;
    if (filtered) {
        const double reach = filterReach(filters) * filterScale + 2;
        area = area.adjusted(-reach, -reach, reach, reach);
        extent = extent.adjusted(-reach, -reach, reach, reach);
    }
    // What this group composites belongs to the groups around it.
    if (!extent.isEmpty()) noteExtent(extent);
    const QRect region = area.intersected(QRectF(group.rect)).toAlignedRect().intersected(group.rect);
    QImage content;
    if (!region.isEmpty()) {
        content = region == group.rect ? *group.image : group.image->copy(region.translated(-group.rect.topLeft()));
        if (filtered) applyFilters(content, filters, filterScale, cache_.scratch().filters);
    }
    compositeGroup(content, region, mode);
    if (result) {
        result->picture = std::move(content);
        result->region = region.isEmpty() ? QRect() : region;
        result->extent = extent.toAlignedRect();
    }
}

bool RenderContext::canShift(const GroupPicture& picture, QPoint shift) const
{
    // The layer's edges must cut the moved picture where they cut it when it was drawn: drawn
    // at the new place, the object would lose the same parts (no more: what was cut off is not
    // in the picture; no less: a blur near an edge misses what lies beyond it).
    const QRect layer = groupRect();
    const QRect moved = picture.extent.translated(shift);
    return moved.intersected(layer) == moved.intersected(layer.translated(shift));
}

void RenderContext::drawGroupPicture(const GroupPicture& picture, BlendMode mode, QPoint shift)
{
    if (coverageDepth_ > 0) mode = BlendMode::Normal;
    if (shift.isNull() || picture.picture.isNull()) {
        compositeGroup(picture.picture, picture.region, mode);
        return;
    }
    // Moved, the picture may stick out of the layer: only its part inside is composited.
    const QRect moved = picture.region.translated(shift);
    const QRect inside = moved.intersected(groupRect());
    if (inside == moved) {
        compositeGroup(picture.picture, moved, mode);
        return;
    }
    const QImage part = inside.isEmpty() ? QImage() : picture.picture.copy(inside.translated(-moved.topLeft()));
    compositeGroup(part, inside, mode);
}

void RenderContext::compositeGroup(const QImage& content, const QRect& region, BlendMode mode)
{
    if (region.isEmpty() || content.isNull()) {
        // Nothing drawn: an alpha-blended object then leaves nothing of its backdrop.
        if (mode == BlendMode::Alpha && top().kind != LayerKind::Target) {
            QPainter& pp = *top().painter;
            pp.save();
            pp.resetTransform();
            pp.setCompositionMode(QPainter::CompositionMode_Clear);
            pp.fillRect(QRect(QPoint(0, 0), top().rect.size()), Qt::transparent);
            pp.restore();
        }
        return;
    }
    Layer& parent = top();
    const QPoint offset = region.topLeft() - parent.rect.topLeft();
    if ((mode == BlendMode::Alpha || mode == BlendMode::Erase) && parent.kind == LayerKind::Target) return;
    QPainter& pp = *parent.painter;
    auto drawWith = [&](QPainter::CompositionMode composition) {
        pp.save();
        pp.resetTransform();
        pp.setOpacity(1);
        pp.setCompositionMode(composition);
        pp.drawImage(offset, content);
        if (mode == BlendMode::Alpha) {
            // Outside the object its alpha is zero: the backdrop goes there too.
            pp.setCompositionMode(QPainter::CompositionMode_Clear);
            QRegion outside(QRect(QPoint(0, 0), parent.rect.size()));
            outside -= QRect(offset, content.size());
            for (const QRect& r : outside) pp.fillRect(r, Qt::transparent);
        }
        pp.restore();
    };
    switch (mode) {
    case BlendMode::Normal:
    case BlendMode::Layer: drawWith(QPainter::CompositionMode_SourceOver); break;
    case BlendMode::Multiply: drawWith(QPainter::CompositionMode_Multiply); break;
    case BlendMode::Screen: drawWith(QPainter::CompositionMode_Screen); break;
    case BlendMode::Lighten: drawWith(QPainter::CompositionMode_Lighten); break;
    case BlendMode::Darken: drawWith(QPainter::CompositionMode_Darken); break;
    case BlendMode::Difference: drawWith(QPainter::CompositionMode_Difference); break;
    case BlendMode::Add: drawWith(QPainter::CompositionMode_Plus); break;
    case BlendMode::Overlay: drawWith(QPainter::CompositionMode_Overlay); break;
    case BlendMode::HardLight: drawWith(QPainter::CompositionMode_HardLight); break;
    case BlendMode::Alpha: drawWith(QPainter::CompositionMode_DestinationIn); break;
    case BlendMode::Erase: drawWith(QPainter::CompositionMode_DestinationOut); break;
    case BlendMode::Subtract:
    case BlendMode::Invert: {
        // Pixel work on the backdrop itself: the target is reached through its painter's device.
        QImage* backdrop = parent.kind == LayerKind::Target ? &target_ : parent.image.get();
        pp.end();
        const bool convert = backdrop->format() != QImage::Format_ARGB32_Premultiplied &&
                             backdrop->format() != QImage::Format_RGB32;
        if (convert) {
            QImage converted = backdrop->convertToFormat(QImage::Format_ARGB32_Premultiplied);
            blendLayer(converted, content, offset, mode);
            *backdrop = converted.convertToFormat(backdrop->format());
        } else {
            blendLayer(*backdrop, content, offset, mode);
        }
        pp.begin(backdrop);
        break;
    }
    }
    markDirty(QRectF(region));
}

}  // namespace swf::render
