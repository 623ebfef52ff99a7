// Bitmap decoding: lossless formats, JPEG with tables and alpha, PNG, GIF, and the limits.

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/movie/bitmap_decoder.h"
#include "swf/movie/movie.h"

namespace swf {
namespace {

using writer::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

LosslessBitmapTag losslessTag(int version, int format, int w, int h, int tableSize, const Bytes& raw, Bytes& storage)
{
    storage = writer::zlibCompress(raw);
    LosslessBitmapTag t;
    t.losslessVersion = version;
    t.format = static_cast<std::uint8_t>(format);
    t.width = static_cast<std::uint16_t>(w);
    t.height = static_cast<std::uint16_t>(h);
    t.colorTableSize = tableSize;
    t.zlibData = storage;
    return t;
}

TEST(LosslessDecoder, ColourMappedRowsArePaddedAndIndicesPastTheTableAreBlackOrClear)
{
    // 3x2 pixels, rows padded to 4 bytes; table of 2 entries.
    Bytes rgbTable = {255, 0, 0, 0, 0, 255};
    Bytes rows = {0, 1, 7, 0xee, 1, 0, 0, 0xee};
    Bytes raw = rgbTable;
    raw.insert(raw.end(), rows.begin(), rows.end());
    Bytes storage;
    Bitmap b = decodeLossless(losslessTag(1, 3, 3, 2, 2, raw, storage));
    ASSERT_EQ(b.pixels.size(), 6u);
    EXPECT_EQ(b.pixels[0], 0xffff0000u);
    EXPECT_EQ(b.pixels[1], 0xff0000ffu);
    EXPECT_EQ(b.pixels[2], 0xff000000u);  // index 7: black
    EXPECT_EQ(b.pixels[3], 0xff0000ffu);
    EXPECT_TRUE(b.opaque);

    // With alpha: RGBA table entries, clamped to alpha; index past the table is transparent.
    Bytes rgbaTable = {200, 100, 50, 128, 0, 0, 0, 0};
    raw = rgbaTable;
    raw.insert(raw.end(), rows.begin(), rows.end());
    Bitmap a = decodeLossless(losslessTag(2, 3, 3, 2, 2, raw, storage));
    EXPECT_EQ(a.pixels[0], 0x80806432u);  // 200 and 100 clamped to 128
    EXPECT_EQ(a.pixels[2], 0u);
    EXPECT_FALSE(a.opaque);
}

TEST(LosslessDecoder, FifteenBitPixelsAreBigEndianAndRowsEven)
{
    // 1x2 pixels: each row is 2 bytes + 2 padding. Red 31 (0x7c00), then blue 31 (0x001f).
    Bytes raw = {0x7c, 0x00, 0, 0, 0x00, 0x1f, 0, 0};
    Bytes storage;
    Bitmap b = decodeLossless(losslessTag(1, 4, 1, 2, 0, raw, storage));
    EXPECT_EQ(b.pixels[0], 0xffff0000u);
    EXPECT_EQ(b.pixels[1], 0xff0000ffu);
}

TEST(LosslessDecoder, TrueColourWithAndWithoutAlpha)
{
    Bytes raw = {0x00, 10, 20, 30, 0x80, 0x90, 0x40, 0x20};
    Bytes storage;
    Bitmap plain = decodeLossless(losslessTag(1, 5, 2, 1, 0, raw, storage));
    EXPECT_EQ(plain.pixels[0], 0xff0a141eu);  // reserved byte is not alpha
    EXPECT_EQ(plain.pixels[1], 0xff904020u);
    Bitmap alpha = decodeLossless(losslessTag(2, 5, 2, 1, 0, raw, storage));
    EXPECT_EQ(alpha.pixels[0], 0u);           // alpha 0: colour clamped away
    EXPECT_EQ(alpha.pixels[1], 0x80804020u);  // 0x90 clamped to 0x80
}

TEST(LosslessDecoder, ShortDataKeepsTheRowsThereAndEmptyDataIsAnError)
{
    Bytes raw = {0, 1, 2, 3};  // one of two rows
    Bytes storage;
    Bitmap b = decodeLossless(losslessTag(2, 5, 1, 2, 0, raw, storage));
    EXPECT_EQ(b.pixels[0], 0u);  // alpha 0 clamps the colour away
    EXPECT_EQ(b.pixels[1], 0u);
    LosslessBitmapTag broken;
    broken.format = 5;
    broken.width = broken.height = 4;
    Bytes junk = {1, 2, 3};
    broken.zlibData = junk;
    EXPECT_THROW(decodeLossless(broken), FormatError);
}

writer::Image gradientImage(int w, int h, bool withAlpha)
{
    writer::Image img{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t a = withAlpha ? static_cast<std::uint32_t>(x * 255 / (w - 1)) : 255;
            img.argb.push_back((a << 24) | (200u << 16) | (static_cast<std::uint32_t>(y * 4) << 8) | 40u);
        }
    return img;
}

int channel(std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 255); }

TEST(JpegDecoder, Jpeg3AlphaPlaneIsAppliedAndColourClampedToIt)
{
    auto img = gradientImage(32, 16, true);
    Bytes body = writer::jpegBody(1, img, 3, 95);
    JpegBitmapTag tag = decodeJpegBitmap(ByteReader(body), 3);
    Bitmap b = decodeJpegBitmapTag(tag);
    ASSERT_EQ(b.width, 32);
    ASSERT_EQ(b.height, 16);
    EXPECT_FALSE(b.opaque);
    for (std::size_t i = 0; i < b.pixels.size(); ++i) {
        std::uint32_t p = b.pixels[i];
        int a = channel(p, 24);
        EXPECT_EQ(a, static_cast<int>(img.argb[i] >> 24));
        EXPECT_LE(channel(p, 16), a);
        EXPECT_LE(channel(p, 8), a);
        EXPECT_LE(channel(p, 0), a);
    }
    // Opaque column: colour survives the JPEG round trip closely.
    std::uint32_t last = b.pixels[31];
    EXPECT_NEAR(channel(last, 16), 200, 6);
    EXPECT_NEAR(channel(last, 0), 40, 6);
}

// Splits a JPEG into a JPEGTables body (SOI, DQT/DHT, EOI) and a DefineBits image (the rest).
std::pair<Bytes, Bytes> splitTables(const Bytes& jpeg)
{
    Bytes tables = {0xff, 0xd8}, image = {0xff, 0xd8};
    std::size_t i = 2;
    while (i + 4 <= jpeg.size()) {
        std::uint8_t m = jpeg[i + 1];
        if (m == 0xda) {
            image.insert(image.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(i), jpeg.end());
            break;
        }
        std::size_t len = (static_cast<std::size_t>(jpeg[i + 2]) << 8) | jpeg[i + 3];
        Bytes& to = (m == 0xdb || m == 0xc4) ? tables : image;
        to.insert(to.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(i),
                  jpeg.begin() + static_cast<std::ptrdiff_t>(i + 2 + len));
        i += 2 + len;
    }
    tables.push_back(0xff);
    tables.push_back(0xd9);
    return {tables, image};
}

TEST(JpegDecoder, DefineBitsUsesTheFileTablesEvenWhenTheyComeLater)
{
    auto img = gradientImage(16, 16, false);
    auto [tables, image] = splitTables(writer::encodeJpeg(img, 90));
    // The erroneous header in front of the image, as old files have it.
    Bytes prefixed = {0xff, 0xd9, 0xff, 0xd8};
    prefixed.insert(prefixed.end(), image.begin(), image.end());

    writer::MovieWriter m(4);
    ByteWriter bits;
    bits.u16(5);
    bits.bytes(prefixed);
    m.tag(6, bits.data());
    m.tag(8, tables);
    m.showFrame();
    MovieLoadResult r = Movie::load(m.build());
    ASSERT_TRUE(r);
    const Bitmap* b = r.movie()->bitmap(5);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width, 16);
    EXPECT_NEAR(channel(b->pixels[0], 16), 200, 6);
    EXPECT_TRUE(b->opaque);
}

Bytes encodePng(int w, int h, const std::vector<std::uint8_t>& rgba)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr));
    out.resize(size);
    return out;
}

TEST(PngDecoder, PngInsideAJpegTagIsPremultiplied)
{
    Bytes png = encodePng(2, 1, {255, 0, 0, 255, 200, 100, 50, 128});
    JpegBitmapTag tag;
    tag.jpegVersion = 2;
    tag.imageData = png;
    Bitmap b = decodeJpegBitmapTag(tag);
    EXPECT_EQ(b.pixels[0], 0xffff0000u);
    EXPECT_EQ(b.pixels[1], 0x80643219u);
    EXPECT_FALSE(b.opaque);
}

int writeToVector(GifFileType* gif, const GifByteType* data, int len)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + len);
    return len;
}

Bytes encodeGif(bool interlaced)
{
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, writeToVector, &err);
    GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 3, 4, 2, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 0;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(gif, 0, 0, 3, 4, interlaced, nullptr);
    // Row y has colour index y % 4 in every pixel.
    std::vector<std::vector<GifPixelType>> rows(4);
    for (int y = 0; y < 4; ++y) rows[y].assign(3, static_cast<GifPixelType>(y % 4));
    std::vector<int> order = interlaced ? std::vector<int>{0, 2, 1, 3} : std::vector<int>{0, 1, 2, 3};
    for (int y : order) EGifPutLine(gif, rows[y].data(), 3);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

TEST(GifDecoder, FirstImageWithTransparencyAndInterlacing)
{
    for (bool interlaced : {false, true}) {
        Bytes gif = encodeGif(interlaced);
        Bitmap b = decodeGif(gif);
        ASSERT_EQ(b.width, 3);
        ASSERT_EQ(b.height, 4);
        EXPECT_EQ(b.pixels[0], 0u) << "transparent index";
        EXPECT_EQ(b.pixels[3], 0xffff0000u) << "row 1, interlaced " << interlaced;
        EXPECT_EQ(b.pixels[6], 0xff00ff00u) << "row 2, interlaced " << interlaced;
        EXPECT_EQ(b.pixels[9], 0xff0000ffu);
        EXPECT_FALSE(b.opaque);
    }
}

TEST(BitmapLimits, BitmapsOverThePlayerLimitsAreRefusedForThatCharacterOnly)
{
    EXPECT_NO_THROW(checkBitmapSize(8191, 2048));
    EXPECT_THROW(checkBitmapSize(8192, 1), FormatError);
    EXPECT_THROW(checkBitmapSize(4096, 4096), FormatError);  // 16,777,216 pixels
    EXPECT_THROW(checkBitmapSize(0, 10), FormatError);

    writer::MovieWriter m(8);
    ByteWriter huge;
    huge.u16(1);
    huge.u8(5);
    huge.u16(60000);
    huge.u16(60000);
    huge.bytes(writer::zlibCompress(Bytes(1000, 0)));
    m.tag(36, huge.data());
    auto small = gradientImage(4, 4, true);
    m.tag(36, writer::losslessBody(2, small, 2));
    m.showFrame();
    MovieLoadResult r = Movie::load(m.build());
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.movie()->character(1));
    EXPECT_FALSE(r.movie()->bitmap(1));
    ASSERT_TRUE(r.movie()->bitmap(2));
    EXPECT_EQ(r.movie()->bitmap(2)->width, 4);
    EXPECT_FALSE(r.movie()->warnings().empty());
}

TEST(JpegDecoder, DamagedJpegIsAnErrorNotACrash)
{
    Bytes jpeg = writer::encodeJpeg(gradientImage(64, 64, false));
    for (std::size_t cut : {std::size_t(2), jpeg.size() / 3, jpeg.size() - 3}) {
        Bytes part(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut));
        try {
            Bitmap b = decodeJpeg(part);
            EXPECT_EQ(b.width, 64);  // a cut scan still yields the picture's size
        } catch (const FormatError&) {
        }
    }
}

}  // namespace
}  // namespace swf
