// Each built-in picture on its control once the window exists: banner frames in Image2, the
// start-up picture stretched on Image1, the toolbar images in ImageList1, the window icon and
// the hand pointer.
#include "app/form1_test_support.h"
#include "resources/pictures.h"

namespace {

using WindowPictures = FormTest;

QImage rgb(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(WindowPictures, ImageControlsHoldTheBannerFramesAtTheirOwnSize)
{
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE("Image2(" + std::to_string(index) + ")");
        const QPixmap& held = form.Image2[index]->picture();
        EXPECT_EQ(rgb(held), rgb(pictures::bannerFrame(index)));
        EXPECT_EQ(form.Image2[index]->size(), held.size());
        EXPECT_FALSE(form.Image2[index]->stretch());
    }
    EXPECT_FALSE(form.Image2[0]->isVisibleTo(&form));
}

// Image2(1) to Image2(4) lie at the client area's top-left corner under the toolbar, which
// covers them: none of their pixels shows there.
TEST_F(WindowPictures, BannerFramesInTheirImageControlsAreNeverSeen)
{
    form.Form_Load();
    showForm();
    const QImage window = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int index = 1; index < 5; ++index) {
        const QImage frame = form.Image2[index]->picture().toImage().convertToFormat(QImage::Format_RGB32);
        int same = 0;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x)
                same += window.pixel(x, y) == frame.pixel(x, y);
        }
        EXPECT_LT(same, frame.width() * frame.height() / 5) << "Image2(" << index << ") shows";
    }
}

TEST_F(WindowPictures, StartupPictureFillsImage1Stretched)
{
    const QPixmap& held = form.Image1->picture();
    EXPECT_EQ(held.size(), QSize(489, 328));
    EXPECT_EQ(form.Image1->size(), QSize(497, 377));
    // Drawn into the whole control: compare with the picture scaled to it, corners and middle.
    const QImage shown = form.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage scaled = held.toImage().scaled(497, 377, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), scaled.size());
    int far = 0;
    for (int y = 0; y < shown.height(); y += 4) {
        for (int x = 0; x < shown.width(); x += 4) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = scaled.pixel(x, y);
            const int difference = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                   std::abs(qBlue(a) - qBlue(b));
            far += difference > 60;
        }
    }
    EXPECT_LT(far, shown.width() * shown.height() / 16 / 50);  // under 2 % of the samples
}

TEST_F(WindowPictures, ImageListHoldsTheSixToolbarImagesDrawnOpaque)
{
    ASSERT_EQ(form.ImageList1->count(), 6);
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE("image " + std::to_string(index));
        const QPixmap& held = form.ImageList1->picture(index);
        EXPECT_EQ(rgb(held), rgb(pictures::toolbarImage(index)));
        // Through the list's mask colour no pixel becomes transparent.
        const QImage icon = rgb(form.ImageList1->icon(index).pixmap(held.size()));
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x)
                ASSERT_EQ(qAlpha(icon.pixel(x, y)), 255) << "at " << x << "," << y;
        }
    }
}

TEST_F(WindowPictures, WindowShowsTheGlobeIcon)
{
    const QImage icon = rgb(form.windowIcon().pixmap(32, 32));
    EXPECT_EQ(icon, rgb(QPixmap::fromImage(pictures::decode(pictures::Picture::WindowIcon))));
}

TEST_F(WindowPictures, BannerAndCreditLabelPointWithTheHandPicture)
{
    const QImage hand = rgb(QPixmap::fromImage(pictures::decode(pictures::Picture::HandPointer)));
    EXPECT_EQ(rgb(form.Picture1->cursor().pixmap()), hand);
    EXPECT_EQ(rgb(form.lblRight->cursor().pixmap()), hand);
}

} // namespace
