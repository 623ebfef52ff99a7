// The built-in pictures' files as compiled into the program: each kind's header facts, read
// from the stored bytes themselves, and each picture's decoded size.
#include <cstdint>

#include <gtest/gtest.h>

#include "resources/pictures.h"

using pictures::Picture;

namespace {

std::uint32_t u16(const QByteArray& b, int at)
{
    return std::uint8_t(b[at]) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

std::uint32_t u32(const QByteArray& b, int at)
{
    return u16(b, at) | u16(b, at + 2) << 16;
}

std::uint32_t be16(const QByteArray& b, int at)
{
    return std::uint32_t(std::uint8_t(b[at])) << 8 | std::uint8_t(b[at + 1]);
}

struct Expected {
    Picture picture;
    int width;
    int height;
};

const Expected bannerFrames[] = {{Picture::BannerFrame0, 88, 32}, {Picture::BannerFrame1, 88, 33},
                                 {Picture::BannerFrame2, 90, 33}, {Picture::BannerFrame3, 90, 33},
                                 {Picture::BannerFrame4, 90, 33}};
const Expected toolbarImages[] = {
    {Picture::ToolbarImage1, 26, 26}, {Picture::ToolbarImage2, 26, 26}, {Picture::ToolbarImage3, 26, 26},
    {Picture::ToolbarImage4, 26, 26}, {Picture::ToolbarImage5, 32, 26}, {Picture::ToolbarImage6, 26, 26}};

// Checks every fact of a 24-bit bottom-up BMP and returns nothing; failures name the picture.
void expectBmp24(const Expected& e, std::uint32_t pixelsPerMetre)
{
    SCOPED_TRACE(pictures::resourcePath(e.picture).toStdString());
    const QByteArray b = pictures::storedBytes(e.picture);
    const int stride = (e.width * 3 + 3) / 4 * 4;
    ASSERT_EQ(b.size(), 54 + e.height * stride);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(b, 2), std::uint32_t(b.size()));  // file size
    EXPECT_EQ(u32(b, 6), 0u);                        // reserved
    EXPECT_EQ(u32(b, 10), 54u);                      // pixels start right after the headers
    EXPECT_EQ(u32(b, 14), 40u);                      // BITMAPINFOHEADER
    EXPECT_EQ(u32(b, 18), std::uint32_t(e.width));
    EXPECT_EQ(u32(b, 22), std::uint32_t(e.height));  // positive: rows stored bottom-up
    EXPECT_EQ(u16(b, 26), 1u);                       // planes
    EXPECT_EQ(u16(b, 28), 24u);                      // bits per pixel
    EXPECT_EQ(u32(b, 30), 0u);                       // uncompressed
    EXPECT_EQ(u32(b, 38), pixelsPerMetre);
    EXPECT_EQ(u32(b, 42), pixelsPerMetre);
    EXPECT_EQ(u32(b, 46), 0u);  // no colour table
    // Row padding is zero bytes.
    for (int row = 0; row < e.height; ++row) {
        for (int pad = e.width * 3; pad < stride; ++pad)
            ASSERT_EQ(b[54 + row * stride + pad], '\0') << "row " << row;
    }
    // The first stored row is the image's bottom row.
    const QImage image = pictures::decode(e.picture);
    ASSERT_EQ(image.size(), QSize(e.width, e.height));
    for (int x = 0; x < e.width; ++x) {
        const QRgb pixel = image.pixel(x, e.height - 1);
        const int at = 54 + x * 3;
        ASSERT_EQ(qRgb(std::uint8_t(b[at + 2]), std::uint8_t(b[at + 1]), std::uint8_t(b[at])), pixel)
            << "column " << x;
    }
}

void expectIcon(Picture picture)
{
    SCOPED_TRACE(pictures::resourcePath(picture).toStdString());
    const QByteArray b = pictures::storedBytes(picture);
    ASSERT_EQ(b.size(), 766);
    EXPECT_EQ(b.left(6), QByteArray::fromHex("000001000100"));  // icon file with one image
    EXPECT_EQ(std::uint8_t(b[6]), 32);                          // width
    EXPECT_EQ(std::uint8_t(b[7]), 32);                          // height
    EXPECT_EQ(std::uint8_t(b[8]), 16);                          // colours
    EXPECT_EQ(u32(b, 14), 744u);                                // image bytes
    EXPECT_EQ(u32(b, 18), 22u);                                 // image offset
    EXPECT_EQ(u32(b, 22), 40u);                                 // information header
    EXPECT_EQ(u32(b, 26), 32u);
    EXPECT_EQ(u32(b, 30), 64u);  // colour pixels and mask together
    EXPECT_EQ(u16(b, 34), 1u);
    EXPECT_EQ(u16(b, 36), 4u);  // bits per pixel
    EXPECT_EQ(u32(b, 38), 0u);  // uncompressed
    // 40 + 16 * 4 table + 32 * 16 colour bytes + 32 * 4 mask bytes = 744.
    const QImage image = pictures::decode(picture);
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_TRUE(image.hasAlphaChannel());
}

} // namespace

TEST(StoredPictures, BannerFramesAre24BitBottomUpBitmapsAt96Dpi)
{
    for (const Expected& e : bannerFrames)
        expectBmp24(e, 3780);
}

TEST(StoredPictures, ToolbarImagesAre24BitBottomUpBitmapsWithoutResolution)
{
    for (const Expected& e : toolbarImages)
        expectBmp24(e, 0);
}

TEST(StoredPictures, IconsAre32By32SixteenColourIconsWithAMask)
{
    expectIcon(Picture::WindowIcon);
    expectIcon(Picture::HandPointer);
}

// Walks the JPEG's marker segments up to the start of scan and checks each one.
TEST(StoredPictures, StartupPictureIsABaselineJfifJpegWithoutExtraSegments)
{
    const QByteArray b = pictures::storedBytes(Picture::StartupPicture);
    ASSERT_GT(b.size(), 4);
    ASSERT_EQ(be16(b, 0), 0xFFD8u);
    ASSERT_EQ(b.right(2), QByteArray::fromHex("ffd9"));

    int at = 2;
    bool sawJfif = false;
    bool sawFrame = false;
    while (true) {
        ASSERT_LE(at + 4, b.size());
        ASSERT_EQ(std::uint8_t(b[at]), 0xFF) << "at " << at;
        const unsigned marker = std::uint8_t(b[at + 1]);
        const int length = int(be16(b, at + 2));
        ASSERT_LE(at + 2 + length, b.size());
        const QByteArray body = b.mid(at + 4, length - 2);
        if (marker == 0xE0) {
            ASSERT_FALSE(sawJfif) << "a second APP0";
            sawJfif = true;
            ASSERT_GE(body.size(), 14);
            EXPECT_EQ(body.left(5), QByteArray("JFIF", 5));
            EXPECT_EQ(std::uint8_t(body[5]), 1);  // version 1.01
            EXPECT_EQ(std::uint8_t(body[6]), 1);
            EXPECT_EQ(std::uint8_t(body[7]), 0);  // aspect ratio only
            EXPECT_EQ(be16(body, 8), be16(body, 10)) << "pixels are not square";
            EXPECT_EQ(std::uint8_t(body[12]), 0);  // no thumbnail
            EXPECT_EQ(std::uint8_t(body[13]), 0);
        } else if (marker == 0xC0) {
            sawFrame = true;
            ASSERT_EQ(body.size(), 15);
            EXPECT_EQ(std::uint8_t(body[0]), 8);  // 8-bit samples
            EXPECT_EQ(be16(body, 1), 328u);
            EXPECT_EQ(be16(body, 3), 489u);
            EXPECT_EQ(std::uint8_t(body[5]), 3);
            EXPECT_EQ(std::uint8_t(body[7]), 0x22);  // luminance 2 x 2
            EXPECT_EQ(std::uint8_t(body[10]), 0x11);
            EXPECT_EQ(std::uint8_t(body[13]), 0x11);
        } else if (marker == 0xDA) {
            break;
        } else {
            // Only tables may stand between the header and the scan: no comment, no other
            // application segment, no other kind of frame.
            EXPECT_TRUE(marker == 0xDB || marker == 0xC4) << "unexpected marker " << std::hex << marker;
        }
        at += 2 + length;
    }
    EXPECT_TRUE(sawJfif);
    EXPECT_TRUE(sawFrame);
    // Nothing follows the image either.
    EXPECT_EQ(b.indexOf(QByteArray::fromHex("fffe")), -1) << "a comment segment";
    EXPECT_EQ(pictures::decode(Picture::StartupPicture).size(), QSize(489, 328));
}
