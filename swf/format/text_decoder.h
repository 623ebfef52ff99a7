#pragma once
// Decoders of the font and text tags: DefineFont/2/3, DefineFontInfo/2, DefineText/2 and
// DefineEditText. Strings come out as UTF-8 and font codes as Unicode, through the file's
// TextDecoder.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/format/reader.h"
#include "swf/format/text.h"
#include "swf/format/text_encoding.h"

namespace swf {

// DefineFontInfo / DefineFontInfo2: attaches a name, style and code table to a DefineFont.
struct FontInfo {
    std::uint16_t fontId = 0;
    int infoVersion = 1;
    std::string name;
    bool bold = false, italic = false, smallText = false;
    std::uint8_t languageCode = 0;
    std::vector<char16_t> codes;  // Unicode, in glyph order
};

FontDefinition decodeDefineFont(ByteReader body);
// `fontVersion` is 2 or 3.
FontDefinition decodeDefineFont2(ByteReader body, int fontVersion, TextDecoder& text);
FontInfo decodeDefineFontInfo(ByteReader body, int infoVersion, TextDecoder& text);
// Merges a FontInfo into its font: name and style, and the code table cut or padded to the
// font's glyph count.
void applyFontInfo(FontDefinition& font, const FontInfo& info);

// `textVersion` is 1 or 2.
StaticTextDefinition decodeDefineText(ByteReader body, int textVersion);
EditTextDefinition decodeDefineEditText(ByteReader body, TextDecoder& text);

// A length-prefixed font name without the trailing NULs that files often include.
std::string readFontName(ByteReader& r, TextDecoder& text);

}  // namespace swf
