#pragma once
// The runtime's questions about geometry (exact hit tests, text metrics) answered with the
// renderer's shape geometry and text layout, from the same cache drawing uses.

#include "swf/render/render_cache.h"
#include "swf/render/resources.h"
#include "swf/runtime/hooks.h"

namespace swf::detail {

class PlayerGeometry final : public runtime::GeometryHost {
public:
    PlayerGeometry(render::RenderCache& cache, const render::RenderResources& resources)
        : cache_(cache), resources_(resources) {}
    bool contains(const runtime::DisplayObject& object, Point localTwips) const override;
    TextMetrics textMetrics(const runtime::DisplayObject& editText) const override;

private:
    render::RenderCache& cache_;
    const render::RenderResources& resources_;
};

}  // namespace swf::detail
