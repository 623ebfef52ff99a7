#pragma once
// The viewer's fourteen built-in pictures. Their files are compiled into the program as Qt
// resources (resources/pictures/, drawn by resources/generator/); nothing is read from disk.
// The window decodes each one when it is created, through the functions below.

#include <array>
#include <stdexcept>

#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>

namespace pictures {

enum class Picture {
    BannerFrame0,
    BannerFrame1,
    BannerFrame2,
    BannerFrame3,
    BannerFrame4,
    StartupPicture,
    ToolbarImage1,
    ToolbarImage2,
    ToolbarImage3,
    ToolbarImage4,
    ToolbarImage5,
    ToolbarImage6,
    WindowIcon,
    HandPointer,
};

inline constexpr std::array<Picture, 14> allPictures = {
    Picture::BannerFrame0,  Picture::BannerFrame1,  Picture::BannerFrame2,
    Picture::BannerFrame3,  Picture::BannerFrame4,  Picture::StartupPicture,
    Picture::ToolbarImage1, Picture::ToolbarImage2, Picture::ToolbarImage3,
    Picture::ToolbarImage4, Picture::ToolbarImage5, Picture::ToolbarImage6,
    Picture::WindowIcon,    Picture::HandPointer,
};

inline constexpr int bannerFrameCount = 5;
inline constexpr int toolbarImageCount = 6;

// Where the hand pointer aims: the tip of its index finger (column 12 of row 5).
inline constexpr QPoint handHotSpot{12, 5};

// A picture that is missing from the program or does not decode.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The resource path of a picture's file, e.g. ":/pictures/banner_frame_0.bmp".
QString resourcePath(Picture picture);

// The picture's file as compiled into the program, byte for byte.
QByteArray storedBytes(Picture picture);

// The picture decoded from its stored bytes. Throws PictureError if it is missing or broken.
QImage decode(Picture picture);

// Banner frame 0 to 4, as the banner shows it.
QPixmap bannerFrame(int index);
// The start-up picture.
QPixmap startupPicture();
// Toolbar image 1 to 6, numbered as the toolbar's image list numbers them.
QPixmap toolbarImage(int index);
// The window icon.
QIcon windowIcon();
// The hand pointer as a mouse cursor, its hot spot at the finger tip.
QCursor handCursor();

} // namespace pictures
