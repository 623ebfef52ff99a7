// The start-up picture: a colour snapshot of a person standing at a railing on a harbour quay,
// buildings and a moored vessel across the water behind, and the camera's orange date imprint.
// The scene is painted at twice the size, reduced, and then given what a print of a snapshot
// has: a warm cast, softness, vignetting and grain.
#include <algorithm>
#include <cmath>
#include <tuple>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include "art.h"

namespace picture_generator {
namespace {

constexpr int kWidth = 489;
constexpr int kHeight = 328;
constexpr int kScale = 2;
constexpr double kHorizon = 178;  // where the far quay meets the water

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

const QColor kHaze(196, 212, 226);

void paintSky(QPainter& p, Noise& noise)
{
    QLinearGradient sky(0, 0, 0, kHorizon);
    sky.setColorAt(0, QColor(88, 138, 200));
    sky.setColorAt(0.55, QColor(150, 186, 220));
    sky.setColorAt(1, kHaze);
    p.fillRect(QRectF(0, 0, kWidth, kHorizon + 2), sky);

    // Fair-weather clouds: many soft puffs per cloud, rounded tops over flatter, greyer bases.
    struct Cloud { double x, y, w, h; int puffs; };
    const Cloud clouds[] = {{30, 40, 130, 30, 40}, {210, 22, 100, 20, 26},
                            {330, 50, 150, 26, 42}, {110, 96, 170, 12, 30},
                            {390, 104, 110, 9, 20}};
    p.setPen(Qt::NoPen);
    for (const Cloud& c : clouds) {
        for (int i = 0; i < c.puffs; ++i) {
            const double along = noise.unit();
            const double cx = c.x + along * c.w;
            const double rise = std::sin(along * 3.14159);  // taller in the middle
            const double r = c.h * noise.range(0.35, 0.7) * (0.5 + 0.5 * rise);
            const double cy = c.y + c.h * 0.25 - r * noise.range(0.2, 1.0) * rise;
            QRadialGradient puff(QPointF(cx, cy - r * 0.2), r * 1.2);
            puff.setColorAt(0, QColor(255, 255, 255, 120));
            puff.setColorAt(0.5, QColor(246, 248, 250, 70));
            puff.setColorAt(1, QColor(230, 236, 244, 0));
            p.setBrush(puff);
            p.drawEllipse(QPointF(cx, cy), r * 1.5, r);
        }
        // The shaded underside.
        QLinearGradient base(0, c.y + c.h * 0.05, 0, c.y + c.h * 0.45);
        base.setColorAt(0, QColor(170, 180, 196, 0));
        base.setColorAt(1, QColor(170, 180, 196, 40));
        p.setBrush(base);
        p.drawEllipse(QRectF(c.x + c.w * 0.05, c.y, c.w * 0.9, c.h * 0.45));
    }

    // A few gulls.
    p.setPen(QPen(QColor(70, 76, 86), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (auto [x, y, span] : {std::tuple{262.0, 62.0, 5.0}, {276.0, 70.0, 4.0}, {238.0, 78.0, 3.0}}) {
        QPainterPath gull(QPointF(x - span, y - span * 0.2));
        gull.quadTo(x - span * 0.5, y - span * 0.6, x, y);
        gull.quadTo(x + span * 0.5, y - span * 0.6, x + span, y - span * 0.2);
        p.drawPath(gull);
    }
    p.setPen(Qt::NoPen);
}

void paintHills(QPainter& p)
{
    QPainterPath hills(QPointF(0, 150));
    hills.cubicTo(40, 128, 80, 126, 120, 140);
    hills.cubicTo(150, 150, 180, 134, 220, 138);
    hills.cubicTo(260, 142, 300, 128, 340, 136);
    hills.cubicTo(390, 146, 440, 132, 489, 140);
    hills.lineTo(489, kHorizon);
    hills.lineTo(0, kHorizon);
    hills.closeSubpath();
    QLinearGradient shade(0, 126, 0, kHorizon);
    shade.setColorAt(0, QColor(132, 152, 160));
    shade.setColorAt(1, QColor(170, 186, 192));
    p.fillPath(hills, shade);
}

struct Building {
    double x, width, height;
    QColor wall;
    int roof;  // 0 flat, 1 pitched, 2 stepped top
};

void paintBuilding(QPainter& p, const Building& b, Noise& noise)
{
    const double top = kHorizon - 2 - b.height;
    const QRectF body(b.x, top, b.width, b.height);
    // Far buildings take on the haze of the air between.
    const QColor wall = mix(b.wall, kHaze, 0.22);
    QLinearGradient light(body.topLeft(), body.topRight());
    light.setColorAt(0, wall.lighter(106));
    light.setColorAt(1, wall.darker(112));
    p.fillRect(body, light);
    // The side in shade.
    p.fillRect(QRectF(b.x + b.width - 3, top, 3, b.height), wall.darker(135));

    if (b.roof == 1) {
        QPainterPath roof(QPointF(b.x - 1, top));
        roof.lineTo(b.x + b.width / 2, top - b.width * 0.22);
        roof.lineTo(b.x + b.width + 1, top);
        roof.closeSubpath();
        p.fillPath(roof, mix(QColor(150, 80, 60), kHaze, 0.25));
    } else if (b.roof == 2) {
        p.fillRect(QRectF(b.x + b.width * 0.25, top - 8, b.width * 0.5, 8), wall.darker(104));
        p.fillRect(QRectF(b.x + b.width * 0.42, top - 20, b.width * 0.16, 12), wall.darker(108));
        p.fillRect(QRectF(b.x + b.width * 0.49, top - 30, 1.2, 10), QColor(90, 95, 100));
    } else {
        p.fillRect(QRectF(b.x, top - 1.5, b.width, 1.5), wall.darker(125));
    }

    // Windows in rows, some lit by the sky, some dark.
    const QColor glass = mix(QColor(70, 90, 110), kHaze, 0.25);
    for (double y = top + 4; y < kHorizon - 8; y += 6.5) {
        for (double x = b.x + 3; x < b.x + b.width - 5; x += 5.0) {
            const double t = noise.unit();
            const QColor pane = t < 0.2 ? mix(glass, kHaze, 0.55) : glass.lighter(int(95 + 20 * t));
            p.fillRect(QRectF(x, y, 2.8, 3.6), pane);
        }
    }
}

void paintFarShore(QPainter& p, Noise& noise)
{
    const Building town[] = {
        {-4, 40, 52, QColor(206, 196, 176), 0},  {34, 30, 80, QColor(160, 170, 182), 2},
        {62, 46, 42, QColor(222, 210, 186), 1},  {106, 24, 98, QColor(150, 160, 172), 2},
        {128, 52, 58, QColor(228, 220, 200), 0}, {178, 36, 70, QColor(188, 150, 118), 0},
        {212, 50, 46, QColor(214, 214, 208), 1}, {260, 38, 62, QColor(170, 174, 164), 0},
    };
    for (const Building& b : town)
        paintBuilding(p, b, noise);

    // A harbour crane beside the vessel.
    p.setPen(QPen(mix(QColor(200, 90, 40), kHaze, 0.3), 1.6));
    p.drawLine(QPointF(292, kHorizon - 4), QPointF(292, 96));
    p.drawLine(QPointF(286, 100), QPointF(330, 92));
    p.drawLine(QPointF(292, 96), QPointF(286, 100));
    p.setPen(QPen(mix(QColor(60, 60, 60), kHaze, 0.3), 0.6));
    p.drawLine(QPointF(326, 93), QPointF(326, 118));

    // The far quay wall, dark against the water.
    p.fillRect(QRectF(0, kHorizon - 3, kWidth, 4), QColor(96, 92, 86));
    p.fillRect(QRectF(0, kHorizon - 3, kWidth, 1), QColor(150, 146, 138));
}

void paintVessel(QPainter& p)
{
    // Hull: a white ship lying along the quay, its bow towards the town.
    QPainterPath hull(QPointF(300, 146));
    hull.lineTo(489, 142);
    hull.lineTo(489, 182);
    hull.lineTo(318, 182);
    hull.cubicTo(308, 176, 303, 160, 300, 146);
    QLinearGradient side(0, 142, 0, 182);
    side.setColorAt(0, QColor(244, 244, 238));
    side.setColorAt(0.7, QColor(214, 216, 214));
    side.setColorAt(0.71, QColor(30, 50, 90));
    side.setColorAt(0.8, QColor(30, 50, 90));
    side.setColorAt(0.81, QColor(150, 44, 38));
    side.setColorAt(1, QColor(110, 34, 30));
    p.fillPath(hull, side);
    p.setPen(QPen(QColor(120, 120, 120), 0.8));
    p.drawLine(QPointF(301, 146), QPointF(489, 142));
    // Portholes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 70, 90));
    for (double x = 330; x < 489; x += 9)
        p.drawEllipse(QPointF(x, 160 - (x - 330) * 0.02), 1.3, 1.3);

    // Superstructure decks, set back in steps.
    auto deck = [&](QRectF r, double windowRow) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(246, 246, 242));
        g.setColorAt(1, QColor(212, 214, 214));
        p.fillRect(r, g);
        p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), QColor(170, 170, 170));
        for (double x = r.left() + 3; x < r.right() - 4; x += 6)
            p.fillRect(QRectF(x, r.top() + windowRow, 4, 3.2), QColor(52, 66, 88));
    };
    deck(QRectF(352, 126, 137, 18), 6);
    deck(QRectF(372, 110, 100, 16), 5);
    deck(QRectF(386, 98, 58, 12), 4);
    // Lifeboats under their davits.
    p.setBrush(QColor(238, 120, 30));
    for (double x : {380.0, 408.0, 436.0})
        p.drawRoundedRect(QRectF(x, 120, 18, 5), 2.5, 2.5);
    // Funnel with its black top and company band.
    QPainterPath funnel(QPointF(450, 110));
    funnel.lineTo(454, 80);
    funnel.lineTo(472, 80);
    funnel.lineTo(474, 110);
    funnel.closeSubpath();
    p.fillPath(funnel, QColor(232, 196, 40));
    p.fillRect(QRectF(454, 80, 18, 5), QColor(30, 30, 30));
    p.fillRect(QRectF(452.5, 92, 20.5, 4), QColor(190, 40, 40));
    // Masts and rigging.
    p.setPen(QPen(QColor(70, 70, 70), 1.0));
    p.drawLine(QPointF(414, 98), QPointF(414, 64));
    p.drawLine(QPointF(406, 72), QPointF(422, 72));
    p.drawLine(QPointF(326, 146), QPointF(326, 108));
    p.setPen(QPen(QColor(90, 90, 90), 0.5));
    p.drawLine(QPointF(326, 108), QPointF(414, 66));
    p.drawLine(QPointF(414, 66), QPointF(489, 92));
    // Mooring lines down to the quay.
    p.drawLine(QPointF(306, 150), QPointF(292, kHorizon - 2));
    p.drawLine(QPointF(480, 150), QPointF(470, kHorizon - 2));
}

void paintWater(QPainter& p, Noise& noise)
{
    QLinearGradient water(0, kHorizon, 0, kHeight);
    water.setColorAt(0, QColor(112, 140, 150));
    water.setColorAt(0.35, QColor(62, 100, 118));
    water.setColorAt(1, QColor(30, 62, 82));
    p.fillRect(QRectF(0, kHorizon + 1, kWidth, kHeight - kHorizon), water);

    // The vessel's reflection: broken white streaks under the hull.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 220; ++i) {
        const double y = kHorizon + 2 + std::pow(noise.unit(), 1.4) * 40;
        const double x = noise.range(300, 489);
        const double fade = 1.0 - (y - kHorizon) / 44;
        p.setBrush(QColor(220, 226, 226, int(110 * fade)));
        p.drawRect(QRectF(x, y, noise.range(4, 14), 0.9));
    }
    // Reflections of the town's walls, darker and broken.
    for (int i = 0; i < 180; ++i) {
        const double y = kHorizon + 2 + std::pow(noise.unit(), 1.5) * 34;
        const double x = noise.range(0, 300);
        p.setBrush(QColor(190, 180, 160, int(60 * (1.0 - (y - kHorizon) / 38))));
        p.drawRect(QRectF(x, y, noise.range(3, 10), 0.8));
    }
    // Ripples: light crests catching the sky and dark troughs, longer and thicker nearer.
    for (int i = 0; i < 1400; ++i) {
        const double depth = noise.unit();
        const double y = kHorizon + 2 + depth * depth * (kHeight - kHorizon);
        const double nearness = (y - kHorizon) / (kHeight - kHorizon);
        const double length = 3 + nearness * 22 * noise.range(0.5, 1.2);
        const double thick = 0.5 + nearness * 1.6;
        const double x = noise.range(-10, kWidth);
        const bool crest = noise.unit() < 0.5;
        p.setBrush(crest ? QColor(170, 196, 210, int(70 + 40 * noise.unit()))
                         : QColor(16, 40, 56, int(60 + 50 * noise.unit())));
        p.drawEllipse(QRectF(x, y, length, thick));
    }
}

// The near quay's railing: posts and two rails of painted steel, waist high.
void paintRailing(QPainter& p)
{
    auto rail = [&](double y0, double y1, double thick) {
        QPainterPath bar(QPointF(0, y0));
        bar.lineTo(kWidth, y1);
        bar.lineTo(kWidth, y1 + thick);
        bar.lineTo(0, y0 + thick);
        bar.closeSubpath();
        QLinearGradient g(0, y0, 0, y0 + thick);
        g.setColorAt(0, QColor(214, 222, 222));
        g.setColorAt(0.4, QColor(120, 140, 140));
        g.setColorAt(1, QColor(40, 54, 56));
        p.fillPath(bar, g);
    };
    // Quay edge and paving at the very bottom.
    QPainterPath quay(QPointF(0, 300));
    quay.lineTo(kWidth, 306);
    quay.lineTo(kWidth, kHeight);
    quay.lineTo(0, kHeight);
    quay.closeSubpath();
    QLinearGradient stone(0, 300, 0, kHeight);
    stone.setColorAt(0, QColor(168, 160, 148));
    stone.setColorAt(1, QColor(126, 120, 110));
    p.fillPath(quay, stone);
    p.setPen(QPen(QColor(100, 94, 86), 0.8));
    p.drawLine(QPointF(0, 300), QPointF(kWidth, 306));
    for (double x = 20; x < kWidth; x += 46)
        p.drawLine(QPointF(x, 301 + x * 0.012), QPointF(x - 14, kHeight));
    p.setPen(Qt::NoPen);

    for (double x : {22.0, 118.0, 262.0, 358.0, 452.0}) {
        const double top = 226 + x * 0.012;
        QLinearGradient g(x, 0, x + 6, 0);
        g.setColorAt(0, QColor(70, 88, 90));
        g.setColorAt(0.35, QColor(196, 206, 206));
        g.setColorAt(1, QColor(36, 48, 50));
        p.fillRect(QRectF(x, top, 6, 304 - top + x * 0.012), g);
        p.fillRect(QRectF(x - 2, 302 + x * 0.012, 10, 3), QColor(60, 64, 62));
    }
    rail(224, 230, 6);
    rail(262, 268, 4);
}

// The person: a young woman in a light denim jacket over a white top, dark trousers, her
// long black hair lit from the left, standing in front of the rail.
void paintPerson(QPainter& p)
{
    const QColor skin(226, 178, 144);
    const QColor skinShade(176, 122, 94);
    const QColor hair(30, 22, 22);
    const QColor denim(118, 150, 190);
    const double mid = 186;  // the figure's axis
    auto mirrored = [&](const QPainterPath& path) {
        QTransform flip(-1, 0, 0, 1, 2 * mid, 0);
        return flip.map(path);
    };
    auto across = [&](double left, double right, const QColor& lit, const QColor& base,
                      const QColor& shade) {
        QLinearGradient g(left, 0, right, 0);
        g.setColorAt(0, lit);
        g.setColorAt(0.5, base);
        g.setColorAt(1, shade);
        return g;
    };

    // Hair behind the head, falling to below the shoulders.
    QPainterPath backHair(QPointF(166, 100));
    backHair.cubicTo(160, 74, 212, 74, 206, 100);
    backHair.cubicTo(210, 124, 214, 146, 212, 166);
    backHair.lineTo(160, 166);
    backHair.cubicTo(158, 146, 162, 124, 166, 100);
    p.fillPath(backHair, hair);

    // Trousers, from the hips down out of the picture.
    QPainterPath legs(QPointF(158, 246));
    legs.lineTo(214, 246);
    legs.cubicTo(216, 280, 214, 310, 212, kHeight + 2);
    legs.lineTo(188, kHeight + 2);
    legs.lineTo(186, 284);
    legs.lineTo(184, kHeight + 2);
    legs.lineTo(160, kHeight + 2);
    legs.cubicTo(157, 300, 156, 272, 158, 246);
    p.fillPath(legs, across(158, 214, QColor(58, 62, 88), QColor(40, 42, 62), QColor(22, 24, 38)));
    p.setPen(QPen(QColor(16, 16, 26), 0.8));
    p.drawLine(QPointF(186, 264), QPointF(186, 284));
    p.setPen(Qt::NoPen);

    // Neck.
    QPainterPath neck(QPointF(178, 116));
    neck.lineTo(194, 116);
    neck.lineTo(196, 142);
    neck.lineTo(176, 142);
    neck.closeSubpath();
    p.fillPath(neck, across(176, 196, skin, skin.darker(106), skinShade));

    // The jacket's body, sloping shoulders to the hips.
    QPainterPath body(QPointF(174, 138));
    body.cubicTo(166, 140, 156, 142, 150, 150);
    body.lineTo(158, 200);
    body.cubicTo(156, 222, 156, 240, 156, 254);
    body.lineTo(216, 254);
    body.cubicTo(216, 240, 216, 222, 214, 200);
    body.lineTo(222, 150);
    body.cubicTo(216, 142, 206, 140, 198, 138);
    body.closeSubpath();
    p.fillPath(body, across(148, 224, denim.lighter(116), denim, denim.darker(150)));

    // The white top between the open fronts, with a round neckline.
    QPainterPath top(QPointF(176, 141));
    top.quadTo(186, 150, 196, 141);
    top.lineTo(195, 254);
    top.lineTo(177, 254);
    top.closeSubpath();
    p.fillPath(top, across(176, 196, QColor(252, 250, 246), QColor(236, 234, 230), QColor(200, 198, 200)));
    // Lapels over the top's edges.
    QPainterPath lapel(QPointF(174, 139));
    lapel.lineTo(180, 160);
    lapel.lineTo(177, 254);
    lapel.lineTo(172, 254);
    lapel.lineTo(170, 150);
    lapel.closeSubpath();
    p.fillPath(lapel, denim.lighter(108));
    p.fillPath(mirrored(lapel), denim.darker(125));
    p.setPen(QPen(denim.darker(175), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lapel);
    p.drawPath(mirrored(lapel));
    // Pockets with flaps, seams and brass buttons.
    p.drawRect(QRectF(162, 172, 11, 10));
    p.drawRect(QRectF(199, 172, 11, 10));
    p.drawLine(QPointF(162, 175), QPointF(173, 175));
    p.drawLine(QPointF(199, 175), QPointF(210, 175));
    p.drawLine(QPointF(157, 236), QPointF(177, 236));
    p.drawLine(QPointF(195, 236), QPointF(215, 236));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 180, 96));
    for (double y : {196.0, 216.0})
        p.drawEllipse(QPointF(175, y), 1.1, 1.1);

    // Sleeves hanging along the body, the right one in shade.
    QPainterPath arm(QPointF(152, 146));
    arm.cubicTo(142, 150, 139, 168, 139, 186);
    arm.cubicTo(139, 210, 141, 232, 145, 252);
    arm.lineTo(159, 253);
    arm.cubicTo(159, 232, 160, 212, 161, 192);
    arm.cubicTo(162, 174, 163, 160, 163, 150);
    arm.closeSubpath();
    p.fillPath(arm, across(139, 163, denim.lighter(124), denim.lighter(104), denim.darker(118)));
    p.fillPath(mirrored(arm), across(209, 233, denim.darker(112), denim.darker(135), denim.darker(165)));
    p.setPen(QPen(denim.darker(190), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arm);
    p.drawPath(mirrored(arm));
    // Folds at the elbows and the cuffs.
    p.drawLine(QPointF(143, 204), QPointF(155, 209));
    p.drawLine(QPointF(229, 204), QPointF(217, 209));
    p.drawLine(QPointF(145, 246), QPointF(159, 247));
    p.drawLine(QPointF(227, 246), QPointF(213, 247));
    p.setPen(Qt::NoPen);

    // Hands below the cuffs, fingers together.
    QPainterPath hand(QPointF(146, 252));
    hand.cubicTo(144, 258, 146, 266, 151, 268);
    hand.cubicTo(156, 269, 159, 262, 158, 252);
    hand.closeSubpath();
    p.fillPath(hand, across(144, 159, skin.lighter(104), skin, skinShade));
    p.fillPath(mirrored(hand), across(213, 228, skinShade, skinShade, skinShade.darker(115)));

    // Face.
    QPainterPath face(QPointF(186, 82));
    face.cubicTo(201, 82, 204, 96, 202, 106);
    face.cubicTo(200, 118, 192, 126, 186, 126);
    face.cubicTo(179, 126, 171, 118, 169, 106);
    face.cubicTo(168, 96, 171, 82, 186, 82);
    QRadialGradient faceLight(QPointF(180, 100), 24);
    faceLight.setColorAt(0, skin.lighter(108));
    faceLight.setColorAt(0.7, skin);
    faceLight.setColorAt(1, skinShade);
    p.fillPath(face, faceLight);

    // Eyes, brows, nose and mouth: small, as a face is at this distance.
    p.setBrush(QColor(40, 28, 24));
    p.drawEllipse(QPointF(179.5, 103), 2.0, 1.2);
    p.drawEllipse(QPointF(192.5, 103), 2.0, 1.2);
    p.setPen(QPen(QColor(50, 34, 28), 1.0));
    p.drawLine(QPointF(176.5, 99), QPointF(182.5, 98.4));
    p.drawLine(QPointF(189.5, 98.4), QPointF(195.5, 99));
    p.setPen(QPen(skinShade, 1.0));
    p.drawLine(QPointF(187, 105), QPointF(188, 112));
    p.setPen(Qt::NoPen);
    QPainterPath mouth(QPointF(181.5, 117));
    mouth.quadTo(186, 120.5, 190.5, 117);
    mouth.quadTo(186, 118.2, 181.5, 117);
    p.fillPath(mouth, QColor(176, 74, 74));
    p.setBrush(QColor(234, 150, 130, 70));
    p.drawEllipse(QPointF(176, 111), 4, 2.5);
    p.drawEllipse(QPointF(196, 111), 4, 2.5);

    // Hair over the forehead, parted on the left, and strands falling over the shoulders.
    QPainterPath fringe(QPointF(167, 106));
    fringe.cubicTo(163, 80, 198, 70, 206, 100);
    fringe.cubicTo(200, 90, 190, 88, 180, 90);
    fringe.cubicTo(174, 94, 171, 100, 170, 112);
    fringe.closeSubpath();
    p.fillPath(fringe, hair);
    QPainterPath strand(QPointF(170, 104));
    strand.cubicTo(167, 120, 166, 136, 158, 152);
    strand.cubicTo(156, 153, 153, 152, 152, 150);
    strand.cubicTo(160, 136, 160, 116, 167, 100);
    p.fillPath(strand, hair);
    QPainterPath strand2(QPointF(202, 100));
    strand2.cubicTo(208, 118, 208, 136, 220, 150);
    strand2.cubicTo(218, 153, 214, 154, 212, 153);
    strand2.cubicTo(204, 140, 202, 120, 200, 106);
    p.fillPath(strand2, hair);
    p.setPen(QPen(QColor(120, 108, 108, 130), 1.2));
    QPainterPath sheen(QPointF(171, 90));
    sheen.quadTo(178, 81, 190, 80);
    p.drawPath(sheen);
    p.setPen(Qt::NoPen);
}

// Seven-segment digits as a camera exposes them onto the film.
void paintDateImprint(QPainter& p, QPointF origin, const QString& text)
{
    // Segments a..g of each digit.
    static const int segments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const double w = 6.5;
    const double h = 11;
    const double t = 1.6;
    auto segment = [&](QPointF o, int s) {
        switch (s) {
        case 0: return QRectF(o.x() + t / 2, o.y(), w - t, t);
        case 1: return QRectF(o.x() + w - t, o.y() + t / 2, t, h / 2 - t / 2);
        case 2: return QRectF(o.x() + w - t, o.y() + h / 2, t, h / 2 - t / 2);
        case 3: return QRectF(o.x() + t / 2, o.y() + h - t, w - t, t);
        case 4: return QRectF(o.x(), o.y() + h / 2, t, h / 2 - t / 2);
        case 5: return QRectF(o.x(), o.y() + t / 2, t, h / 2 - t / 2);
        default: return QRectF(o.x() + t / 2, o.y() + h / 2 - t / 2, w - t, t);
        }
    };
    const QColor glow(255, 110, 20, 90);
    const QColor core(255, 156, 40);
    for (int pass = 0; pass < 2; ++pass) {
        QPointF at = origin;
        for (QChar c : text) {
            if (c == QLatin1Char(' ')) {
                at.rx() += w * 0.9;
                continue;
            }
            if (c == QLatin1Char('\'')) {
                const QRectF tick(at.x(), at.y(), t, h * 0.3);
                p.fillRect(pass == 0 ? tick.adjusted(-0.8, -0.8, 0.8, 0.8) : tick, pass == 0 ? glow : core);
                at.rx() += w * 0.6;
                continue;
            }
            const int bits = segments[c.digitValue()];
            for (int s = 0; s < 7; ++s) {
                if (bits & (1 << s)) {
                    const QRectF r = segment(at, s);
                    p.fillRect(pass == 0 ? r.adjusted(-0.8, -0.8, 0.8, 0.8) : r, pass == 0 ? glow : core);
                }
            }
            at.rx() += w + 2.6;
        }
    }
}

// A lens's softness: a small binomial blur, 1-2-1 across and down.
QImage soften(const QImage& image)
{
    QImage out = image.copy();
    const int w = image.width();
    const int h = image.height();
    auto at = [&](int x, int y) {
        return image.pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int weight = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    const QRgb c = at(x + dx, y + dy);
                    sum[0] += qRed(c) * weight;
                    sum[1] += qGreen(c) * weight;
                    sum[2] += qBlue(c) * weight;
                }
            }
            out.setPixel(x, y, qRgb((sum[0] + 8) / 16, (sum[1] + 8) / 16, (sum[2] + 8) / 16));
        }
    }
    return out;
}

// What the camera, the film and the print add: warmth, softer contrast, darker corners, grain.
void developPrint(QImage& image, Noise& noise)
{
    const double cx = image.width() / 2.0;
    const double cy = image.height() / 2.0;
    const double reach = std::hypot(cx, cy);
    // Uneven development: a coarse grid of small brightness changes, blended smoothly.
    constexpr int cells = 12;
    double mottle[cells + 1][cells + 1];
    for (auto& row : mottle) {
        for (double& m : row)
            m = noise.range(-0.035, 0.035);
    }
    auto mottleAt = [&](int x, int y) {
        const double gx = double(x) / image.width() * cells;
        const double gy = double(y) / image.height() * cells;
        const int ix = std::min(int(gx), cells - 1);
        const int iy = std::min(int(gy), cells - 1);
        const double fx = gx - ix;
        const double fy = gy - iy;
        return (mottle[iy][ix] * (1 - fx) + mottle[iy][ix + 1] * fx) * (1 - fy) +
               (mottle[iy + 1][ix] * (1 - fx) + mottle[iy + 1][ix + 1] * fx) * fy;
    };
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double d = std::hypot(x - cx, y - cy) / reach;
            const double vignette = (1.0 - 0.22 * d * d * d) * (1.0 + mottleAt(x, y));
            const double grain = (noise.unit() + noise.unit() - 1.0) * 7.0;
            auto develop = [&](int value, double gain, double lift) {
                const double v = (lift + value * gain) * vignette + grain;
                return std::clamp(int(std::lround(v)), 0, 255);
            };
            row[x] = qRgb(develop(qRed(row[x]), 0.95, 14), develop(qGreen(row[x]), 0.93, 12),
                          develop(qBlue(row[x]), 0.88, 10));
        }
    }
}

} // namespace

QImage drawHarbourScene()
{
    Noise noise(20030517u);
    QImage large(kWidth * kScale, kHeight * kScale, QImage::Format_RGB32);
    {
        QPainter p(&large);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(kScale, kScale);
        paintSky(p, noise);
        paintHills(p);
        paintFarShore(p, noise);
        paintVessel(p);
        paintWater(p, noise);
        paintRailing(p);
        paintPerson(p);
    }
    // Reducing to the final size softens everything a little, as a lens and film do.
    QImage image = large.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    image = soften(image);
    developPrint(image, noise);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paintDateImprint(p, QPointF(kWidth - 88, kHeight - 22), QStringLiteral("'03 5 17"));
    }
    return image;
}

} // namespace picture_generator
