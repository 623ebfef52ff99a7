#pragma once
// Everything the renderer derives from a movie's immutable definitions and keeps between
// frames: shape geometry per definition, morph geometry per ratio (bounded), glyph outlines,
// and the working memory drawing reuses from frame to frame. Bitmaps are drawn from their own
// pixels: colour transforms apply to the samples, so no transformed copies are kept.
// One cache belongs to one loaded movie: definitions are looked up by address, so a cache must
// not outlive the movie it was filled from (clear() it, or make a new one, on load).

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include <QImage>
#include <QPainterPath>
#include <QRect>

#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/render/group_pictures.h"
#include "swf/render/lru_cache.h"
#include "swf/render/render_scratch.h"
#include "swf/render/shape_geometry.h"
#include "swf/render/stroke_outline_cache.h"
#include "swf/render/text_field.h"

namespace swf::render {

class RenderResources;

class RenderCache {
public:
    RenderCache();
    ~RenderCache();
    RenderCache(const RenderCache&) = delete;
    RenderCache& operator=(const RenderCache&) = delete;

    const ShapeGeometry& shape(const ShapeDefinition& definition);
    std::shared_ptr<const ShapeGeometry> morph(const MorphShapeDefinition& definition, std::uint16_t ratio);
    const QPainterPath& glyph(const FontDefinition& font, std::uint32_t index);
    // Geometry of drawing-API content of the object `owner`; built again when `revision` changes.
    std::shared_ptr<const ShapeGeometry> drawing(std::uint64_t owner, std::uint64_t revision, const ShapeData& shape);

    // The bitmap as an image that shares its pixels (no copy).
    static QImage wrap(const Bitmap& bitmap);

    // The layout of a field in a state; laid out again only when the state changes.
    std::shared_ptr<const TextLayout> textLayout(const EditTextDefinition& field, const TextFieldState& state,
                                                 const RenderResources& resources);

    // Working memory for drawing, kept between frames (see render_scratch.h).
    RenderScratch& scratch() { return scratch_; }
    // Outlines of the strokes of shape() geometry (whose addresses last until clear()).
    StrokeOutlineCache& strokeOutlines() { return strokes_; }
    // Filtered objects' pictures from the frames before (see group_pictures.h).
    GroupPictures& groupPictures() { return groupPictures_; }
    const GroupPictures& groupPictures() const { return groupPictures_; }

    void clear();
    std::size_t morphEntries() const { return morphs_.size(); }

    struct MorphKey {
        const MorphShapeDefinition* morph;
        std::uint16_t ratio;
        friend bool operator==(const MorphKey&, const MorphKey&) = default;
    };
    struct MorphKeyHash {
        std::size_t operator()(const MorphKey& k) const;
    };

    struct LayoutKey {
        const EditTextDefinition* field;
        TextFieldState state;
        friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
    };
    struct LayoutKeyHash {
        std::size_t operator()(const LayoutKey& k) const;
    };

private:
    std::unordered_map<const ShapeDefinition*, ShapeGeometry> shapes_;
    LruCache<LayoutKey, std::shared_ptr<const TextLayout>, LayoutKeyHash> layouts_;
    LruCache<MorphKey, std::shared_ptr<const ShapeGeometry>, MorphKeyHash> morphs_;
    std::map<std::pair<const FontDefinition*, std::uint32_t>, QPainterPath> glyphs_;
    StrokeOutlineCache strokes_;
    RenderScratch scratch_;
    GroupPictures groupPictures_;
    std::unordered_map<std::uint64_t, std::pair<std::uint64_t, std::shared_ptr<const ShapeGeometry>>> drawings_;
};

}  // namespace swf::render
