#pragma once
// Synthetic content for the renderer benchmarks: shaped like authored Flash art (many small
// regions sharing edges, curves, strokes, gradients, glyph text), built in code.

#include <map>

#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/render/resources.h"

namespace swf::render::bench {

// A grid of `columns` x `rows` cells over a 550 x 400 stage, each cell its own colour, wavy
// curved borders shared by neighbours (fill0 on one side, fill1 on the other), a stroke on every
// border, edges in scrambled order.
ShapeDefinition complexShape(int columns, int rows);

// A full-stage radial gradient rectangle with `stops` stops.
ShapeDefinition gradientShape(FillStyle::Kind kind, int stops);

// A font of round glyphs for the codes 'a'..'z' and a static text of `lines` lines of glyphs.
FontDefinition roundFont();
StaticTextDefinition paragraph(int lines, int glyphsPerLine);

// A photo-like bitmap (smooth colour ramps and noise) of the given size, opaque.
Bitmap photoBitmap(int width, int height);

// A full-stage rectangle filled with bitmap `id`, scaled so that the bitmap covers the stage.
ShapeDefinition bitmapShape(std::uint16_t id, int bitmapWidth, int bitmapHeight);

class BenchResources : public RenderResources {
public:
    std::map<std::uint16_t, FontDefinition> fonts;
    std::map<std::uint16_t, Bitmap> bitmaps;
    const Bitmap* bitmap(std::uint16_t id) const override
    {
        auto it = bitmaps.find(id);
        return it == bitmaps.end() ? nullptr : &it->second;
    }
    const FontDefinition* font(std::uint16_t id) const override
    {
        auto it = fonts.find(id);
        return it == fonts.end() ? nullptr : &it->second;
    }
    int swfVersion() const override { return 8; }
};

}  // namespace swf::render::bench
