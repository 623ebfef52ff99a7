#pragma once
// Stroke outlines kept between frames. Turning a stroke into the area it covers (widths, joins,
// caps) costs far more than filling that area, and a shape usually stays on screen for many
// frames, moved rather than turned or scaled. The outline depends on the stroke, its line style
// and the linear part of the shape-to-device transform; the translation is applied when the
// outline is filled, so a shape that only moves reuses its outlines.

#include <cstddef>

#include <QPainterPath>
#include <QTransform>

#include "swf/render/lru_cache.h"

namespace swf::render {

struct StrokePath;

class StrokeOutlineCache {
public:
    // Budget in path elements (a few dozen bytes each).
    static constexpr std::size_t kElementBudget = std::size_t(1) << 19;

    StrokeOutlineCache() : outlines_(kElementBudget) {}

    struct Key {
        const StrokePath* stroke;  // lives as long as its geometry (see RenderCache::shape)
        double m11, m12, m21, m22;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };

    static Key keyOf(const StrokePath& stroke, const QTransform& toDevice)
    {
        return {&stroke, toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22()};
    }
    // Keys must equal themselves: transforms with NaN or infinite parts are not kept.
    static bool keepable(const QTransform& toDevice);
    // The outline at the origin (translation left out), or nullptr.
    const QPainterPath* find(const Key& key) { return outlines_.find(key); }
    const QPainterPath& insert(const Key& key, QPainterPath outline);
    std::size_t size() const { return outlines_.size(); }
    void clear() { outlines_.clear(); }

private:
    LruCache<Key, QPainterPath, KeyHash> outlines_;
};

}  // namespace swf::render
