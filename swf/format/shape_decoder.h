#pragma once
// Decoders of DefineShape 1-4, DefineMorphShape 1/2 and the SHAPE records of font glyphs.
// Each throws FormatError for a body it cannot read; an unknown fill style type is Corrupt,
// and the caller drops that one character.

#include <vector>

#include "swf/format/reader.h"
#include "swf/format/shape.h"

namespace swf {

// `shapeVersion` is 1..4 for DefineShape..DefineShape4.
ShapeDefinition decodeDefineShape(ByteReader body, int shapeVersion);
// `morphVersion` is 1 or 2.
MorphShapeDefinition decodeDefineMorphShape(ByteReader body, int morphVersion);
// A glyph SHAPE (NumFillBits, NumLineBits, records up to the end record). Glyphs have no style
// arrays: fill selections are kept as written (fill 1 is the text colour). `recordsLeft` is what
// all glyphs of the font may still hold together; a glyph past it throws TooLarge. Every shape,
// morph shape and font is refused (TooLarge) past limits::kMaxShapeRecords records and styles.
std::vector<ShapeRecord> readGlyphShape(ByteReader& r, std::size_t& recordsLeft);
std::vector<ShapeRecord> readGlyphShape(ByteReader& r);  // a glyph on its own

// Pieces shared with the other decoders.
FillStyle readFillStyle(ByteReader& r, int shapeVersion);
LineStyle readLineStyle(ByteReader& r, int shapeVersion);

}  // namespace swf
