#include "resources/pictures.h"

#include <QFile>

namespace pictures {
namespace {

struct Entry {
    Picture picture;
    const char* file;
    const char* format;  // the decoder to use: the kind is known, so nothing is guessed
};

constexpr std::array<Entry, 14> entries = {{
    {Picture::BannerFrame0, "banner_frame_0.bmp", "BMP"},
    {Picture::BannerFrame1, "banner_frame_1.bmp", "BMP"},
    {Picture::BannerFrame2, "banner_frame_2.bmp", "BMP"},
    {Picture::BannerFrame3, "banner_frame_3.bmp", "BMP"},
    {Picture::BannerFrame4, "banner_frame_4.bmp", "BMP"},
    {Picture::StartupPicture, "startup_picture.jpg", "JPEG"},
    {Picture::ToolbarImage1, "toolbar_image_1.bmp", "BMP"},
    {Picture::ToolbarImage2, "toolbar_image_2.bmp", "BMP"},
    {Picture::ToolbarImage3, "toolbar_image_3.bmp", "BMP"},
    {Picture::ToolbarImage4, "toolbar_image_4.bmp", "BMP"},
    {Picture::ToolbarImage5, "toolbar_image_5.bmp", "BMP"},
    {Picture::ToolbarImage6, "toolbar_image_6.bmp", "BMP"},
    {Picture::WindowIcon, "window_icon.ico", "ICO"},
    {Picture::HandPointer, "hand_pointer.ico", "ICO"},
}};

const Entry& entryOf(Picture picture)
{
    for (const Entry& entry : entries) {
        if (entry.picture == picture)
            return entry;
    }
    throw PictureError("unknown built-in picture");
}

QPixmap pixmapOf(Picture picture)
{
    return QPixmap::fromImage(decode(picture));
}

} // namespace

QString resourcePath(Picture picture)
{
    return QStringLiteral(":/pictures/") + QLatin1String(entryOf(picture).file);
}

QByteArray storedBytes(Picture picture)
{
    QFile file(resourcePath(picture));
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError("built-in picture " + resourcePath(picture).toStdString() + " is missing");
    return file.readAll();
}

QImage decode(Picture picture)
{
    const QByteArray bytes = storedBytes(picture);
    QImage image = QImage::fromData(bytes, entryOf(picture).format);
    if (image.isNull())
        throw PictureError("built-in picture " + resourcePath(picture).toStdString() + " does not decode");
    return image;
}

QPixmap bannerFrame(int index)
{
    if (index < 0 || index >= bannerFrameCount)
        throw PictureError("banner frames are numbered 0 to 4");
    return pixmapOf(Picture(int(Picture::BannerFrame0) + index));
}

QPixmap startupPicture()
{
    return pixmapOf(Picture::StartupPicture);
}

QPixmap toolbarImage(int index)
{
    if (index < 1 || index > toolbarImageCount)
        throw PictureError("toolbar images are numbered 1 to 6");
    return pixmapOf(Picture(int(Picture::ToolbarImage1) + index - 1));
}

QIcon windowIcon()
{
    return QIcon(pixmapOf(Picture::WindowIcon));
}

QCursor handCursor()
{
    return QCursor(pixmapOf(Picture::HandPointer), handHotSpot.x(), handHotSpot.y());
}

} // namespace pictures
