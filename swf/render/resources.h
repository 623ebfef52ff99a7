#pragma once
// What the renderer asks the loaded movie for while drawing: bitmaps for bitmap fills and
// fonts for text, by character id, and the movie's version (some drawing rules depend on it).

#include <cstdint>
#include <string>

#include "swf/format/text.h"
#include "swf/movie/bitmap.h"

namespace swf::render {

class RenderResources {
public:
    virtual ~RenderResources() = default;
    // nullptr when the id names no bitmap (or no font): the fill or glyph then draws nothing.
    virtual const Bitmap* bitmap(std::uint16_t id) const = 0;
    virtual const FontDefinition* font(std::uint16_t id) const = 0;
    virtual int swfVersion() const = 0;
    // An embedded font by name (HTML <font face>), preferring the given style; nullptr when the
    // movie has none of that name.
    virtual const FontDefinition* fontByName(const std::string& name, bool bold, bool italic) const
    {
        (void)name, (void)bold, (void)italic;
        return nullptr;
    }
};

}  // namespace swf::render
