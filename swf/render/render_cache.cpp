#include "swf/render/render_cache.h"

#include <bit>

#include <QPainter>

#include "swf/render/color.h"
#include "swf/render/morph.h"

namespace swf::render {

namespace {

// Morph geometry for this many (definition, ratio) pairs: a tween of a few hundred frames
// stays cached while it loops.
constexpr std::size_t kMorphEntries = 512;
// Text field layouts: every field on screen keeps its own.
constexpr std::size_t kLayoutEntries = 256;

std::size_t mix(std::size_t h, std::size_t v) { return h ^ (v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2)); }


}  // namespace

std::size_t RenderCache::MorphKeyHash::operator()(const MorphKey& k) const
{
    return mix(std::hash<const void*>()(k.morph), k.ratio);
}

std::size_t RenderCache::LayoutKeyHash::operator()(const LayoutKey& k) const
{
    std::size_t h = mix(std::hash<const void*>()(k.field), std::hash<std::string>()(k.state.text));
    for (int v : {k.state.bounds.xMin, k.state.bounds.xMax, k.state.bounds.yMin, k.state.bounds.yMax, k.state.scroll})
        h = mix(h, std::size_t(v));
    h = mix(h, std::size_t(k.state.revision));
    return h;
}

RenderCache::RenderCache() : layouts_(kLayoutEntries), morphs_(kMorphEntries) {}

std::shared_ptr<const TextLayout> RenderCache::textLayout(const EditTextDefinition& field, const TextFieldState& state,
                                                          const RenderResources& resources)
{
    LayoutKey key{&field, state};
    if (auto* found = layouts_.find(key)) return *found;
    auto layout = std::make_shared<const TextLayout>(layoutTextField(field, state, resources));
    return layouts_.insert(std::move(key), layout);
}
RenderCache::~RenderCache() = default;

const ShapeGeometry& RenderCache::shape(const ShapeDefinition& definition)
{
    auto it = shapes_.find(&definition);
    if (it == shapes_.end())
        it = shapes_.emplace(&definition, buildShapeGeometry(definition.shape, definition.nonZeroWinding)).first;
    return it->second;
}

std::shared_ptr<const ShapeGeometry> RenderCache::morph(const MorphShapeDefinition& definition, std::uint16_t ratio)
{
    const MorphKey key{&definition, ratio};
    if (auto* found = morphs_.find(key)) return *found;
    auto geometry = std::make_shared<const ShapeGeometry>(
        buildShapeGeometry(interpolateMorph(definition, morphFraction(ratio)), false));
    return morphs_.insert(key, geometry);
}

const QPainterPath& RenderCache::glyph(const FontDefinition& font, std::uint32_t index)
{
    const auto key = std::make_pair(&font, index);
    auto it = glyphs_.find(key);
    if (it == glyphs_.end()) {
        QPainterPath path;
        if (index < font.glyphs.size()) path = buildGlyphPath(font.glyphs[index]);
        it = glyphs_.emplace(key, std::move(path)).first;
    }
    return it->second;
}

QImage RenderCache::wrap(const Bitmap& bitmap)
{
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() < std::size_t(bitmap.width) * std::size_t(bitmap.height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
                  bitmap.width * 4, QImage::Format_ARGB32_Premultiplied);
}

std::shared_ptr<const ShapeGeometry> RenderCache::drawing(std::uint64_t owner, std::uint64_t revision,
                                                          const ShapeData& shape)
{
    // Few clips draw; forget them all when the table grows large (clips come and go).
    constexpr std::size_t kMaxDrawings = 4096;
    auto it = drawings_.find(owner);
    if (it != drawings_.end() && it->second.first == revision) return it->second.second;
    if (drawings_.size() >= kMaxDrawings) drawings_.clear();
    auto geometry = std::make_shared<const ShapeGeometry>(buildShapeGeometry(shape, false));
    drawings_[owner] = {revision, geometry};
    return geometry;
}

void RenderCache::clear()
{
    groupPictures_.clear();
    drawings_.clear();
    strokes_.clear();
    shapes_.clear();
    morphs_.clear();
    glyphs_.clear();
    layouts_.clear();
}

}  // namespace swf::render
