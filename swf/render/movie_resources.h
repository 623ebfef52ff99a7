#pragma once
// The renderer's view of a loaded movie: its bitmaps and fonts by id, and fonts by name.

#include "swf/movie/movie.h"
#include "swf/render/resources.h"

namespace swf::render {

class MovieResources final : public RenderResources {
public:
    explicit MovieResources(const Movie& movie) : movie_(movie) {}
    const Bitmap* bitmap(std::uint16_t id) const override { return movie_.bitmap(id); }
    const FontDefinition* font(std::uint16_t id) const override { return movie_.font(id); }
    int swfVersion() const override { return movie_.version(); }
    // The font of that name with glyphs, the one matching the style first.
    const FontDefinition* fontByName(const std::string& name, bool bold, bool italic) const override;

private:
    const Movie& movie_;
};

}  // namespace swf::render
