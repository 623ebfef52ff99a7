// The six toolbar images: bevelled grey button faces with one coloured symbol each, on the
// light grey (198, 198, 198) of the toolbar. They are painted four times larger and reduced,
// which smooths their edges without any transparency.
#include <stdexcept>

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "art.h"

namespace picture_generator {
namespace {

constexpr int kScale = 4;
const QColor kBackground(198, 198, 198);
// The toolbar's image list treats this colour as transparent; no toolbar pixel may have it.
constexpr QRgb kMaskColour = 0xFFC0C0C0;

// A round button face centred in a 26 x 26 cell, lit from the top left.
void drawRoundFace(QPainter& painter)
{
    const QPointF centre(13, 13);
    painter.setPen(Qt::NoPen);
    // Soft shadow below right, then the dark rim, then the bevel and the face.
    painter.setBrush(QColor(150, 150, 150));
    painter.drawEllipse(centre + QPointF(0.6, 0.6), 12.2, 12.2);
    painter.setBrush(QColor(88, 88, 88));
    painter.drawEllipse(centre, 12, 12);
    QLinearGradient bevel(QPointF(4, 4), QPointF(22, 22));
    bevel.setColorAt(0, QColor(252, 252, 252));
    bevel.setColorAt(0.5, QColor(205, 205, 205));
    bevel.setColorAt(1, QColor(112, 112, 112));
    painter.setBrush(bevel);
    painter.drawEllipse(centre, 11, 11);
    QRadialGradient face(QPointF(10, 9), 14);
    face.setColorAt(0, QColor(236, 236, 236));
    face.setColorAt(0.6, QColor(206, 206, 206));
    face.setColorAt(1, QColor(170, 170, 170));
    painter.setBrush(face);
    painter.drawEllipse(centre, 9.2, 9.2);
}

// Symbols get a thin dark edge so that they stand out from the grey face.
void fillSymbol(QPainter& painter, const QPainterPath& path, const QColor& colour)
{
    painter.setPen(QPen(colour.darker(230), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour);
    painter.drawPath(path);
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

void drawPlay(QPainter& painter)
{
    drawRoundFace(painter);
    fillSymbol(painter, triangle({10, 7.5}, {18.5, 13}, {10, 18.5}), QColor(132, 255, 132));
}

void drawBack(QPainter& painter)
{
    drawRoundFace(painter);
    QPainterPath path = triangle({15.5, 8}, {8, 13}, {15.5, 18});
    path.addRect(QRectF(16.5, 8, 2.5, 10));
    fillSymbol(painter, path, QColor(255, 255, 0));
}

void drawForward(QPainter& painter)
{
    drawRoundFace(painter);
    QPainterPath path;
    path.addRect(QRectF(7, 8, 2.5, 10));
    path.addPath(triangle({10.5, 8}, {18, 13}, {10.5, 18}));
    fillSymbol(painter, path, QColor(40, 90, 255));
}

void drawStop(QPainter& painter)
{
    drawRoundFace(painter);
    QPainterPath path;
    path.addRect(QRectF(9, 9, 8, 8));
    fillSymbol(painter, path, QColor(230, 20, 20));
}

void drawRestart(QPainter& painter)
{
    drawRoundFace(painter);
    // A thick arc from the right, curving over the top and back down to the left, where it
    // ends in an arrow head.
    QPainterPath arc;
    arc.moveTo(17.8, 17.5);
    arc.cubicTo(21.5, 13.5, 19.5, 7.2, 13.5, 7.2);
    arc.cubicTo(10.5, 7.2, 8.6, 9.0, 8.0, 11.0);
    QPainterPathStroker stroker;
    stroker.setWidth(2.6);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath symbol = stroker.createStroke(arc);
    symbol.addPath(triangle({4.6, 10.0}, {11.4, 10.4}, {7.4, 16.2}));
    symbol.setFillRule(Qt::WindingFill);
    fillSymbol(painter, symbol.simplified(), QColor(255, 0, 132));
}

// A dark grey capsule with a cyan magnifying glass and a small cyan triangle pointing down.
void drawBrowse(QPainter& painter)
{
    const QRectF capsule(1, 2, 30, 22);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(150, 150, 150));
    painter.drawRoundedRect(capsule.translated(0.6, 0.6), 11, 11);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRoundedRect(capsule, 11, 11);
    QLinearGradient bevel(capsule.topLeft(), capsule.bottomLeft());
    bevel.setColorAt(0, QColor(150, 150, 150));
    bevel.setColorAt(1, QColor(50, 50, 50));
    painter.setBrush(bevel);
    painter.drawRoundedRect(capsule.adjusted(1, 1, -1, -1), 10, 10);
    QLinearGradient face(capsule.topLeft(), capsule.bottomLeft());
    face.setColorAt(0, QColor(112, 112, 112));
    face.setColorAt(1, QColor(70, 70, 70));
    painter.setBrush(face);
    painter.drawRoundedRect(capsule.adjusted(2.2, 2.2, -2.2, -2.2), 8.8, 8.8);

    const QColor cyan(0, 255, 255);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(cyan, 1.8));
    painter.drawEllipse(QPointF(12.5, 11.5), 4.4, 4.4);
    QPen handle(cyan, 2.8, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(handle);
    painter.drawLine(QPointF(15.8, 14.8), QPointF(19.2, 18.2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cyan);
    painter.drawPath(triangle({21.5, 11}, {27, 11}, {24.25, 14.5}));
}

} // namespace

QImage drawToolbarImage(int index)
{
    const int width = index == 5 ? 32 : 26;
    const int height = 26;
    QImage large(width * kScale, height * kScale, QImage::Format_RGB32);
    large.fill(kBackground);
    {
        QPainter painter(&large);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(kScale, kScale);
        switch (index) {
        case 1: drawPlay(painter); break;
        case 2: drawBack(painter); break;
        case 3: drawForward(painter); break;
        case 4: drawStop(painter); break;
        case 5: drawBrowse(painter); break;
        case 6: drawRestart(painter); break;
        default: throw std::out_of_range("toolbar images are numbered 1 to 6");
        }
    }
    QImage image = large.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    // Nudge any pixel that came out exactly the mask colour, so that none is drawn transparent.
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if ((row[x] | 0xFF000000) == kMaskColour)
                row[x] = qRgb(193, 193, 193);
        }
    }
    return image;
}

} // namespace picture_generator
