#pragma once
// Decoded fonts and texts: DefineFont/2/3 (+ DefineFontInfo/2), DefineText/2, DefineEditText.
// Strings are UTF-8 here: decoders convert SWF 5 and earlier from the author's code page.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"

namespace swf {

struct KerningPair {
    char16_t left = 0, right = 0;
    std::int16_t adjustment = 0;  // EM units
};

struct FontDefinition {
    std::uint16_t id = 0;
    int fontVersion = 1;        // 1, 2 or 3 (DefineFont, DefineFont2, DefineFont3)
    double emSquare = 1024;     // 1024, or 20480 for DefineFont3
    std::string name;           // from the font tag or DefineFontInfo; may be empty
    bool bold = false, italic = false, smallText = false;
    std::uint8_t languageCode = 0;    // 0 none, 1 Latin, 2 Japanese, 3 Korean, 4/5 Chinese
    // One entry per glyph. Glyph outlines use fill style 1 (the text colour) and no lines.
    std::vector<std::vector<ShapeRecord>> glyphs;
    std::vector<char16_t> codes;       // Unicode of each glyph; empty without a code table
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0;  // EM units
    std::vector<double> advances;      // EM units, per glyph (layout only)
    std::vector<KerningPair> kerning;
};

struct GlyphEntry {
    std::uint32_t index = 0;  // into the font's glyph table
    std::int32_t advance = 0; // twips to the next glyph's origin
};

struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<std::int16_t> x, y;  // absolute pen position in text space
    std::optional<std::uint16_t> height;  // twips, with the font
    std::vector<GlyphEntry> glyphs;
};

struct StaticTextDefinition {
    std::uint16_t id = 0;
    int textVersion = 1;  // DefineText or DefineText2
    Rect bounds;
    Matrix matrix;        // text space -> character space
    std::vector<TextRecord> records;
};

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextDefinition {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false;
    bool html = false, useOutlines = false;
    std::optional<std::uint16_t> fontId;
    std::string fontClass;
    std::uint16_t fontHeight = 240;  // twips
    std::optional<Rgba> color;       // black when absent
    std::optional<std::uint16_t> maxLength;
    bool hasLayout = false;
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
    std::string variableName;
    std::optional<std::string> initialText;
};

}  // namespace swf
