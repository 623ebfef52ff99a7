#include "sample_movie.h"

#include <QFile>

#include "support/swf_writer.h"

namespace sample_movie {

namespace {

constexpr int kTwips = 20;

swf::ShapeDefinition rectangle(std::uint16_t id, int width, int height, QRgb colour)
{
    swf::ShapeDefinition s;
    s.id = id;
    s.shapeVersion = 3;
    s.bounds = {0, width * kTwips, 0, height * kTwips};
    s.edgeBounds = s.bounds;
    swf::FillStyle fill;
    fill.color = {static_cast<std::uint8_t>(qRed(colour)), static_cast<std::uint8_t>(qGreen(colour)),
                  static_cast<std::uint8_t>(qBlue(colour)), 255};
    s.shape.fills = {fill};
    swf::StyleChange start;
    start.hasMove = start.hasFill0 = true;
    start.fill0 = 1;
    const double w = width * kTwips, h = height * kTwips;
    s.shape.records = {start, swf::StraightEdge{{w, 0}}, swf::StraightEdge{{w, h}}, swf::StraightEdge{{0, h}},
                       swf::StraightEdge{{0, 0}}};
    return s;
}

}  // namespace

QRgb frameColour(int frame)
{
    return QColor::fromHsv((frame * 67) % 360, 190, 230).rgb();
}

std::vector<std::uint8_t> frameMovie(int frames, double frameRate)
{
    swf::writer::MovieWriter movie(8, {0, kStageWidth * kTwips, 0, kStageHeight * kTwips}, frameRate);
    movie.setBackground({0x10, 0x20, 0x40, 255});
    constexpr std::uint16_t kSquare = 1000;
    movie.shape(rectangle(kSquare, 40, 40, qRgb(255, 255, 255)));
    for (int frame = 1; frame <= frames; ++frame) {
        const auto id = static_cast<std::uint16_t>(frame);
        movie.shape(rectangle(id, kStageWidth, kStageHeight, frameColour(frame)));
        if (frame > 1) {
            movie.remove(1);
            movie.remove(2);
        }
        movie.place(id, 1);
        const double x = (20 + (frame - 1) * 300.0 / std::max(1, frames - 1)) * kTwips;
        movie.place(kSquare, 2, swf::Matrix{1, 0, 0, 1, x, 80.0 * kTwips});
        movie.showFrame();
    }
    return movie.build();
}

bool save(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

}  // namespace sample_movie
