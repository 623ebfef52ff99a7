// Damaged and hostile files: every one ends in an error or a loaded movie, never a crash or a
// hang, and whole frames before the damage are kept.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/movie/movie.h"

namespace swf {
namespace {

using writer::ByteWriter;
using writer::MovieWriter;
using Bytes = std::vector<std::uint8_t>;

// A small movie touching most decoders: shapes, a morph, a bitmap, a font and text, an edit
// text, a button, a sound, a sprite, and several frames.
MovieWriter sampleMovie(int version = 8)
{
    MovieWriter m(version);
    m.setBackground({0, 0, 0, 255});
    ShapeDefinition s;
    s.id = 1;
    s.shapeVersion = 3;
    FillStyle f;
    f.kind = FillStyle::Kind::LinearGradient;
    f.gradient.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    s.shape.fills = {f};
    LineStyle l;
    l.width = 20;
    s.shape.lines = {l};
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = sc.hasLine = true;
    sc.fill0 = sc.line = 1;
    s.shape.records = {sc, StraightEdge{{100, 0}}, CurvedEdge{{150, 50}, {100, 100}}, StraightEdge{{0, 0}}};
    m.shape(s);
    writer::Image img{3, 3, std::vector<std::uint32_t>(9, 0x80ff8040u)};
    m.tag(36, writer::losslessBody(2, img, 2));
    MorphShapeDefinition morph;
    morph.id = 3;
    MorphFillStyle mf;
    mf.start.color = {255, 0, 0, 255};
    mf.end.color = {0, 255, 0, 255};
    morph.fills = {mf};
    morph.startRecords = {sc, StraightEdge{{100, 0}}, StraightEdge{{0, 0}}};
    StyleChange mv;
    mv.hasMove = true;
    morph.endRecords = {mv, StraightEdge{{0, 100}}, StraightEdge{{0, 0}}};
    morph.lines = {MorphLineStyle{}};
    m.morphShape(morph);
    FontDefinition font;
    font.id = 4;
    font.fontVersion = 2;
    font.name = "F";
    font.glyphs = {s.shape.records};
    font.codes = {u'x'};
    font.hasLayout = true;
    font.advances = {512};
    m.tag(48, writer::font2Body(font));
    StaticTextDefinition text;
    text.id = 5;
    text.textVersion = 2;
    TextRecord tr;
    tr.fontId = 4;
    tr.height = 240;
    tr.glyphs = {{0, 100}};
    text.records = {tr};
    m.tag(33, writer::textBody(text));
    EditTextDefinition edit;
    edit.id = 6;
    edit.fontId = 4;
    edit.variableName = "v";
    edit.initialText = "x";
    m.tag(37, writer::editTextBody(edit));
    ButtonDefinition button;
    button.id = 7;
    ButtonRecord br;
    br.up = br.hitTest = true;
    br.characterId = 1;
    br.depth = 1;
    button.records = {br};
    Bytes play = {0x06, 0x00};
    button.actions = {{button_condition::OverDownToOverUp, 0, play}};
    m.tag(34, writer::button2Body(button));
    m.tag(14, writer::defineSoundBody(8, 0x3e, 64, Bytes(256, 0)));
    writer::SpriteTags sprite(version);
    sprite.place(1, 1).showFrame().remove(1).showFrame();
    m.sprite(9, sprite);
    m.place(1, 1).place(9, 2).label("one").showFrame();
    PlaceObject p;
    p.placeVersion = 2;
    p.characterId = 3;
    p.depth = 3;
    p.ratio = 30000;
    p.name = "morph";
    m.place(p);
    m.place(7, 4).place(5, 5).place(6, 6).showFrame();
    ByteWriter start;
    start.u16(8);
    start.u8(0);
    m.tag(15, start.data());
    m.doAction(play).remove(3).showFrame();
    return m;
}

TEST(DamagedMovie, TruncatedAtEveryByteLoadsWholeFramesOrFails)
{
    for (auto compression : {Compression::None, Compression::Zlib}) {
        Bytes full = sampleMovie().build(compression);
        auto complete = Movie::load(full);
        ASSERT_TRUE(complete);
        ASSERT_EQ(complete.movie()->frameCount(), 3u);
        std::size_t loaded = 0;
        for (std::size_t n = 0; n < full.size(); ++n) {
            Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            MovieLoadResult r = Movie::load(cut);
            if (!r) continue;
            ++loaded;
            const Movie& m = *r.movie();
            EXPECT_LE(m.frameCount(), 3u) << "cut at " << n;
            // A movie that lost its end is marked so, unless only the End tag was lost.
            if (n + 2 < full.size() && compression == Compression::None) {
                EXPECT_TRUE(m.facts().truncated) << n;
            }
            for (std::size_t f = 0; f < m.frameCount(); ++f)
                EXPECT_EQ(m.timeline().frameTags(f).size(), complete.movie()->timeline().frameTags(f).size())
                    << "frame " << f << " cut at " << n;
        }
        EXPECT_GT(loaded, 0u);
    }
}

TEST(DamagedMovie, FlippedBitsNeverCrash)
{
    Bytes full = sampleMovie().build();
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    int loaded = 0;
    for (int i = 0; i < 3000; ++i) {
        Bytes damaged = full;
        int flips = 1 + static_cast<int>(next() % 4);
        for (int k = 0; k < flips; ++k) {
            std::size_t at = 8 + next() % (damaged.size() - 8);
            damaged[at] ^= static_cast<std::uint8_t>(1u << (next() % 8));
        }
        MovieLoadResult r = Movie::load(damaged);
        if (r) {
            ++loaded;
            EXPECT_GE(r.movie()->frameCount(), 1u);
        } else {
            EXPECT_FALSE(r.error().message.empty());
        }
    }
    EXPECT_GT(loaded, 0);
}

TEST(DamagedMovie, AbsurdSizesAndCountsAreRefusedWithoutHugeAllocations)
{
    // A tag claiming 4 GB.
    MovieWriter m(8);
    m.showFrame();
    Bytes bytes = m.build();
    Bytes huge = {0xff, 0x09, 0xff, 0xff, 0xff, 0xff, 1, 2, 3};
    bytes.insert(bytes.end() - 2, huge.begin(), huge.end());
    MovieLoadResult r = Movie::load(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r.movie()->frameCount(), 1u);
    EXPECT_TRUE(r.movie()->facts().truncated);

    // Counts far beyond the data: 65535 styles, glyphs, records, exports.
    MovieWriter counts(8);
    ByteWriter shape;
    shape.u16(1);
    shape.rect({});
    shape.u8(0xff);
    shape.u16(0xffff);
    counts.tag(32, shape.data());
    ByteWriter font;
    font.u16(2);
    font.u8(0x08);
    font.u8(0);
    font.u8(0);
    font.u16(0xffff);
    font.u32(0xfffffff0);
    counts.tag(48, font.data());
    ByteWriter exports;
    exports.u16(0xffff);
    counts.tag(56, exports.data());
    ByteWriter lossless;
    lossless.u16(3);
    lossless.u8(3);
    lossless.u16(8000);
    lossless.u16(2000);
    lossless.u8(255);
    lossless.bytes(writer::zlibCompress(Bytes(100, 1)));
    counts.tag(20, lossless.data());
    counts.showFrame();
    MovieLoadResult c = Movie::load(counts.build());
    ASSERT_TRUE(c);
    EXPECT_FALSE(c.movie()->character(1));
    EXPECT_FALSE(c.movie()->character(2));
    EXPECT_FALSE(c.movie()->bitmap(3));  // only 100 bytes for 8000x2000: damaged, refused

    // A compressed movie declaring 4 GB: loads what the stream holds.
    Bytes declared = sampleMovie().build(Compression::Zlib, {}, 0xffffffffu);
    MovieLoadResult d = Movie::load(declared);
    ASSERT_TRUE(d);
    EXPECT_EQ(d.movie()->frameCount(), 3u);
}

TEST(DamagedMovie, ErrorsSayWhatAndWhere)
{
    MovieLoadResult notSwf = Movie::load(Bytes{'P', 'K', 3, 4, 0, 0, 0, 0});
    ASSERT_FALSE(notSwf);
    EXPECT_EQ(notSwf.error().kind, MovieLoadError::Kind::NotSwf);

    Bytes full = sampleMovie().build();
    Bytes early(full.begin(), full.begin() + 40);
    MovieLoadResult cut = Movie::load(early);
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.error().kind, MovieLoadError::Kind::Truncated);
    EXPECT_GE(cut.error().offset, 0);
    EXPECT_NE(cut.error().message.find("first frame"), std::string::npos);
}

}  // namespace
}  // namespace swf
