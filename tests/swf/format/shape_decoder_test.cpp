// Shapes and morph shapes: the traps of the edge model and the style arrays.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/shape_decoder.h"

namespace swf {
namespace {

using writer::BitWriter;
using writer::ByteWriter;

FillStyle solid(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
{
    FillStyle f;
    f.color = {r, g, b, a};
    return f;
}

TEST(ShapeDecoder, MoveToIsAbsoluteAndEdgesAccumulateFromThePen)
{
    ByteWriter w;
    w.u16(7);
    w.rect({0, 100, 0, 100});
    w.u8(1);  // one fill
    w.u8(0);
    w.u8(255);
    w.u8(0);
    w.u8(0);
    w.u8(0);  // no lines
    w.u8(0x10);  // NumFillBits 1, NumLineBits 0
    {
        BitWriter b(w);
        // Style change: fill0 + move to (10, 20).
        b.ub(1, 0);
        b.ub(5, 0x03);
        b.ub(5, 6);
        b.sb(6, 10);
        b.sb(6, 20);
        b.ub(1, 1);
        // Straight general edge (+5, +5).
        b.ub(2, 3);
        b.ub(4, 2);
        b.ub(1, 1);
        b.sb(4, 5);
        b.sb(4, 5);
        // Second move to (30, 40): absolute, not pen + delta.
        b.ub(1, 0);
        b.ub(5, 0x01);
        b.ub(5, 7);
        b.sb(7, 30);
        b.sb(7, 40);
        // Vertical edge -3 then horizontal +4.
        b.ub(2, 3);
        b.ub(4, 1);
        b.ub(1, 0);
        b.ub(1, 1);
        b.sb(3, -3);
        b.ub(2, 3);
        b.ub(4, 1);
        b.ub(1, 0);
        b.ub(1, 0);
        b.sb(3, 3);
        // Curve: control +2,+2 then anchor +2,-2.
        b.ub(2, 2);
        b.ub(4, 1);
        b.sb(3, 2);
        b.sb(3, 2);
        b.sb(3, 2);
        b.sb(3, -2);
        b.ub(6, 0);
    }
    ShapeDefinition s = decodeDefineShape(ByteReader(w.data()), 1);
    ASSERT_EQ(s.shape.records.size(), 6u);
    EXPECT_EQ(std::get<StyleChange>(s.shape.records[0]).moveTo, (Point{10, 20}));
    EXPECT_EQ(std::get<StyleChange>(s.shape.records[0]).fill0, 1u);
    EXPECT_EQ(std::get<StraightEdge>(s.shape.records[1]).to, (Point{15, 25}));
    EXPECT_EQ(std::get<StyleChange>(s.shape.records[2]).moveTo, (Point{30, 40}));
    EXPECT_EQ(std::get<StraightEdge>(s.shape.records[3]).to, (Point{30, 37}));
    EXPECT_EQ(std::get<StraightEdge>(s.shape.records[4]).to, (Point{33, 37}));
    const auto& curve = std::get<CurvedEdge>(s.shape.records[5]);
    EXPECT_EQ(curve.control, (Point{35, 39}));
    EXPECT_EQ(curve.to, (Point{37, 37}));
}

TEST(ShapeDecoder, NewStylesRecordReadsItsIndicesWithTheOldWidthsButSelectsFromTheNewArrays)
{
    ByteWriter w;
    w.u16(1);
    w.rect({0, 10, 0, 10});
    w.u8(1);  // one fill: index width 1
    w.u8(0);
    w.rgb({1, 1, 1, 255});
    w.u8(0);
    w.u8(0x10);
    {
        BitWriter b(w);
        // NewStyles + FillStyle0: fill0 written in 1 bit (old width) as 1.
        b.ub(1, 0);
        b.ub(5, 0x12);
        b.ub(1, 1);
        b.flush();
        // New arrays: three fills, no lines; then new widths 2/0.
        w.u8(3);
        for (int i = 0; i < 3; ++i) {
            w.u8(0);
            w.rgb({static_cast<std::uint8_t>(10 * (i + 1)), 0, 0, 255});
        }
        w.u8(0);
        b.ub(4, 2);
        b.ub(4, 0);
        // FillStyle1 = 3 in the new width of 2 bits.
        b.ub(1, 0);
        b.ub(5, 0x04);
        b.ub(2, 3);
        b.ub(6, 0);
    }
    ShapeDefinition s = decodeDefineShape(ByteReader(w.data()), 2);
    ASSERT_EQ(s.shape.records.size(), 2u);
    const auto& first = std::get<StyleChange>(s.shape.records[0]);
    EXPECT_TRUE(first.hasNewStyles);
    ASSERT_EQ(first.newFills.size(), 3u);
    EXPECT_EQ(first.newFills[2].color.r, 30);
    EXPECT_EQ(first.fill0, 1u);
    EXPECT_EQ(std::get<StyleChange>(s.shape.records[1]).fill1, 3u);
}

TEST(ShapeDecoder, StyleCountExtensionDependsOnTheShapeVersion)
{
    // DefineShape: 0xFF is 255 styles. DefineShape2: 0xFF is followed by the real count.
    for (int version : {1, 2}) {
        ByteWriter w;
        w.u16(1);
        w.rect({});
        std::size_t count = version == 1 ? 255 : 300;
        w.u8(0xff);
        if (version == 2) w.u16(300);
        for (std::size_t i = 0; i < count; ++i) {
            w.u8(0);
            w.rgb({static_cast<std::uint8_t>(i), 0, 0, 255});
        }
        w.u8(0);
        w.u8(0);
        w.u8(0);  // end record
        ShapeDefinition s = decodeDefineShape(ByteReader(w.data()), version);
        EXPECT_EQ(s.shape.fills.size(), count) << "version " << version;
    }
}

TEST(ShapeDecoder, IndicesPastTheArraysSelectNothing)
{
    ShapeDefinition def;
    def.id = 1;
    def.shapeVersion = 3;
    def.shape.fills = {solid(1, 2, 3)};
    StyleChange sc;
    sc.hasFill0 = sc.hasFill1 = sc.hasLine = true;
    sc.fill0 = 1;
    sc.fill1 = 5;
    sc.line = 2;
    def.shape.records = {sc};
    ShapeDefinition got = decodeDefineShape(ByteReader(writer::shapeBody(def)), 3);
    const auto& r = std::get<StyleChange>(got.shape.records[0]);
    EXPECT_EQ(r.fill0, 1u);
    EXPECT_EQ(r.fill1, 0u);
    EXPECT_EQ(r.line, 0u);
}

TEST(ShapeDecoder, UnknownFillTypeAbandonsTheShape)
{
    ByteWriter w;
    w.u16(1);
    w.rect({});
    w.u8(1);
    w.u8(0x33);
    w.bytes(std::vector<std::uint8_t>(20, 0));
    try {
        decodeDefineShape(ByteReader(w.data()), 3);
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_EQ(e.kind(), FormatError::Kind::Corrupt);
        EXPECT_NE(std::string(e.what()).find("0x33"), std::string::npos);
    }
}

TEST(ShapeDecoder, EveryStyleKindAndShape4Fields)
{
    ShapeDefinition def;
    def.id = 9;
    def.shapeVersion = 4;
    def.bounds = {-20, 400, -20, 300};
    def.edgeBounds = {0, 380, 0, 280};
    def.nonZeroWinding = true;
    FillStyle linear;
    linear.kind = FillStyle::Kind::LinearGradient;
    linear.matrix.a = 0.125;
    linear.matrix.d = 0.125;
    linear.matrix.tx = 2048;
    linear.gradient.spread = SpreadMode::Reflect;
    linear.gradient.interpolation = InterpolationMode::LinearRgb;
    linear.gradient.stops = {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 128}}, {255, {0, 0, 255, 0}}};
    FillStyle focal = linear;
    focal.kind = FillStyle::Kind::FocalGradient;
    focal.gradient.focalPoint = -0.5;
    focal.gradient.spread = SpreadMode::Repeat;
    FillStyle bitmap;
    bitmap.kind = FillStyle::Kind::Bitmap;
    bitmap.bitmapId = 0xffff;
    bitmap.bitmapRepeat = false;
    bitmap.bitmapSmoothed = false;
    bitmap.matrix.a = bitmap.matrix.d = 20;
    LineStyle line;
    line.width = 40;
    line.startCap = CapStyle::None;
    line.endCap = CapStyle::Square;
    line.join = JoinStyle::Miter;
    line.miterLimit = 2.5;
    line.noHScale = true;
    line.pixelHinting = true;
    line.noClose = true;
    line.hasFill = true;
    line.fill = linear;
    LineStyle plain;
    plain.width = 0;
    plain.color = {9, 8, 7, 6};
    def.shape.fills = {solid(1, 2, 3, 4), linear, focal, bitmap};
    def.shape.lines = {line, plain};
    StyleChange sc;
    sc.hasMove = true;
    sc.moveTo = {-20, 7};
    sc.hasFill1 = sc.hasLine = true;
    sc.fill1 = 4;
    sc.line = 2;
    StyleChange layer;
    layer.hasNewStyles = true;
    layer.newFills = {solid(5, 5, 5)};
    layer.hasFill0 = true;
    layer.fill0 = 1;
    def.shape.records = {sc, StraightEdge{{380, 7}}, CurvedEdge{{400, 100}, {380, 280}}, layer,
                         StraightEdge{{0, 0}}};
    ShapeDefinition got = decodeDefineShape(ByteReader(writer::shapeBody(def)), 4);
    EXPECT_EQ(got.bounds, def.bounds);
    EXPECT_EQ(got.edgeBounds, def.edgeBounds);
    EXPECT_TRUE(got.nonZeroWinding);
    EXPECT_EQ(got.shape.fills, def.shape.fills);
    EXPECT_EQ(got.shape.lines, def.shape.lines);
    ASSERT_EQ(got.shape.records.size(), def.shape.records.size());
    EXPECT_EQ(std::get<CurvedEdge>(got.shape.records[2]).control, (Point{400, 100}));
    EXPECT_EQ(std::get<StyleChange>(got.shape.records[3]).newFills, layer.newFills);
    EXPECT_EQ(std::get<StraightEdge>(got.shape.records[4]).to, (Point{0, 0}));
}

TEST(ShapeDecoder, GradientWithoutRecordsAndReservedModes)
{
    ByteWriter w;
    w.u16(1);
    w.rect({});
    w.u8(1);
    w.u8(0x12);
    w.matrix({});
    w.u8(0xf0);  // spread 3 (reserved), interpolation 3 (reserved), no records
    w.u8(0);
    w.u8(0);
    w.u8(0);
    ShapeDefinition s = decodeDefineShape(ByteReader(w.data()), 3);
    ASSERT_EQ(s.shape.fills.size(), 1u);
    EXPECT_TRUE(s.shape.fills[0].gradient.stops.empty());
    EXPECT_EQ(s.shape.fills[0].gradient.spread, SpreadMode::Pad);
    EXPECT_EQ(s.shape.fills[0].gradient.interpolation, InterpolationMode::Normal);
}

MorphShapeDefinition sampleMorph(int version)
{
    MorphShapeDefinition m;
    m.id = 3;
    m.morphVersion = version;
    m.startBounds = {0, 100, 0, 100};
    m.endBounds = {0, 200, 0, 50};
    m.startEdgeBounds = m.startBounds;
    m.endEdgeBounds = m.endBounds;
    MorphFillStyle f;
    f.start = solid(255, 0, 0, 255);
    f.end = solid(0, 0, 255, 128);
    MorphFillStyle g;
    g.start.kind = g.end.kind = FillStyle::Kind::RadialGradient;
    g.start.gradient.stops = {{0, {1, 2, 3, 4}}, {255, {5, 6, 7, 8}}};
    g.end.gradient.stops = {{10, {9, 9, 9, 9}}, {200, {0, 0, 0, 0}}};
    g.end.matrix.tx = 100;
    m.fills = {f, g};
    MorphLineStyle l;
    l.start.width = 20;
    l.end.width = 60;
    l.start.color = {1, 1, 1, 1};
    l.end.color = {2, 2, 2, 2};
    if (version == 2) {
        l.start.join = l.end.join = JoinStyle::Bevel;
        l.start.noVScale = l.end.noVScale = true;
    }
    m.lines = {l};
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = sc.hasLine = true;
    sc.moveTo = {0, 0};
    sc.fill0 = 2;
    sc.line = 1;
    m.startRecords = {sc, StraightEdge{{100, 0}}, CurvedEdge{{100, 100}, {0, 100}}, StraightEdge{{0, 0}}};
    StyleChange mv;
    mv.hasMove = true;
    mv.moveTo = {10, 10};
    m.endRecords = {mv, StraightEdge{{200, 10}}, StraightEdge{{0, 50}}, StraightEdge{{10, 10}}};
    return m;
}

TEST(MorphShapeDecoder, StylesEdgesAndEndEdgesWithZeroWidths)
{
    for (int version : {1, 2}) {
        MorphShapeDefinition def = sampleMorph(version);
        MorphShapeDefinition got = decodeDefineMorphShape(ByteReader(writer::morphShapeBody(def)), version);
        ASSERT_EQ(got.fills.size(), 2u);
        EXPECT_EQ(got.fills[0].start.color, def.fills[0].start.color);
        EXPECT_EQ(got.fills[0].end.color, def.fills[0].end.color);
        EXPECT_EQ(got.fills[1].end.gradient.stops, def.fills[1].end.gradient.stops);
        EXPECT_EQ(got.fills[1].end.matrix.tx, 100);
        EXPECT_EQ(got.lines[0].end.width, 60);
        EXPECT_EQ(got.lines[0].start.noVScale, version == 2);
        ASSERT_EQ(got.startRecords.size(), 4u);
        ASSERT_EQ(got.endRecords.size(), 4u);
        EXPECT_EQ(std::get<StyleChange>(got.endRecords[0]).moveTo, (Point{10, 10}));
        EXPECT_EQ(std::get<StraightEdge>(got.endRecords[2]).to, (Point{0, 50}));
        EXPECT_EQ(std::get<StyleChange>(got.startRecords[0]).fill0, 2u);
    }
}

TEST(MorphShapeDecoder, FocalMorphFillIsRefused)
{
    ByteWriter w;
    w.u16(1);
    w.rect({});
    w.rect({});
    w.u32(0);
    w.u8(1);
    w.u8(0x13);
    w.bytes(std::vector<std::uint8_t>(40, 0));
    EXPECT_THROW(decodeDefineMorphShape(ByteReader(w.data()), 1), FormatError);
}

TEST(GlyphShape, KeepsFillSelectionsWithoutStyleArrays)
{
    std::vector<ShapeRecord> glyph;
    StyleChange sc;
    sc.hasMove = sc.hasFill1 = true;
    sc.moveTo = {0, -700};
    sc.fill1 = 1;
    glyph = {sc, StraightEdge{{500, -700}}, StraightEdge{{500, 0}}, StraightEdge{{0, -700}}};
    FontDefinition font;
    font.glyphs = {glyph};
    auto body = writer::fontBody(font);
    ByteReader r(std::span<const std::uint8_t>(body).subspan(4));  // id and the one offset
    auto got = readGlyphShape(r);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(std::get<StyleChange>(got[0]).fill1, 1u);
    EXPECT_EQ(std::get<StraightEdge>(got[2]).to, (Point{500, 0}));
}

}  // namespace
}  // namespace swf
