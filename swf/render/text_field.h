#pragma once
// Edit text fields: their changeable state, and the line layout that drawing and the runtime's
// text metrics (autoSize, textWidth, textHeight, maxscroll) share. Layout needs no painter.
// Distances are twips in the field's own space.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QFont>
#include <QRectF>
#include <QString>

#include "swf/format/text.h"
#include "swf/render/text_format.h"

namespace swf::render {

class RenderResources;

// What a field shows now: the definition's values at first, changed by scripts later.
struct TextFieldState {
    std::string text;  // UTF-8; HTML source when `html`
    bool html = false;
    Rect bounds;       // field rectangle, twips
    bool wordWrap = false, multiline = false, password = false;
    bool border = false, background = false;
    Rgba borderColor{0, 0, 0, 255};
    Rgba backgroundColor{255, 255, 255, 255};
    bool embedFonts = false;  // draw with the embedded glyphs (useOutlines)
    int scroll = 1;           // first visible line, 1-based
    double hscroll = 0;       // twips scrolled to the left
    // Changes whenever a script changes the field (format values live in the definition).
    std::uint64_t revision = 0;

    static TextFieldState fromDefinition(const EditTextDefinition& field);
    friend bool operator==(const TextFieldState&, const TextFieldState&) = default;
};

// The field's default character and paragraph format (font, size, colour, layout values).
TextFormat defaultTextFormat(const EditTextDefinition& field, const RenderResources& resources);

// One piece of a line in a single format.
struct TextRun {
    std::uint16_t format = 0;         // index into TextLayout::formats
    QString text;                     // the characters (password fields: asterisks)
    double x = 0;                     // pen position of the first character, twips from the field's left edge
    double width = 0;
    // Embedded glyph text: glyph index and pen position per drawn glyph (characters missing
    // from the font are left out). Empty for device text.
    const FontDefinition* font = nullptr;
    std::vector<std::uint32_t> glyphs;
    std::vector<double> glyphX;
};

struct TextLine {
    double top = 0;       // twips from the field's top edge (scroll not applied)
    double baseline = 0;  // likewise
    double ascent = 0, descent = 0, leading = 0;
    double left = 0, width = 0;  // extent of the line's content
    std::vector<TextRun> runs;
};

struct TextLayout {
    std::vector<TextLine> lines;
    std::vector<TextFormat> formats;
    double textWidth = 0;   // widest line, twips (without the 2-pixel insets)
    double textHeight = 0;  // all lines, twips
    int maxScroll = 1;      // largest useful `scroll` for the field's height
};

// Inset of the text from each edge of the field: two pixels.
inline constexpr double kTextInset = 40;

TextLayout layoutTextField(const EditTextDefinition& field, const TextFieldState& state,
                           const RenderResources& resources);

// The host font for a device-font format, sized in twips (pixel size = twips, to be drawn with a
// transform that scales twips to pixels). _sans, _serif and _typewriter map to the system's
// default families; Chinese falls back to the installed CJK font.
QFont deviceFont(const TextFormat& format);

}  // namespace swf::render
