// What the pictures show, as far as the window relies on it: the banner frames' lines and
// fields, the toolbar images' opaque grey, the icons' transparency and the pointer's tip.
#include <gtest/gtest.h>


#include "resources/pictures.h"

using pictures::Picture;

namespace {

const QRgb red = qRgb(222, 0, 41);
const QRgb yellow = qRgb(255, 243, 0);
const QRgb black = qRgb(0, 0, 0);
const QRgb white = qRgb(255, 255, 255);

QRgb rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

int countColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += rgb(image, x, y) == colour;
    }
    return count;
}

bool opaque(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 255;
}

} // namespace

TEST(PictureContent, BannerFrameZeroHasAWhiteTopLineOverItsYellowFrame)
{
    const QImage frame = pictures::decode(Picture::BannerFrame0);
    for (int x = 0; x < frame.width(); ++x) {
        ASSERT_EQ(rgb(frame, x, 0), white) << "column " << x;
        ASSERT_EQ(rgb(frame, x, 1), yellow) << "column " << x;
        ASSERT_EQ(rgb(frame, x, 31), yellow) << "column " << x;
    }
    for (int y = 1; y < frame.height(); ++y) {
        ASSERT_EQ(rgb(frame, 0, y), yellow) << "row " << y;
        ASSERT_EQ(rgb(frame, 87, y), yellow) << "row " << y;
    }
    EXPECT_EQ(rgb(frame, 3, 4), red);
}

TEST(PictureContent, BannerFramesOneToFourHaveBlackThenYellowLines)
{
    for (Picture picture : {Picture::BannerFrame1, Picture::BannerFrame2, Picture::BannerFrame3,
                            Picture::BannerFrame4}) {
        SCOPED_TRACE(pictures::resourcePath(picture).toStdString());
        const QImage frame = pictures::decode(picture);
        const int bottom = frame.height() - 1;
        // Top, bottom and left sides: black outside, yellow inside.
        for (int x = 1; x < frame.width() - 2; ++x) {
            ASSERT_EQ(rgb(frame, x, 0), black) << "column " << x;
            ASSERT_EQ(rgb(frame, x, bottom), black) << "column " << x;
            ASSERT_EQ(rgb(frame, x + 1, 1), yellow) << "column " << x + 1;
            ASSERT_EQ(rgb(frame, x + 1, bottom - 1), yellow) << "column " << x + 1;
        }
        for (int y = 2; y < bottom - 1; ++y) {
            ASSERT_EQ(rgb(frame, 0, y), black) << "row " << y;
            ASSERT_EQ(rgb(frame, 1, y), yellow) << "row " << y;
        }
    }
    // Frame 1's right edge is open: the red field runs to it.
    const QImage frame1 = pictures::decode(Picture::BannerFrame1);
    for (int y = 2; y < 31; ++y)
        EXPECT_EQ(rgb(frame1, 87, y), red) << "row " << y;
    // Frames 2 to 4 are closed on the right as well.
    for (Picture picture : {Picture::BannerFrame2, Picture::BannerFrame3, Picture::BannerFrame4}) {
        const QImage frame = pictures::decode(picture);
        for (int y = 2; y < 31; ++y) {
            ASSERT_EQ(rgb(frame, 89, y), black) << "row " << y;
            ASSERT_EQ(rgb(frame, 88, y), yellow) << "row " << y;
        }
    }
}

TEST(PictureContent, BannerFieldsAreRedButTheEmblemFrameIsBlack)
{
    for (Picture picture : {Picture::BannerFrame0, Picture::BannerFrame1, Picture::BannerFrame2,
                            Picture::BannerFrame3}) {
        const QImage frame = pictures::decode(picture);
        EXPECT_GT(countColour(frame, red), frame.width() * frame.height() / 4)
            << pictures::resourcePath(picture).toStdString();
    }
    const QImage frame4 = pictures::decode(Picture::BannerFrame4);
    EXPECT_EQ(rgb(frame4, 4, 4), black);
    EXPECT_EQ(rgb(frame4, 84, 28), black);
    EXPECT_EQ(rgb(frame4, 38, 11), yellow);  // the emblem's disc in the middle
}

// The toolbar's image list treats 192,192,192 as transparent; none of its images may contain
// it, and each lies on the toolbar's light grey.
TEST(PictureContent, ToolbarImagesAreOpaqueOnLightGrey)
{
    const QRgb maskColour = qRgb(192, 192, 192);
    const QRgb background = qRgb(198, 198, 198);
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE("toolbar image " + std::to_string(index));
        const QImage image = pictures::toolbarImage(index).toImage();
        EXPECT_FALSE(image.hasAlphaChannel());
        EXPECT_EQ(countColour(image, maskColour), 0);
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        EXPECT_EQ(rgb(image, 0, 0), background);
        EXPECT_EQ(rgb(image, right, 0), background);
        EXPECT_EQ(rgb(image, 0, bottom), background);
        EXPECT_EQ(rgb(image, right, bottom), background);
    }
    // Each symbol has its colour; the play symbol's is the exact light green.
    EXPECT_GT(countColour(pictures::toolbarImage(1).toImage(), qRgb(132, 255, 132)), 10);
    EXPECT_GT(countColour(pictures::toolbarImage(6).toImage(), qRgb(255, 0, 132)), 10);
    EXPECT_GT(countColour(pictures::toolbarImage(5).toImage(), qRgb(0, 255, 255)), 10);
}

TEST(PictureContent, WindowIconIsAGlobeTransparentOutsideItsDisc)
{
    const QImage icon = pictures::decode(Picture::WindowIcon);
    for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_FALSE(opaque(icon, corner.x(), corner.y()));
    EXPECT_TRUE(opaque(icon, 16, 16));
    EXPECT_GT(countColour(icon, qRgb(0, 255, 0)), 60);   // land
    EXPECT_GT(countColour(icon, qRgb(0, 0, 255)), 150);  // sea
    EXPECT_FALSE(pictures::windowIcon().isNull());
}

TEST(PictureContent, HandPointerAimsWithTheTipOfItsFinger)
{
    const QImage hand = pictures::decode(Picture::HandPointer);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 32; ++x)
            ASSERT_FALSE(opaque(hand, x, y)) << x << "," << y;
    }
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(opaque(hand, x, 5), x == 12 || x == 13) << "column " << x;
    // Transparent around the hand, white inside it.
    EXPECT_FALSE(opaque(hand, 0, 31));
    EXPECT_EQ(rgb(hand, 12, 8), white);

    const QCursor cursor = pictures::handCursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(12, 5));
    EXPECT_EQ(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              hand.convertToFormat(QImage::Format_ARGB32));
}

TEST(PictureContent, DecodingRejectsPicturesThatDoNotExist)
{
    EXPECT_THROW(pictures::bannerFrame(5), pictures::PictureError);
    EXPECT_THROW(pictures::bannerFrame(-1), pictures::PictureError);
    EXPECT_THROW(pictures::toolbarImage(0), pictures::PictureError);
    EXPECT_THROW(pictures::toolbarImage(7), pictures::PictureError);
}
