#include "glyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>

#include <cmath>

namespace samples {
namespace {

constexpr double kEm = 1024;

swf::Point at(const QPointF& p) { return {std::round(p.x()), std::round(p.y())}; }
QPointF lerp(QPointF a, QPointF b, double t) { return a + (b - a) * t; }

// A cubic as two quadratics, split at its middle (close enough for glyph outlines, which are
// quadratic in TrueType fonts to begin with).
void addCubic(std::vector<swf::ShapeRecord>& out, QPointF p0, QPointF c1, QPointF c2, QPointF p3)
{
    const QPointF a = lerp(p0, c1, 0.5), b = lerp(c1, c2, 0.5), c = lerp(c2, p3, 0.5);
    const QPointF d = lerp(a, b, 0.5), e = lerp(b, c, 0.5), mid = lerp(d, e, 0.5);
    auto quad = [&](QPointF q0, QPointF q1, QPointF q2, QPointF q3) {
        const QPointF control = (3 * (q1 + q2) - (q0 + q3)) / 4;
        out.push_back(swf::CurvedEdge{at(control), at(q3)});
    };
    quad(p0, a, d, mid);
    quad(mid, e, c, p3);
}

std::vector<swf::ShapeRecord> glyphRecords(const QPainterPath& path)
{
    std::vector<swf::ShapeRecord> out;
    QPointF current, start;
    bool open = false;
    auto close = [&] {
        if (open && at(current) != at(start)) out.push_back(swf::StraightEdge{at(start)});
        open = false;
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.type == QPainterPath::MoveToElement) {
            close();
            swf::StyleChange c;
            c.hasMove = true;
            c.moveTo = at(p);
            c.hasFill0 = true;
            c.fill0 = 1;
            out.push_back(c);
            start = current = p;
            open = true;
        } else if (e.type == QPainterPath::LineToElement) {
            out.push_back(swf::StraightEdge{at(p)});
            current = p;
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            addCubic(out, current, p, QPointF(c2.x, c2.y), QPointF(end.x, end.y));
            current = QPointF(end.x, end.y);
            i += 2;
        }
    }
    close();
    return out;
}

}  // namespace

swf::FontDefinition embeddedFont(std::uint16_t id, const QString& family, bool bold, const QString& characters)
{
    QFont qfont(family);
    qfont.setPixelSize(static_cast<int>(kEm));
    qfont.setBold(bold);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(qfont);
    swf::FontDefinition font;
    font.id = id;
    font.fontVersion = 2;
    font.emSquare = kEm;
    font.name = family.toStdString();
    font.bold = bold;
    font.hasLayout = true;
    font.ascent = metrics.ascent();
    font.descent = metrics.descent();
    font.leading = metrics.leading();
    for (QChar ch : characters) {
        QPainterPath path;
        path.addText(0, 0, qfont, QString(ch));
        font.glyphs.push_back(glyphRecords(path));
        font.codes.push_back(ch.unicode());
        font.advances.push_back(std::round(metrics.horizontalAdvance(ch)));
    }
    return font;
}

swf::StaticTextDefinition textLine(std::uint16_t id, const swf::FontDefinition& font, const QString& text,
                                   int heightTwips, swf::Rgba color, int x, int y)
{
    swf::StaticTextDefinition t;
    t.id = id;
    t.textVersion = 2;
    swf::TextRecord record;
    record.fontId = font.id;
    record.color = color;
    record.x = static_cast<std::int16_t>(x);
    record.y = static_cast<std::int16_t>(y);
    record.height = static_cast<std::uint16_t>(heightTwips);
    const double scale = heightTwips / kEm;
    double width = 0;
    for (QChar ch : text) {
        for (std::size_t g = 0; g < font.codes.size(); ++g) {
            if (font.codes[g] != ch.unicode()) continue;
            const auto advance = static_cast<std::int32_t>(std::lround(font.advances[g] * scale));
            record.glyphs.push_back({static_cast<std::uint32_t>(g), advance});
            width += advance;
            break;
        }
    }
    t.records.push_back(record);
    t.bounds = {x, static_cast<std::int32_t>(x + width), static_cast<std::int32_t>(y - font.ascent * scale),
                static_cast<std::int32_t>(y + font.descent * scale)};
    return t;
}

}  // namespace samples
