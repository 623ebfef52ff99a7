// picture_generator: draws the viewer's fourteen built-in pictures and writes them as the
// files that the build compiles into the program, plus the window icon as a PNG for the
// desktop's icon theme.
//
//   picture_generator RESOURCES_DIR [--preview DIR]
//
// RESOURCES_DIR is the repository's resources/ folder: the pictures go to its pictures/
// subfolder and the PNG icon to desktop/. With --preview every picture is also written to DIR
// as a PNG enlarged four times, for looking at them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include "art.h"
#include "file_encoders.h"

using namespace picture_generator;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString());
    std::printf("%-40s %6lld bytes\n", qPrintable(QDir(path).dirName()), qint64(bytes.size()));
}

void writePreview(const QString& dir, const QString& name, const QByteArray& bytes, int zoom)
{
    if (dir.isEmpty())
        return;
    QImage image = QImage::fromData(bytes);
    if (image.isNull())
        throw std::runtime_error("cannot decode " + name.toStdString());
    // Transparent pixels show as a checkerboard so that the mask can be seen.
    QImage shown(image.size() * zoom, QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = image.pixel(x / zoom, y / zoom);
            const QRgb board = ((x / 8 + y / 8) % 2) ? qRgb(200, 200, 200) : qRgb(240, 240, 240);
            const int a = qAlpha(pixel);
            auto blend = [&](int c, int b) { return (c * a + b * (255 - a)) / 255; };
            shown.setPixel(x, y, qRgb(blend(qRed(pixel), qRed(board)),
                                      blend(qGreen(pixel), qGreen(board)),
                                      blend(qBlue(pixel), qBlue(board))));
        }
    }
    shown.save(dir + "/" + name + ".png");
}

// Puts previews side by side on one sheet.
void writeSheet(const QString& dir, const QString& name, const QStringList& parts)
{
    if (dir.isEmpty())
        return;
    QList<QImage> images;
    int width = 0;
    int height = 0;
    for (const QString& part : parts) {
        images.append(QImage(dir + "/" + part + ".png"));
        width += images.last().width() + 8;
        height = std::max(height, images.last().height());
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int x = 0;
    for (const QImage& image : images) {
        painter.drawImage(x, 0, image);
        x += image.width() + 8;
    }
    painter.end();
    sheet.save(dir + "/" + name + ".png");
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--preview")) {
        std::fprintf(stderr, "usage: picture_generator RESOURCES_DIR [--preview DIR]\n");
        return 2;
    }
    const QString root = args[1];
    const QString preview = args.size() == 4 ? args[3] : QString();
    try {
        const QString pictures = root + "/pictures";
        const QString desktop = root + "/desktop";
        for (const QString& dir : {pictures, desktop, preview}) {
            if (!dir.isEmpty() && !QDir().mkpath(dir))
                throw std::runtime_error("cannot create " + dir.toStdString());
        }
        auto store = [&](const QString& name, const QByteArray& bytes, int zoom) {
            writeFile(pictures + "/" + name, bytes);
            writePreview(preview, name, bytes, zoom);
        };

        constexpr int kBannerPixelsPerMetre = 3780;  // 96 dpi
        for (int i = 0; i < 5; ++i)
            store(QString("banner_frame_%1.bmp").arg(i), encodeBmp24(drawBannerFrame(i), kBannerPixelsPerMetre), 6);
        store("startup_picture.jpg", encodeJpeg(drawHarbourScene(), 88), 2);
        for (int i = 1; i <= 6; ++i)
            store(QString("toolbar_image_%1.bmp").arg(i), encodeBmp24(drawToolbarImage(i), 0), 8);
        const QByteArray globe = encodeIco16(drawGlobeIcon());
        store("window_icon.ico", globe, 8);
        store("hand_pointer.ico", encodeIco16(drawHandPointer()), 8);

        // The icon theme takes PNG files; this one has the window icon's very pixels.
        const QImage icon = QImage::fromData(globe, "ICO");
        if (icon.isNull() || !icon.save(desktop + "/vantoro.png", "PNG"))
            throw std::runtime_error("cannot write the icon theme's PNG");
        std::printf("%-40s\n", "vantoro.png");
        writeSheet(preview, "sheet_toolbar",
                   {"toolbar_image_1.bmp", "toolbar_image_2.bmp", "toolbar_image_3.bmp",
                    "toolbar_image_4.bmp", "toolbar_image_5.bmp", "toolbar_image_6.bmp"});
        writeSheet(preview, "sheet_icons", {"window_icon.ico", "hand_pointer.ico"});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "picture_generator: %s\n", error.what());
        return 1;
    }
    return 0;
}
