#pragma once
// Character and paragraph formatting of edit text, and the HTML subset that sets it.

#include <cstdint>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "swf/format/geometry.h"
#include "swf/format/text.h"

namespace swf::render {

struct TextFormat {
    // Character formatting.
    std::string font;               // font name; for embedded fonts matched against font names
    std::uint16_t fontId = 0;       // the field's own font (0: none)
    double size = 240;              // twips
    Rgba color{0, 0, 0, 255};
    bool bold = false, italic = false, underline = false;
    std::string url, target;        // <a href target>
    // Paragraph formatting (taken from the first character of a paragraph).
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, blockIndent = 0, leading = 0;  // twips
    bool bullet = false;
    std::vector<double> tabStops;   // twips

    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// Text with one format per character. Paragraphs end at '\n'.
struct StyledText {
    QString text;
    std::vector<std::uint16_t> formatOfChar;  // index into formats, one per QChar of text
    std::vector<TextFormat> formats;

    void append(const QString& s, const TextFormat& format);
};

// Plain text: "\r\n", "\r" and "\n" all end a paragraph.
StyledText styledPlainText(const QString& text, const TextFormat& format);

// The HTML subset: p (align), br, font (face, size in pixels or +n/-n, color #RRGGBB), b, i, u,
// a (href, target), li (bullet), textformat (leftmargin, rightmargin, indent, blockindent,
// leading in pixels; tabstops), tab, and the entities lt gt amp quot apos nbsp and numeric ones.
// Unknown tags are dropped and their text kept. Never fails: bad markup becomes text or nothing.
StyledText parseHtmlText(const QString& html, const TextFormat& base);

}  // namespace swf::render
