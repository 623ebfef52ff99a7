// The five contest banner frames: red panels with yellow frame lines and bold yellow
// characters edged in orange, two of them with part of a compact disc, and a black emblem panel.
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "art.h"

namespace picture_generator {
namespace {

const QColor kRed(222, 0, 41);
const QColor kYellow(255, 243, 0);
const QColor kOrange(255, 128, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

QFont bannerFont(int pixelSize)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Draws text so that its ink box is centred on centre: an orange edge, then the yellow fill.
void drawEdgedText(QPainter& painter, const QString& text, int pixelSize, QPointF centre,
                   double letterSpacing = 0)
{
    QFont font = bannerFont(pixelSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    path.translate(centre - ink.center());

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen edge(kOrange, 2.2);
    edge.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(path, edge);
    painter.fillPath(path, kYellow);
    painter.restore();
}

// Lines drawn one pixel in from the image's edge by inset, on the given sides.
void drawFrameLine(QPainter& painter, QSize size, int inset, const QColor& colour, bool right = true)
{
    const int left = inset;
    const int top = inset;
    const int bottom = size.height() - 1 - inset;
    const int rightEdge = size.width() - 1 - (right ? inset : 0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRect(left, top, rightEdge - left + 1, 1);
    painter.drawRect(left, bottom, rightEdge - left + 1, 1);
    painter.drawRect(left, top, 1, bottom - top + 1);
    if (right)
        painter.drawRect(rightEdge, top, 1, bottom - top + 1);
}

// A compact disc seen from above: olive and green rays, an off-white ring about a red hub.
void drawCompactDisc(QPainter& painter, QPointF centre, double radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    constexpr int rays = 18;
    for (int i = 0; i < rays; ++i) {
        const double a0 = 2 * std::numbers::pi * i / rays;
        const double a1 = 2 * std::numbers::pi * (i + 1) / rays;
        QPainterPath wedge(centre);
        wedge.lineTo(centre + QPointF(std::cos(a0), std::sin(a0)) * radius);
        wedge.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                    -a0 * 180 / std::numbers::pi, -(a1 - a0) * 180 / std::numbers::pi);
        wedge.closeSubpath();
        const QColor ray = (i % 3 == 0)   ? QColor(128, 128, 0)
                           : (i % 3 == 1) ? QColor(0, 150, 60)
                                          : QColor(170, 180, 40);
        painter.fillPath(wedge, ray);
    }
    // The disc's rim catches a little light.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(230, 230, 190), 1.0));
    painter.drawEllipse(centre, radius - 0.5, radius - 0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(246, 242, 226));
    painter.drawEllipse(centre, radius * 0.42, radius * 0.42);
    painter.setBrush(kRed);
    painter.drawEllipse(centre, radius * 0.27, radius * 0.27);
    painter.setBrush(QColor(246, 242, 226));
    painter.drawEllipse(centre, radius * 0.08, radius * 0.08);
    painter.restore();
}

// A yellow disc crossed by a red tick mark, edged in orange.
void drawEmblem(QPainter& painter, QPointF centre, double radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOrange, 1.2));
    painter.setBrush(kYellow);
    painter.drawEllipse(centre, radius, radius);
    QPainterPath tick;
    tick.moveTo(centre + QPointF(-radius * 0.95, -radius * 0.05));
    tick.lineTo(centre + QPointF(-radius * 0.25, radius * 0.65));
    tick.lineTo(centre + QPointF(radius * 1.25, -radius * 1.05));
    QPen pen(kRed, radius * 0.38);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(tick, pen);
    painter.restore();
}

QImage frame0()
{
    QImage image(88, 32, QImage::Format_RGB32);
    image.fill(kRed);
    QPainter painter(&image);
    // The yellow line sits one row down, under the white line along the top edge.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kYellow);
    painter.drawRect(0, 1, 88, 1);
    painter.drawRect(0, 31, 88, 1);
    painter.drawRect(0, 1, 1, 31);
    painter.drawRect(87, 1, 1, 31);
    painter.setBrush(kWhite);
    painter.drawRect(0, 0, 88, 1);
    // Small sparkles either side of the prize character.
    painter.setRenderHint(QPainter::Antialiasing);
    for (QPointF at : {QPointF(20, 10), QPointF(68, 22), QPointF(14, 23), QPointF(74, 9)}) {
        QPainterPath star;
        star.moveTo(at + QPointF(0, -4));
        star.lineTo(at + QPointF(1, -1));
        star.lineTo(at + QPointF(4, 0));
        star.lineTo(at + QPointF(1, 1));
        star.lineTo(at + QPointF(0, 4));
        star.lineTo(at + QPointF(-1, 1));
        star.lineTo(at + QPointF(-4, 0));
        star.lineTo(at + QPointF(-1, -1));
        star.closeSubpath();
        painter.fillPath(star, kYellow);
    }
    drawEdgedText(painter, QStringLiteral("奖"), 27, QPointF(44, 16.5));
    return image;
}

QImage frame1()
{
    QImage image(88, 33, QImage::Format_RGB32);
    image.fill(kRed);
    QPainter painter(&image);
    // The black and yellow lines stop short of the right edge: the panel runs on into the next.
    drawFrameLine(painter, image.size(), 0, kBlack, false);
    drawFrameLine(painter, image.size(), 1, kYellow, false);
    drawEdgedText(painter, QStringLiteral("有奖评比"), 17, QPointF(45, 16.5), 1);
    return image;
}

QImage frame2()
{
    QImage image(90, 33, QImage::Format_RGB32);
    image.fill(kRed);
    QPainter painter(&image);
    painter.save();
    painter.setClipRect(2, 2, 86, 29);
    drawCompactDisc(painter, QPointF(7, 5), 21);
    painter.restore();
    drawFrameLine(painter, image.size(), 0, kBlack);
    drawFrameLine(painter, image.size(), 1, kYellow);
    drawEdgedText(painter, QStringLiteral("共享软件"), 14, QPointF(58, 21.5), 0.5);
    return image;
}

QImage frame3()
{
    QImage image(90, 33, QImage::Format_RGB32);
    image.fill(kRed);
    QPainter painter(&image);
    painter.save();
    painter.setClipRect(2, 2, 86, 29);
    drawCompactDisc(painter, QPointF(83, 28), 21);
    painter.restore();
    drawFrameLine(painter, image.size(), 0, kBlack);
    drawFrameLine(painter, image.size(), 1, kYellow);
    drawEdgedText(painter, QStringLiteral("自由软件"), 14, QPointF(32, 11.5), 0.5);
    return image;
}

QImage frame4()
{
    QImage image(90, 33, QImage::Format_RGB32);
    image.fill(kBlack);
    QPainter painter(&image);
    drawFrameLine(painter, image.size(), 1, kYellow);
    drawEmblem(painter, QPointF(43, 17), 10.5);
    return image;
}

} // namespace

QImage drawBannerFrame(int index)
{
    switch (index) {
    case 0: return frame0();
    case 1: return frame1();
    case 2: return frame2();
    case 3: return frame3();
    case 4: return frame4();
    default: throw std::out_of_range("banner frames are numbered 0 to 4");
    }
}

} // namespace picture_generator
