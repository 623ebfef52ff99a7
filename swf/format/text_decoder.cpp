#include "swf/format/text_decoder.h"

#include <algorithm>

#include "swf/format/limits.h"
#include "swf/format/records.h"
#include "swf/format/shape_decoder.h"

namespace swf {
namespace {

// Glyph i's SHAPE, between its offset and the next one (or `end`). A glyph that cannot be read
// is left empty rather than losing the whole font. `budget` bounds the bytes all glyphs may
// cover together: well-formed offsets cover the table once, while hostile ones pointing every
// glyph at the same long run would otherwise cost glyphs x table size.
std::vector<ShapeRecord> readGlyphAt(ByteReader& table, std::size_t begin, std::size_t end, std::size_t& budget,
                                     std::size_t& recordsLeft)
{
    if (begin >= table.size()) return {};
    if (end <= begin || end > table.size()) end = table.size();
    if (end - begin > budget) return {};
    budget -= end - begin;
    ByteReader glyph(table.data().subspan(begin, end - begin), table.fileOffset() -
                     static_cast<std::int64_t>(table.position()) + static_cast<std::int64_t>(begin));
    try {
        return readGlyphShape(glyph, recordsLeft);
    } catch (const FormatError&) {
        return {};
    }
}

}  // namespace

std::string readFontName(ByteReader& r, TextDecoder& text)
{
    std::size_t len = r.u8();
    auto raw = r.bytes(len);
    while (!raw.empty() && raw.back() == 0) raw = raw.first(raw.size() - 1);
    return text.decode(raw);
}

FontDefinition decodeDefineFont(ByteReader r)
{
    FontDefinition font;
    font.id = r.u16();
    font.fontVersion = 1;
    font.emSquare = 1024;
    if (r.remaining() < 2) return font;  // no glyphs: the body is just the id
    std::int64_t tableOffset = r.fileOffset();
    ByteReader table(r.rest(), tableOffset);
    std::uint16_t first = table.u16();
    std::size_t count = first / 2;
    if (count == 0) return font;
    std::vector<std::size_t> offsets{first};
    for (std::size_t i = 1; i < count; ++i) offsets.push_back(table.u16());
    font.glyphs.reserve(count);
    std::size_t budget = 2 * table.size();
    std::size_t recordsLeft = limits::kMaxShapeRecords;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = i + 1 < count ? offsets[i + 1] : table.size();
        table.seek(0);
        font.glyphs.push_back(readGlyphAt(table, offsets[i], end, budget, recordsLeft));
    }
    return font;
}

FontDefinition decodeDefineFont2(ByteReader r, int fontVersion, TextDecoder& text)
{
    FontDefinition font;
    font.id = r.u16();
    font.fontVersion = fontVersion;
    font.emSquare = fontVersion == 3 ? 20480 : 1024;
    std::uint8_t flags = r.u8();
    font.hasLayout = flags & 0x80;
    font.smallText = flags & 0x20;
    bool wideOffsets = flags & 0x08;
    bool wideCodes = flags & 0x04;
    font.italic = flags & 0x02;
    font.bold = flags & 0x01;
    font.languageCode = r.u8();
    font.name = readFontName(r, text);
    std::size_t count = r.u16();
    std::size_t offsetSize = wideOffsets ? 4 : 2;

    // Offsets count from the start of the offset table; the glyphs, code table and layout all
    // lie in the rest of the body.
    std::int64_t tableFileOffset = r.fileOffset();
    auto tableData = r.data().subspan(r.position());
    ByteReader table(tableData, tableFileOffset);
    std::vector<std::size_t> offsets;
    offsets.reserve(std::min(count, limits::kMaxReserve));
    for (std::size_t i = 0; i < count; ++i) offsets.push_back(wideOffsets ? table.u32() : table.u16());

    std::size_t codeTableOffset = table.position();
    if (count > 0) {
        codeTableOffset = wideOffsets ? table.u32() : table.u16();
    } else {
        // Producers differ on writing the code table offset of an empty font: take it only when
        // the layout block (if any) still fits after it.
        std::size_t layoutNeeds = font.hasLayout ? 8 : 0;
        if (table.remaining() >= offsetSize + layoutNeeds) {
            table.skip(offsetSize);
            codeTableOffset = table.position();
        }
    }
    if (codeTableOffset > table.size())
        table.fail(FormatError::Kind::Corrupt, "font code table offset past the end of the tag");

    font.glyphs.reserve(std::min(count, limits::kMaxReserve));
    std::size_t budget = 2 * table.size();
    std::size_t recordsLeft = limits::kMaxShapeRecords;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = i + 1 < count ? offsets[i + 1] : codeTableOffset;
        font.glyphs.push_back(readGlyphAt(table, offsets[i], end, budget, recordsLeft));
    }

    table.seek(codeTableOffset);
    font.codes.reserve(std::min(count, limits::kMaxReserve));
    for (std::size_t i = 0; i < count; ++i)
        font.codes.push_back(text.decodeCode(wideCodes ? table.u16() : table.u8()));

    if (font.hasLayout) {
        try {
            font.ascent = table.u16();
            font.descent = table.u16();
            font.leading = table.s16();
            font.advances.reserve(std::min(count, limits::kMaxReserve));
            for (std::size_t i = 0; i < count; ++i) font.advances.push_back(table.s16());
            for (std::size_t i = 0; i < count; ++i) readRect(table);
        } catch (const FormatError&) {
            // A layout block cut short is not usable; the glyphs still are.
            font.hasLayout = false;
            font.ascent = font.descent = font.leading = 0;
            font.advances.clear();
            return font;
        }
        try {
            std::size_t kerningCount = table.u16();
            for (std::size_t i = 0; i < kerningCount; ++i) {
                KerningPair k;
                k.left = text.decodeCode(wideCodes ? table.u16() : table.u8());
                k.right = text.decodeCode(wideCodes ? table.u16() : table.u8());
                k.adjustment = table.s16();
                font.kerning.push_back(k);
            }
        } catch (const FormatError&) {
            // Kerning cut short: keep the pairs read so far.
        }
    }
    return font;
}

FontInfo decodeDefineFontInfo(ByteReader r, int infoVersion, TextDecoder& text)
{
    FontInfo info;
    info.infoVersion = infoVersion;
    info.fontId = r.u16();
    info.name = readFontName(r, text);
    std::uint8_t flags = r.u8();
    info.smallText = flags & 0x20;
    info.italic = flags & 0x04;
    info.bold = flags & 0x02;
    bool wideCodes = (flags & 0x01) || infoVersion == 2;
    if (infoVersion == 2) info.languageCode = r.u8();
    std::size_t n = wideCodes ? r.remaining() / 2 : r.remaining();
    info.codes.reserve(n);
    for (std::size_t i = 0; i < n; ++i) info.codes.push_back(text.decodeCode(wideCodes ? r.u16() : r.u8()));
    return info;
}

void applyFontInfo(FontDefinition& font, const FontInfo& info)
{
    font.name = info.name;
    font.bold = info.bold;
    font.italic = info.italic;
    font.smallText = info.smallText;
    font.languageCode = info.languageCode;
    font.codes = info.codes;
    font.codes.resize(font.glyphs.size(), 0);
}

StaticTextDefinition decodeDefineText(ByteReader r, int textVersion)
{
    StaticTextDefinition def;
    def.id = r.u16();
    def.textVersion = textVersion;
    def.bounds = readRect(r);
    def.matrix = readMatrix(r);
    unsigned glyphBits = r.u8();
    unsigned advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32)
        r.fail(FormatError::Kind::Corrupt, "text glyph or advance field wider than 32 bits");
    std::size_t entriesLeft = limits::kMaxTextGlyphs;  // records and glyphs: a glyph may take no bits
    while (!r.atEnd()) {
        std::uint8_t flags = r.u8();
        if (flags == 0 || !(flags & 0x80)) break;  // end of records
        if (entriesLeft == 0)
            r.fail(FormatError::Kind::TooLarge,
                   "more than " + std::to_string(limits::kMaxTextGlyphs) + " glyphs and records in one text");
        --entriesLeft;
        TextRecord rec;
        if (flags & 0x08) rec.fontId = r.u16();
        if (flags & 0x04) rec.color = readColor(r, textVersion >= 2);
        if (flags & 0x01) rec.x = r.s16();  // X before Y, whatever the flag order says
        if (flags & 0x02) rec.y = r.s16();
        if (flags & 0x08) rec.height = r.u16();
        std::size_t count = r.u8();
        if (count > entriesLeft)
            r.fail(FormatError::Kind::TooLarge,
                   "more than " + std::to_string(limits::kMaxTextGlyphs) + " glyphs and records in one text");
        entriesLeft -= count;
        rec.glyphs.reserve(count);
        BitReader bits(r);
        for (std::size_t i = 0; i < count; ++i) {
            GlyphEntry g;
            g.index = bits.ub(glyphBits);
            g.advance = bits.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        def.records.push_back(std::move(rec));
    }
    return def;
}

EditTextDefinition decodeDefineEditText(ByteReader r, TextDecoder& text)
{
    EditTextDefinition def;
    def.id = r.u16();
    def.bounds = readRect(r);
    std::uint8_t f0 = r.u8();
    std::uint8_t f1 = r.u8();
    bool hasText = f0 & 0x80;
    def.wordWrap = f0 & 0x40;
    def.multiline = f0 & 0x20;
    def.password = f0 & 0x10;
    def.readOnly = f0 & 0x08;
    bool hasColor = f0 & 0x04;
    bool hasMaxLength = f0 & 0x02;
    bool hasFont = f0 & 0x01;
    bool hasFontClass = f1 & 0x80;
    def.autoSize = f1 & 0x40;
    def.hasLayout = f1 & 0x20;
    def.noSelect = f1 & 0x10;
    def.border = f1 & 0x08;
    def.wasStatic = f1 & 0x04;
    def.html = f1 & 0x02;
    def.useOutlines = f1 & 0x01;
    if (hasFont) def.fontId = r.u16();
    if (hasFontClass) def.fontClass = text.decode(r.cstringBytes());
    if (hasFont || hasFontClass) def.fontHeight = r.u16();
    if (hasColor) def.color = readRgba(r);
    if (hasMaxLength) def.maxLength = r.u16();
    if (def.hasLayout) {
        std::uint8_t align = r.u8();
        def.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
        def.leftMargin = r.u16();
        def.rightMargin = r.u16();
        def.indent = r.u16();
        def.leading = r.s16();
    }
    def.variableName = text.decode(r.cstringBytes());
    if (hasText) def.initialText = text.decode(r.cstringBytes());
    return def;
}

}  // namespace swf
