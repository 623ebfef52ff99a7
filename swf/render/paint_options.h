#pragma once
// Settings shared by the drawing functions of one render pass.

#include <cstdint>

namespace swf::render {

class RenderCache;
class RenderResources;

// The player's quality setting. Low: no antialiasing, no smoothing. Medium: antialiased, bitmaps
// not smoothed. High: antialiased, bitmaps smoothed where the movie allows it.
enum class RenderQuality : std::uint8_t { Low, Medium, High };

struct PaintOptions {
    RenderCache& cache;
    const RenderResources& resources;
    RenderQuality quality = RenderQuality::High;
    // Drawing a mask's coverage: colours and transforms do not matter, every fill is opaque.
    bool coverageOnly = false;

    bool antialias() const { return quality != RenderQuality::Low; }
};

}  // namespace swf::render
