// Fonts and texts.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/text_decoder.h"

namespace swf {
namespace {

using writer::ByteWriter;

std::vector<ShapeRecord> square(double size)
{
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = true;
    sc.moveTo = {0, 0};
    sc.fill0 = 1;
    return {sc, StraightEdge{{size, 0}}, StraightEdge{{size, -size}}, StraightEdge{{0, -size}}, StraightEdge{{0, 0}}};
}

TEST(TextDecoder, DefineTextReadsXOffsetBeforeYOffsetAndKeepsAbsentFieldsAbsent)
{
    ByteWriter w;
    w.u16(4);
    w.rect({0, 1000, 0, 500});
    w.matrix({});
    w.u8(3);  // glyph bits
    w.u8(6);  // advance bits
    w.u8(0x8f);  // font, colour, y, x
    w.u16(2);
    w.rgb({10, 20, 30, 255});
    w.s16(-40);  // X first
    w.s16(300);  // then Y
    w.u16(240);
    w.u8(2);
    {
        writer::BitWriter b(w);
        b.ub(3, 5);
        b.sb(6, 20);
        b.ub(3, 1);
        b.sb(6, -3);
    }
    w.u8(0x82);  // only a new y
    w.s16(600);
    w.u8(0);
    w.u8(0);  // end
    StaticTextDefinition t = decodeDefineText(ByteReader(w.data()), 1);
    ASSERT_EQ(t.records.size(), 2u);
    const TextRecord& r = t.records[0];
    EXPECT_EQ(r.fontId, 2);
    EXPECT_EQ(r.color, (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(r.x, -40);
    EXPECT_EQ(r.y, 300);
    EXPECT_EQ(r.height, 240);
    ASSERT_EQ(r.glyphs.size(), 2u);
    EXPECT_EQ(r.glyphs[0].index, 5u);
    EXPECT_EQ(r.glyphs[0].advance, 20);
    EXPECT_EQ(r.glyphs[1].advance, -3);
    EXPECT_FALSE(t.records[1].x);
    EXPECT_FALSE(t.records[1].fontId);
    EXPECT_EQ(t.records[1].y, 600);
}

TEST(TextDecoder, DefineText2RoundTripWithRgba)
{
    StaticTextDefinition def;
    def.id = 8;
    def.textVersion = 2;
    def.bounds = {1, 2, 3, 4};
    def.matrix.tx = 50;
    TextRecord r;
    r.fontId = 1;
    r.height = 400;
    r.color = Rgba{1, 2, 3, 4};
    r.glyphs = {{0, 100}, {300, -100}};
    def.records = {r};
    StaticTextDefinition got = decodeDefineText(ByteReader(writer::textBody(def)), 2);
    EXPECT_EQ(got.records[0].color, r.color);
    EXPECT_EQ(got.records[0].glyphs[1].index, 300u);
    EXPECT_EQ(got.records[0].glyphs[1].advance, -100);
    EXPECT_EQ(got.matrix.tx, 50);
}

TEST(TextDecoder, GlyphFieldsWiderThan32BitsAreAnError)
{
    ByteWriter w;
    w.u16(1);
    w.rect({});
    w.matrix({});
    w.u8(40);
    w.u8(8);
    w.u8(0);
    EXPECT_THROW(decodeDefineText(ByteReader(w.data()), 1), FormatError);
}

TEST(FontDecoder, DefineFontWithGlyphsAndWithNone)
{
    FontDefinition font;
    font.id = 5;
    font.glyphs = {square(500), square(300)};
    FontDefinition got = decodeDefineFont(ByteReader(writer::fontBody(font)));
    ASSERT_EQ(got.glyphs.size(), 2u);
    EXPECT_EQ(std::get<StraightEdge>(got.glyphs[1][1]).to, (Point{300, 0}));
    EXPECT_EQ(got.emSquare, 1024);

    std::uint8_t idOnly[] = {5, 0};
    FontDefinition empty = decodeDefineFont(ByteReader(idOnly));
    EXPECT_EQ(empty.id, 5);
    EXPECT_TRUE(empty.glyphs.empty());
}

TEST(FontDecoder, DefineFont2LayoutCodesKerningAndTrailingNulInTheName)
{
    FontDefinition font;
    font.id = 6;
    font.fontVersion = 3;
    font.name = std::string("Arial\0", 6);
    font.bold = true;
    font.hasLayout = true;
    font.ascent = 18000;
    font.descent = 4000;
    font.leading = -200;
    font.glyphs = {square(10000), square(5000)};
    font.codes = {u'A', u'\u4e2d'};
    font.advances = {11000, 6000};
    font.kerning = {{u'A', u'\u4e2d', -300}};
    TextDecoder text(8);
    FontDefinition got = decodeDefineFont2(ByteReader(writer::font2Body(font, true)), 3, text);
    EXPECT_EQ(got.name, "Arial");
    EXPECT_EQ(got.emSquare, 20480);
    EXPECT_TRUE(got.bold);
    EXPECT_EQ(got.codes, font.codes);
    EXPECT_EQ(got.advances, font.advances);
    EXPECT_EQ(got.ascent, 18000);
    EXPECT_EQ(got.leading, -200);
    ASSERT_EQ(got.kerning.size(), 1u);
    EXPECT_EQ(got.kerning[0].right, u'\u4e2d');
    EXPECT_EQ(got.kerning[0].adjustment, -300);
    ASSERT_EQ(got.glyphs.size(), 2u);
    EXPECT_EQ(std::get<StraightEdge>(got.glyphs[1][2]).to, (Point{5000, -5000}));
}

TEST(FontDecoder, ZeroGlyphFont2WithAndWithoutCodeTableOffset)
{
    TextDecoder text(8);
    for (bool withOffset : {false, true}) {
        for (bool layout : {false, true}) {
            ByteWriter w;
            w.u16(9);
            w.u8(layout ? 0x80 : 0);
            w.u8(0);
            w.u8(4);
            w.bytes(std::vector<std::uint8_t>{'S', 'a', 'n', 's'});
            w.u16(0);
            if (withOffset) w.u16(2);
            if (layout) {
                w.u16(900);
                w.u16(200);
                w.s16(10);
                w.u16(0);  // kerning count
            }
            FontDefinition f = decodeDefineFont2(ByteReader(w.data()), 2, text);
            EXPECT_EQ(f.name, "Sans");
            EXPECT_TRUE(f.glyphs.empty());
            EXPECT_EQ(f.hasLayout, layout);
            if (layout) {
                EXPECT_EQ(f.ascent, 900) << "offset " << withOffset;
                EXPECT_EQ(f.leading, 10) << "offset " << withOffset;
            }
        }
    }
}

TEST(FontDecoder, FontInfoMergesNameStyleAndCodesThroughTheCodePage)
{
    TextDecoder swf5(5);
    FontDefinition font;
    font.glyphs = {square(10), square(20), square(30)};
    // Wide codes in a SWF 5 file: a GBK character as lead * 256 + trail.
    auto body = writer::fontInfoBody(1, std::string("\xcb\xce\xcc\xe5\0", 5), {'a', 0xd6d0}, true);
    body[2 + 1 + 5] |= 0x06;  // bold + italic
    FontInfo info = decodeDefineFontInfo(ByteReader(body), 1, swf5);
    EXPECT_EQ(info.name, "\xe5\xae\x8b\xe4\xbd\x93");  // 宋体
    applyFontInfo(font, info);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    ASSERT_EQ(font.codes.size(), 3u);  // padded to the glyph count
    EXPECT_EQ(font.codes[0], u'a');
    EXPECT_EQ(font.codes[1], u'\u4e2d');
    EXPECT_EQ(font.codes[2], 0);
}

TEST(EditTextDecoder, AllFieldsAndFontClassWithHeight)
{
    EditTextDefinition def;
    def.id = 12;
    def.bounds = {-40, 2000, -40, 400};
    def.wordWrap = def.multiline = def.readOnly = def.html = def.border = def.useOutlines = true;
    def.fontId = 3;
    def.fontHeight = 360;
    def.color = Rgba{1, 2, 3, 4};
    def.maxLength = 20;
    def.hasLayout = true;
    def.align = TextAlign::Center;
    def.leftMargin = 1;
    def.rightMargin = 2;
    def.indent = 3;
    def.leading = -4;
    def.variableName = "_root.name";
    def.initialText = "<b>hi</b>";
    TextDecoder text(6);
    EditTextDefinition got = decodeDefineEditText(ByteReader(writer::editTextBody(def)), text);
    EXPECT_EQ(got.fontId, 3);
    EXPECT_EQ(got.fontHeight, 360);
    EXPECT_EQ(got.color, def.color);
    EXPECT_EQ(got.maxLength, 20);
    EXPECT_EQ(got.align, TextAlign::Center);
    EXPECT_EQ(got.leading, -4);
    EXPECT_EQ(got.variableName, "_root.name");
    EXPECT_EQ(got.initialText, "<b>hi</b>");
    EXPECT_TRUE(got.html && got.border && got.useOutlines && got.multiline && !got.password);

    EditTextDefinition cls;
    cls.fontClass = "MyFont";
    cls.fontHeight = 500;
    EditTextDefinition got2 = decodeDefineEditText(ByteReader(writer::editTextBody(cls)), text);
    EXPECT_EQ(got2.fontClass, "MyFont");
    EXPECT_EQ(got2.fontHeight, 500);
    EXPECT_FALSE(got2.fontId);
    EXPECT_FALSE(got2.initialText);
}

}  // namespace
}  // namespace swf

namespace swf {
namespace {

TEST(FontDecoder, GlyphOffsetsThatAllPointAtOneLongRunAreReadOnce)
{
    // 5000 glyphs whose offsets all name the same run of 20000 edges: read at face value this
    // would decode 100 million edges.
    const std::size_t glyphs = 5000;
    ByteWriter run;
    run.u8(0x10);
    {
        writer::BitWriter b(run);
        for (int i = 0; i < 20000; ++i) {
            b.ub(2, 3);  // straight edge
            b.ub(4, 0);
            b.ub(1, 0);
            b.ub(1, 1);  // vertical
            b.sb(2, 1);
        }
        b.ub(6, 0);
    }
    ByteWriter w;
    w.u16(1);
    w.u8(0x08);  // wide offsets
    w.u8(0);
    w.u8(0);
    w.u16(glyphs);
    std::size_t tableSize = (glyphs + 1) * 4;
    for (std::size_t i = 0; i < glyphs; ++i) w.u32(static_cast<std::uint32_t>(tableSize));
    w.u32(static_cast<std::uint32_t>(tableSize + run.size()));
    w.bytes(run.data());
    w.bytes(std::vector<std::uint8_t>(glyphs, 'a'));  // code table
    TextDecoder text(8);
    FontDefinition f = decodeDefineFont2(ByteReader(w.data()), 2, text);
    ASSERT_EQ(f.glyphs.size(), glyphs);
    std::size_t decoded = 0;
    for (const auto& g : f.glyphs)
        if (!g.empty()) ++decoded;
    EXPECT_GE(decoded, 1u);
    EXPECT_LE(decoded, 4u);  // the budget is twice the table
}

}  // namespace
}  // namespace swf
