// Bit fields, byte-aligned records and string decoding.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/reader.h"
#include "swf/format/records.h"
#include "swf/format/text_encoding.h"

namespace swf {
namespace {

using writer::BitWriter;
using writer::ByteWriter;

TEST(BitReader, SignExtendsAtEveryWidthAndReadsUnsignedToThirtyTwoBits)
{
    for (unsigned n = 1; n <= 32; ++n) {
        std::int64_t lo = -(std::int64_t(1) << (n - 1)), hi = (std::int64_t(1) << (n - 1)) - 1;
        std::uint64_t umax = n == 32 ? 0xffffffffu : (std::uint64_t(1) << n) - 1;
        ByteWriter w;
        {
            BitWriter b(w);
            b.ub(3, 5);  // misalign on purpose
            b.sb(n, static_cast<std::int32_t>(lo));
            b.sb(n, static_cast<std::int32_t>(hi));
            b.sb(n, -1);
            b.ub(n, static_cast<std::uint32_t>(umax));
        }
        ByteReader r(w.data());
        BitReader bits(r);
        ASSERT_EQ(bits.ub(3), 5u);
        EXPECT_EQ(bits.sb(n), lo) << "width " << n;
        EXPECT_EQ(bits.sb(n), hi) << "width " << n;
        EXPECT_EQ(bits.sb(n), -1) << "width " << n;
        EXPECT_EQ(bits.ub(n), umax) << "width " << n;
    }
}

TEST(BitReader, ZeroWidthConsumesNothingAndWiderThan32Fails)
{
    std::uint8_t data[] = {0xa0};
    ByteReader r(data);
    BitReader bits(r);
    EXPECT_EQ(bits.ub(0), 0u);
    EXPECT_EQ(bits.sb(0), 0);
    EXPECT_EQ(bits.ub(1), 1u);
    EXPECT_EQ(bits.ub(0), 0u);
    EXPECT_EQ(bits.ub(2), 1u);
    EXPECT_THROW(bits.ub(33), FormatError);
    // Reading past the data is a typed error, not a read past the buffer.
    EXPECT_THROW(bits.ub(8), FormatError);
}

TEST(BitReader, FixedPointBitFields)
{
    ByteWriter w;
    {
        BitWriter b(w);
        b.sb(20, static_cast<std::int32_t>(-1.5 * 65536));
    }
    ByteReader r(w.data());
    BitReader bits(r);
    EXPECT_DOUBLE_EQ(bits.fb(20), -1.5);
}

TEST(Records, MatrixAfterRectStartsOnAFreshByte)
{
    // RECT of 5 + 4*3 bits leaves 7 bits unused; the MATRIX must start on the next byte.
    ByteWriter w;
    w.rect({-1, 2, 3, -4});
    Matrix m;
    m.a = 2;
    m.d = -0.5;
    m.b = 0.25;
    m.c = -0.75;
    m.tx = -300;
    m.ty = 77;
    w.matrix(m);
    w.u8(0x5a);
    ByteReader r(w.data());
    Rect rect = readRect(r);
    EXPECT_EQ(rect, (Rect{-1, 2, 3, -4}));
    Matrix got = readMatrix(r);
    EXPECT_EQ(got, m);
    EXPECT_EQ(r.u8(), 0x5a);
}

TEST(Records, MatrixHasScaleWithZeroBitsMeansScaleZero)
{
    // HasScale=1, NScaleBits=0, HasRotate=0, NTranslateBits=0.
    std::uint8_t data[] = {0x80, 0x00};
    ByteReader r(data);
    Matrix m = readMatrix(r);
    EXPECT_EQ(m.a, 0);
    EXPECT_EQ(m.d, 0);
}

TEST(Records, ColorTransformFlagsComeAddFirstValuesMultFirst)
{
    // HasAdd=1, HasMult=1, Nbits=10: mult 128 (0.5) x4, add -20, 30, 40, 50.
    ByteWriter w;
    {
        BitWriter b(w);
        b.ub(1, 1);
        b.ub(1, 1);
        b.ub(4, 10);
        for (int i = 0; i < 4; ++i) b.sb(10, 128);
        b.sb(10, -20);
        b.sb(10, 30);
        b.sb(10, 40);
        b.sb(10, 50);
    }
    ByteReader r(w.data());
    ColorTransform c = readColorTransform(r, true);
    EXPECT_EQ(c.rMult, 0.5);
    EXPECT_EQ(c.aMult, 0.5);
    EXPECT_EQ(c.rAdd, -20);
    EXPECT_EQ(c.aAdd, 50);
    EXPECT_TRUE(r.atEnd());

    // Without alpha the fourth values are absent and alpha stays identity.
    ByteWriter w2;
    w2.colorTransform({2, 1, 1, 1, 5, 0, 0, 0}, false);
    ByteReader r2(w2.data());
    ColorTransform c2 = readColorTransform(r2, false);
    EXPECT_EQ(c2.rMult, 2);
    EXPECT_EQ(c2.rAdd, 5);
    EXPECT_EQ(c2.aMult, 1);
}

TEST(ByteReader, EncodedU32StopsAfterFiveBytes)
{
    std::uint8_t data[] = {0xff, 0xff, 0xff, 0xff, 0x8f, 0x01};
    ByteReader r(data);
    EXPECT_EQ(r.encodedU32(), 0xffffffffu);
    EXPECT_EQ(r.u8(), 0x01);
}

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(TextDecoder, OldVersionsDecodeGbkWhenTheTextIsNotUtf8)
{
    TextDecoder swf5(5);
    // "中文" in GBK.
    EXPECT_EQ(swf5.decode(bytesOf("\xd6\xd0\xce\xc4")), "\xe4\xb8\xad\xe6\x96\x87");
    // Valid UTF-8 stays as it is.
    EXPECT_EQ(swf5.decode(bytesOf("\xe4\xb8\xad")), "\xe4\xb8\xad");
    // A byte that GBK cannot place reads as Latin-1: "café" in code page 1252.
    EXPECT_EQ(swf5.decode(bytesOf("caf\xe9")), "caf\xc3\xa9");
    // Font codes: a double-byte character as lead * 256 + trail, and ASCII as is.
    EXPECT_EQ(swf5.decodeCode(0xd6d0), u'\u4e2d');
    EXPECT_EQ(swf5.decodeCode('A'), u'A');
}

TEST(TextDecoder, NewVersionsAreUtf8WithBadSequencesReplaced)
{
    TextDecoder swf6(6);
    EXPECT_EQ(swf6.decode(bytesOf("a\xd6\xd0z")), "a\xef\xbf\xbd\xef\xbf\xbdz");
    EXPECT_EQ(swf6.decode(bytesOf("\xe4\xb8\xad")), "\xe4\xb8\xad");
    EXPECT_EQ(swf6.decodeCode(0xd6d0), char16_t(0xd6d0));  // UCS-2 as stored
    // Overlong encodings and surrogates are not valid UTF-8.
    EXPECT_FALSE(isValidUtf8(bytesOf("\xc0\xaf")));
    EXPECT_FALSE(isValidUtf8(bytesOf("\xed\xa0\x80")));
}

TEST(TextDecoder, EncodeGivesTheBytesEachVersionStores)
{
    TextDecoder swf5(5);
    // GBK double-byte characters (GBK has e-acute and Cyrillic too); characters GBK lacks
    // become '?', and so does a lone surrogate.
    EXPECT_EQ(swf5.encode(u"a\u4e2d"), "a\xd6\xd0");
    EXPECT_EQ(swf5.encode(u"caf\u00e9 \u0410"), "caf\xa8\xa6 \xa7\xa1");
    EXPECT_EQ(swf5.encode(u"gru\u00df \u05d0\xd800x"), "gru? ??x");
    // What encode() gives, decode() reads back.
    for (std::u16string text : {std::u16string(u"ASCII only"), std::u16string(u"\u4e2d\u6587 caf\u00e9 \u0410")}) {
        const std::string bytes = swf5.encode(text);
        std::string utf8;
        for (char16_t c : text) appendUtf8(utf8, c);
        EXPECT_EQ(swf5.decode(bytesOf(bytes)), utf8);
    }
    TextDecoder swf6(6);
    EXPECT_EQ(swf6.encode(u"\u4e2d\U0001f600"), "\xe4\xb8\xad\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace swf
