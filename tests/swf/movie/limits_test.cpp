// The loading limits of swf/format/limits.h: each refuses only the part that passes it, with a
// warning that names the limit, and the rest of the movie loads.

#include <algorithm>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/limits.h"
#include "swf/format/shape_decoder.h"
#include "swf/format/text_decoder.h"
#include "swf/movie/movie.h"

namespace swf {
namespace {

using writer::BitWriter;
using writer::ByteWriter;
using writer::MovieWriter;

bool anyWarningHas(const Movie& movie, const std::string& text)
{
    return std::any_of(movie.warnings().begin(), movie.warnings().end(),
                       [&](const std::string& w) { return w.find(text) != std::string::npos; });
}

// A DefineShape body of `records` style changes that select fill 1 (6 bits each in the file).
ByteWriter shapeOfStyleChanges(std::size_t records)
{
    ByteWriter w;
    w.u16(1);
    w.rect({0, 100, 0, 100});
    w.u8(1);  // one solid fill
    w.u8(0);
    w.u8(10);
    w.u8(20);
    w.u8(30);
    w.u8(0);     // no lines
    w.u8(0x10);  // NumFillBits 1
    BitWriter b(w);
    for (std::size_t i = 0; i < records; ++i) {
        b.ub(1, 0);     // style change
        b.ub(5, 0x04);  // fill1 only
        b.ub(1, 1);
    }
    b.ub(6, 0);  // end
    b.flush();
    return w;
}

TEST(LoadLimits, ShapeRecordsPastTheLimitRefuseThatShapeOnly)
{
    // With its fill style and its end record, this shape is exactly at the limit.
    ByteWriter atLimit = shapeOfStyleChanges(limits::kMaxShapeRecords - 2);
    EXPECT_EQ(decodeDefineShape(ByteReader(atLimit.data()), 1).shape.records.size(), limits::kMaxShapeRecords - 2);

    ByteWriter over = shapeOfStyleChanges(limits::kMaxShapeRecords - 1);
    try {
        decodeDefineShape(ByteReader(over.data()), 1);
        FAIL() << "a shape past the limit decoded";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.kind(), FormatError::Kind::TooLarge);
    }

    // In a movie: that shape is missing, the next one is there, and the movie plays.
    ShapeDefinition small;
    small.id = 2;
    MovieWriter m;
    m.tag(2, over.data()).shape(small).showFrame();
    MovieLoadResult r = Movie::load(m.build());
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r.movie()->shape(1), nullptr);
    EXPECT_NE(r.movie()->shape(2), nullptr);
    EXPECT_TRUE(anyWarningHas(*r.movie(), "shape records"));
}

TEST(LoadLimits, TextGlyphsThatTakeNoBitsStopAtTheLimit)
{
    // Glyph and advance fields of zero bits: 255 glyphs in two bytes of file.
    auto text = [](std::size_t records) {
        ByteWriter w;
        w.u16(5);
        w.rect({0, 100, 0, 100});
        w.u8(0);  // identity matrix: no fields
        w.u8(0);  // GlyphBits
        w.u8(0);  // AdvanceBits
        for (std::size_t i = 0; i < records; ++i) {
            w.u8(0x80);
            w.u8(255);
        }
        w.u8(0);
        return w;
    };
    std::size_t fits = limits::kMaxTextGlyphs / 256;
    EXPECT_EQ(decodeDefineText(ByteReader(text(fits).data()), 1).records.size(), fits);
    ByteWriter over = text(fits + 1);
    EXPECT_THROW(decodeDefineText(ByteReader(over.data()), 1), FormatError);
}

TEST(LoadLimits, TagsPastTheMemoryLimitEndTheTimelineAndWholeFramesStay)
{
    // One frame with a shape, then more tags than the limit has room for (two bytes each in the
    // file, a control tag's worth of bookkeeping each in memory).
    ShapeDefinition s;
    s.id = 1;
    MovieWriter m;
    m.shape(s).place(1, 1).showFrame();
    std::size_t tags = limits::kMaxMovieBytes / sizeof(ControlTag) + 10;
    writer::Bytes file = m.build();
    file.resize(file.size() - 2);  // without End
    file.reserve(file.size() + 2 * tags + 4);
    for (std::size_t i = 0; i < tags; ++i) {
        file.push_back(0x00);  // tag 1000 (unknown), empty
        file.push_back(0xfa);
    }
    file.push_back(0x40);  // ShowFrame, End
    file.push_back(0x00);
    file.push_back(0x00);
    file.push_back(0x00);
    MovieLoadResult r = Movie::load(file);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r.movie()->frameCount(), 1u);
    EXPECT_NE(r.movie()->shape(1), nullptr);
    EXPECT_TRUE(anyWarningHas(*r.movie(), "memory limit"));
}

}  // namespace
}  // namespace swf
