// File header, decompression and the tag stream.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/display_tags.h"
#include "swf/format/shape_decoder.h"
#include "swf/format/swf_file.h"
#include "swf/format/tag_stream.h"

namespace swf {
namespace {

// A complete 79-byte SWF 3 file: white stage 550 x 400, one black outlined rectangle.
const std::vector<std::uint8_t> kMinimalMovie = {
    0x46, 0x57, 0x53, 0x03, 0x4F, 0x00, 0x00, 0x00, 0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0,
    0x00, 0x00, 0x0C, 0x01, 0x00, 0x43, 0x02, 0xFF, 0xFF, 0xFF, 0xBF, 0x00, 0x23, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x70, 0xFB, 0x49, 0x97, 0x0D, 0x0C, 0x7D, 0x50, 0x00, 0x01, 0x14, 0x00, 0x00, 0x00,
    0x00, 0x01, 0x25, 0xC9, 0x92, 0x0D, 0x21, 0xED, 0x48, 0x87, 0x65, 0x30, 0x3B, 0x6D, 0xE1, 0xD8,
    0xB4, 0x00, 0x00, 0x86, 0x06, 0x06, 0x01, 0x00, 0x01, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00};

std::vector<Tag> allTags(const SwfFile& f)
{
    TagReader reader(std::span(f.data).subspan(f.tagsOffset), static_cast<std::int64_t>(f.tagsOffset));
    std::vector<Tag> tags;
    while (auto t = reader.next()) tags.push_back(*t);
    return tags;
}

TEST(SwfFile, DecodesTheMinimalMovieEndToEnd)
{
    SwfFile f = readSwfFile(kMinimalMovie);
    EXPECT_EQ(f.header.version, 3);
    EXPECT_EQ(f.header.fileLength, 79u);
    EXPECT_EQ(f.header.frameSize, (Rect{0, 11000, 0, 8000}));
    EXPECT_EQ(f.header.frameRate, 12.0);
    EXPECT_EQ(f.header.frameCount, 1);
    EXPECT_FALSE(f.truncated);

    auto tags = allTags(f);
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[0].code, 9);
    EXPECT_EQ(tags[1].code, 2);
    EXPECT_EQ(tags[1].body.size(), 35u);  // long header form
    EXPECT_EQ(tags[2].code, 26);
    EXPECT_EQ(tags[3].code, 1);
    EXPECT_EQ(tags[4].code, 0);

    ShapeDefinition shape = decodeDefineShape(ByteReader(tags[1].body), 1);
    EXPECT_EQ(shape.id, 1);
    EXPECT_EQ(shape.bounds, (Rect{2010, 4910, 1670, 4010}));
    ASSERT_EQ(shape.shape.lines.size(), 1u);
    EXPECT_EQ(shape.shape.lines[0].width, 20);
    EXPECT_EQ(shape.shape.lines[0].color, (Rgba{0, 0, 0, 255}));
    ASSERT_EQ(shape.shape.records.size(), 5u);
    const auto& move = std::get<StyleChange>(shape.shape.records[0]);
    EXPECT_TRUE(move.hasMove);
    EXPECT_EQ(move.moveTo, (Point{4900, 1680}));
    EXPECT_TRUE(move.hasLine);
    EXPECT_EQ(move.line, 1u);
    EXPECT_EQ(std::get<StraightEdge>(shape.shape.records[1]).to, (Point{4900, 4000}));
    EXPECT_EQ(std::get<StraightEdge>(shape.shape.records[2]).to, (Point{2020, 4000}));
    EXPECT_EQ(std::get<StraightEdge>(shape.shape.records[3]).to, (Point{2020, 1680}));
    EXPECT_EQ(std::get<StraightEdge>(shape.shape.records[4]).to, (Point{4900, 1680}));

    TextDecoder text(3);
    PlaceObject place = decodePlaceObject(ByteReader(tags[2].body), 2, 3, text);
    EXPECT_TRUE(place.isPlace());
    EXPECT_EQ(place.depth, 1);
    EXPECT_EQ(place.characterId, 1);
    EXPECT_EQ(place.matrix, Matrix{});
}

TEST(SwfFile, FrameRateKeepsItsFraction)
{
    for (auto [lo, hi, fps] : {std::tuple{0x00, 0x18, 24.0}, {0x80, 0x1d, 29.5}, {0x00, 0x00, 0.0}}) {
        auto bytes = kMinimalMovie;
        bytes[17] = static_cast<std::uint8_t>(lo);
        bytes[18] = static_cast<std::uint8_t>(hi);
        EXPECT_EQ(readSwfFile(bytes).header.frameRate, fps);
    }
}


TEST(SwfFile, UncompressedZlibAndLzmaGiveTheSameFile)
{
    writer::MovieWriter m(10);
    m.setBackground({1, 2, 3, 255});
    std::vector<std::uint8_t> filler(5000);
    for (std::size_t i = 0; i < filler.size(); ++i) filler[i] = static_cast<std::uint8_t>(i * 7 % 251);
    m.tag(77, filler).showFrame();
    SwfFile plain = readSwfFile(m.build(Compression::None));
    SwfFile zlib = readSwfFile(m.build(Compression::Zlib));
    SwfFile lzma = readSwfFile(m.build(Compression::Lzma));
    EXPECT_EQ(zlib.header.compression, Compression::Zlib);
    EXPECT_EQ(lzma.header.compression, Compression::Lzma);
    // Identical after the signature byte.
    EXPECT_TRUE(std::equal(plain.data.begin() + 1, plain.data.end(), zlib.data.begin() + 1, zlib.data.end()));
    EXPECT_TRUE(std::equal(plain.data.begin() + 1, plain.data.end(), lzma.data.begin() + 1, lzma.data.end()));
    EXPECT_FALSE(zlib.truncated);
    EXPECT_FALSE(lzma.truncated);
    EXPECT_TRUE(zlib.warnings.empty());
    EXPECT_TRUE(lzma.warnings.empty());
}

TEST(SwfFile, DeclaredLengthBoundsDecompressionAndShortStreamsKeepWhatCameOut)
{
    writer::MovieWriter m(8);
    std::vector<std::uint8_t> filler(20000);
    std::uint32_t state = 1;
    for (auto& b : filler) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    m.tag(77, filler).showFrame();
    auto full = m.build(Compression::Zlib);
    std::uint32_t trueLength = static_cast<std::uint32_t>(readSwfFile(full).data.size());

    // A declared length shorter than the stream: never more than declared comes out.
    auto shortDeclared = m.build(Compression::Zlib, {}, 1000);
    SwfFile s = readSwfFile(shortDeclared);
    EXPECT_EQ(s.data.size(), 1000u);

    // A stream cut in the middle: what inflated is kept and the file is marked truncated.
    for (auto c : {Compression::Zlib, Compression::Lzma}) {
        auto bytes = m.build(c);
        bytes.resize(bytes.size() / 2);
        SwfFile cut = readSwfFile(bytes);
        EXPECT_TRUE(cut.truncated);
        EXPECT_GT(cut.data.size(), 8u);
        EXPECT_LT(cut.data.size(), trueLength);
    }
}

TEST(SwfFile, DecompressionBombsStopAtTheLimit)
{
    writer::MovieWriter m(8);
    std::vector<std::uint8_t> zeros(1 << 20, 0);
    m.tag(77, zeros).showFrame();
    // Declared larger than the cap: an error once the stream passes the cap.
    auto bytes = m.build(Compression::Zlib, {}, 0xffffffffu);
    try {
        readSwfFile(bytes, 64 * 1024);
        FAIL() << "no error";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.kind(), FormatError::Kind::TooLarge);
    }
    auto lz = m.build(Compression::Lzma, {}, 0xffffffffu);
    EXPECT_THROW(readSwfFile(lz, 64 * 1024), FormatError);
}

TEST(SwfFile, RejectsWhatIsNotAMovie)
{
    auto kindOf = [](std::vector<std::uint8_t> b) {
        try {
            readSwfFile(b);
        } catch (const FormatError& e) {
            return e.kind();
        }
        return FormatError::Kind::Corrupt;  // not expected
    };
    EXPECT_EQ(kindOf({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}), FormatError::Kind::Unsupported);
    EXPECT_EQ(kindOf({'F', 'W', 'S', 5}), FormatError::Kind::Truncated);
    EXPECT_EQ(kindOf({'F', 'W', 'S', 5, 20, 0, 0, 0}), FormatError::Kind::Truncated);  // no RECT
    EXPECT_EQ(kindOf({'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3, 4, 5}), FormatError::Kind::Corrupt);
    // LZMA properties with an impossible lc/lp/pb byte.
    EXPECT_EQ(kindOf({'Z', 'W', 'S', 13, 100, 0, 0, 0, 5, 0, 0, 0, 0xff, 0, 0, 1, 0, 1, 2, 3}),
              FormatError::Kind::Corrupt);
}

TEST(TagStream, LongHeadersForShortTagsAndCutTags)
{
    writer::Bytes data = writer::encodeTag(9, std::vector<std::uint8_t>{1, 2, 3}, true);
    auto second = writer::encodeTag(77, std::vector<std::uint8_t>(100, 7));
    data.insert(data.end(), second.begin(), second.end());
    data.resize(data.size() - 10);  // the second tag runs past the data

    TagReader reader(data, 1000);
    auto t1 = reader.next();
    ASSERT_TRUE(t1);
    EXPECT_EQ(t1->code, 9);
    EXPECT_EQ(t1->body.size(), 3u);
    EXPECT_EQ(t1->bodyOffset, 1006);
    auto t2 = reader.next();
    ASSERT_TRUE(t2);
    EXPECT_TRUE(t2->cut);
    EXPECT_EQ(t2->body.size(), 90u);
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.truncated());
    EXPECT_FALSE(reader.sawEnd());
    EXPECT_FALSE(reader.warnings().empty());

    // A header cut inside its long length.
    std::uint8_t cutHeader[] = {0xff, 0x00, 0x10};
    TagReader r2(cutHeader);
    EXPECT_FALSE(r2.next());
    EXPECT_TRUE(r2.truncated());

    // End stops the stream even with data after it.
    std::uint8_t ended[] = {0x00, 0x00, 0x40, 0x00};
    TagReader r3(ended);
    EXPECT_EQ(r3.next()->code, 0);
    EXPECT_FALSE(r3.next());
    EXPECT_TRUE(r3.sawEnd());
}

}  // namespace
}  // namespace swf
