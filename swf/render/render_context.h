#pragma once
// The renderer's face to the display-tree walk.
//
// One RenderContext draws one frame into a QImage. The walk visits the display list in depth
// order and calls, for every visible object, one draw function with the character's definition,
// the object's world matrix (character twips -> stage twips, parents applied) and its world
// colour transform (parents applied: parent * child). The context adds the stage-to-device
// mapping (see viewport.h: fitStage()) itself.
//
//   RenderCache cache;                        // one per loaded movie, kept between frames
//   Viewport view = fitStage(frameRect, image.size(), StageScaleMode::ShowAll);
//   RenderContext ctx(image, view.stageToDevice, RenderQuality::High, cache, resources);
//   ctx.clear(background);
//   ctx.drawShape(shape, world, colors); ...
//
// Masks (clip depth): for an object at depth d with clip depth c,
//   ctx.beginMask();           draw the mask object (a shape, or every part of a sprite)
//   ctx.beginMaskedContent();  draw the objects at depths d+1 .. c (they may hold masks again)
//   ctx.endMask();             composites the content through the mask's coverage
// Masks nest to any depth; only the mask's filled area counts, not its colours or alpha.
//
// Blend modes and filters: an object with a blend mode other than Normal, or with filters, is
// drawn between beginGroup() and endGroup(mode, filters, filterScale). filterScale is the number
// of device pixels per filter pixel (filterScaleFor() gives the usual one). Groups nest, also
// inside masks; Alpha and Erase act on the enclosing group, so their parent should be a group
// (blend mode Layer): at the top level they draw nothing.
//
// Every begin must be matched by its end; a context destroyed with open layers composites them
// as if ended, so nothing drawn is lost.
//
// Without drawing: text field metrics come from layoutTextField() (text_field.h), shape hit
// tests from geometryContains() on RenderCache::shape() (shape_geometry.h), morph bounds from
// interpolateRect() (morph.h), and mouse positions from Viewport::deviceToStagePixels().
// Definitions are cached by address: the movie must keep them in place while its cache lives.

#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/render/effects.h"
#include "swf/render/group_pictures.h"
#include "swf/render/paint_options.h"
#include "swf/render/shape_geometry.h"
#include "swf/render/text_field.h"

namespace swf::render {

class RenderCache;
class RenderResources;

class RenderContext {
public:
    RenderContext(QImage& target, const QTransform& stageToDevice, RenderQuality quality, RenderCache& cache,
                  const RenderResources& resources);
    ~RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    // Fills the whole target (the stage and any margin) with the background colour.
    void clear(Rgba background);

    void drawShape(const ShapeDefinition& shape, const Matrix& world, const ColorTransform& colors);
    void drawMorphShape(const MorphShapeDefinition& morph, std::uint16_t ratio, const Matrix& world,
                        const ColorTransform& colors);
    // Shape geometry built elsewhere (e.g. a clip's drawing-API content).
    void drawGeometry(const ShapeGeometry& geometry, const Matrix& world, const ColorTransform& colors);
    // A bitmap character placed directly: 20 twips per pixel, smoothed at High quality.
    void drawBitmap(const Bitmap& bitmap, const Matrix& world, const ColorTransform& colors);
    void drawStaticText(const StaticTextDefinition& text, const Matrix& world, const ColorTransform& colors);
    // An edit text field in its current state (text, scroll, colours), see text_field.h.
    void drawEditText(const EditTextDefinition& field, const TextFieldState& state, const Matrix& world,
                      const ColorTransform& colors);

    void beginMask();
    void beginMaskedContent();
    void endMask();

    void beginGroup();
    // With `result`, the filtered picture composited, its region and extent are given there, so
    // that drawGroupPicture() can composite the same picture again later.
    void endGroup(BlendMode mode, const std::vector<Filter>& filters, double filterScale,
                  GroupPicture* result = nullptr);
    // Composites a picture that endGroup() gave, as that endGroup() composited it, moved by
    // `shift` device pixels (only where canShift() allows).
    void drawGroupPicture(const GroupPicture& picture, BlendMode mode, QPoint shift = {});
    // Whether the picture moved by `shift` is what drawing the group there would give: the
    // layer's edges cut its extent where they cut it before. Kept pictures belong to objects
    // whose origin lies within kFarthestOrigin device pixels, so they move by less than twice
    // that; extents are held within kExtentReach, far enough that such a move cannot bring a
    // held edge into a target.
    static constexpr double kFarthestOrigin = 1 << 24;
    static constexpr double kExtentReach = 1 << 26;
    bool canShift(const GroupPicture& picture, QPoint shift) const;
    // The device rectangle a group begun now would cover (what its content is clipped to).
    QRect groupRect() const;
    // Device pixels per stage pixel, the scale at which filters are applied by default.
    double filterScaleFor() const;

    const QTransform& stageToDevice() const { return stageToDevice_; }
    RenderQuality quality() const { return quality_; }
    // World twips -> pixels of the layer being drawn.
    QTransform toDevice(const Matrix& world) const;
    bool drawingCoverage() const { return coverageDepth_ > 0; }
    RenderCache& cache() { return cache_; }
    // Where bitmaps and fonts are looked up by id; switched while objects of another movie draw.
    const RenderResources& resources() const { return *resources_; }
    void setResources(const RenderResources& resources) { resources_ = &resources; }

private:
    enum class LayerKind { Target, Mask, MaskedContent, Group };
    struct Layer {
        LayerKind kind;
        // Both on the heap: a painter keeps its device's address, and layers move in the stack.
        // The painter is declared last so that it ends before its image goes.
        std::unique_ptr<QImage> image;  // null for the target layer
        QRect rect;                     // device rectangle covered by the layer
        QRectF dirty;                   // device area drawn so far
        // Whether `dirty` holds every changed pixel (drawing through QPainter, as text does,
        // may stray past the bounds it claims).
        bool exactDirty = true;
        // For groups: the device bounds of everything drawn in it, before any layer's edge cut
        // it (what the group's picture would cover on a target without edges).
        QRectF extent;
        std::unique_ptr<QPainter> painter;
    };

    QPainter& painter();
    // The pixels of the layer being drawn (the rasterizer paints them directly).
    QImage& layerImage();
    Layer& top() { return layers_.back(); }
    PaintOptions options() const;
    void pushLayer(LayerKind kind, QRect rect);
    std::unique_ptr<QImage> takeImage(QSize size);
    void release(Layer& layer);
    void markDirty(const QRectF& deviceRect);
    // Notes an uncut draw's device bounds (target pixels) in every open group.
    void noteExtent(const QRectF& deviceRect);
    // `lasting`: the geometry is the cache's own for a definition, so its stroke outlines are kept.
    void drawShapeGeometry(const ShapeGeometry& geometry, const QTransform& toDevice, const ColorTransform& colors,
                           bool lasting = false);
    QRect layerRectFor(QRect rect) const;
    // Composites a group's picture into the layer below (an empty region: the group left
    // nothing, which for Alpha clears the layer below).
    void compositeGroup(const QImage& content, const QRect& region, BlendMode mode);
    void unwind();

    QImage& output_;    // the caller's image
    QImage converted_;  // a premultiplied copy to draw into when the caller's has another format
    QImage& target_;    // the one drawn into
    QTransform stageToDevice_;
    RenderQuality quality_;
    RenderCache& cache_;
    const RenderResources* resources_;
    std::vector<Layer> layers_;
    int coverageDepth_ = 0;
};

}  // namespace swf::render
