#include "swf/render/stroke_outline_cache.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>

namespace swf::render {

std::size_t StrokeOutlineCache::KeyHash::operator()(const Key& k) const
{
    std::size_t h = std::hash<const void*>()(k.stroke);
    for (double v : {k.m11, k.m12, k.m21, k.m22})  // + 0.0: -0.0 equals 0.0, so it hashes alike
        h ^= std::size_t(std::bit_cast<std::uint64_t>(v + 0.0)) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h;
}

bool StrokeOutlineCache::keepable(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22());
}

const QPainterPath& StrokeOutlineCache::insert(const Key& key, QPainterPath outline)
{
    const auto cost = std::size_t(std::max(1, outline.elementCount()));
    return outlines_.insert(key, std::move(outline), cost);
}

}  // namespace swf::render
