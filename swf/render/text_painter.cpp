#include "swf/render/text_painter.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

#include "swf/render/color.h"
#include "swf/render/render_cache.h"
#include "swf/render/resources.h"
#include "swf/render/shape_painter.h"

namespace swf::render {

namespace {

double emOf(const FontDefinition& font) { return font.emSquare > 0 ? font.emSquare : 1024; }

QColor textColor(Rgba color, const ColorTransform& colors, const PaintOptions& options)
{
    return options.coverageOnly ? QColor(Qt::white) : transformedQColor(color, colors);
}

}  // namespace

void paintStaticText(QPainter& painter, const StaticTextDefinition& text, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options)
{
    const QTransform textToDevice = toQTransform(text.matrix) * toDevice;
    if (!textToDevice.isInvertible()) return;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, options.antialias());
    const FontDefinition* font = nullptr;
    Rgba color;
    double height = 0, x = 0, y = 0;
    for (const TextRecord& record : text.records) {
        if (record.fontId) font = options.resources.font(*record.fontId);
        if (record.color) color = *record.color;
        if (record.height) height = *record.height;
        if (record.x) x = *record.x;
        if (record.y) y = *record.y;
        const QBrush brush(textColor(color, colors, options));
        const double scale = font ? height / emOf(*font) : 0;
        for (const GlyphEntry& glyph : record.glyphs) {
            if (font && brush.color().alpha() > 0 && scale > 0) {
                const QPainterPath& outline = options.cache.glyph(*font, glyph.index);
                if (!outline.isEmpty()) {
                    painter.setTransform(QTransform::fromScale(scale, scale) * QTransform::fromTranslate(x, y) *
                                         textToDevice);
                    painter.fillPath(outline, brush);
                }
            }
            x += glyph.advance;
        }
    }
    painter.restore();
}

void paintTextField(QPainter& painter, const EditTextDefinition&, const TextFieldState& state,
                    const TextLayout& layout, const QTransform& toDevice, const ColorTransform& colors,
                    const PaintOptions& options)
{
    if (!toDevice.isInvertible()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, options.antialias());
    painter.setRenderHint(QPainter::TextAntialiasing, options.antialias());
    const QRectF box(state.bounds.xMin, state.bounds.yMin, state.bounds.xMax - state.bounds.xMin,
                     state.bounds.yMax - state.bounds.yMin);
    painter.setTransform(toDevice);
    if (state.background && box.isValid())
        painter.fillRect(box, textColor(state.backgroundColor, colors, options));

    // Text is clipped to the field. In field space the clip is a rectangle; under rotation Qt
    // clips by path, which is still right.
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    const int firstLine = std::clamp(state.scroll, 1, std::max(1, int(layout.lines.size()))) - 1;
    const double scrollY = firstLine < int(layout.lines.size()) ? layout.lines[std::size_t(firstLine)].top - kTextInset : 0;
    const QTransform fieldToDevice =
        QTransform::fromTranslate(state.bounds.xMin - state.hscroll, state.bounds.yMin - scrollY) * toDevice;
    for (std::size_t li = std::size_t(firstLine); li < layout.lines.size(); ++li) {
        const TextLine& line = layout.lines[li];
        if (line.top - scrollY > box.height()) break;
        for (const TextRun& run : line.runs) {
            const TextFormat& format = layout.formats[run.format];
            const QColor color = textColor(format.color, colors, options);
            if (color.alpha() == 0) continue;
            if (run.font) {
                const double scale = format.size / emOf(*run.font);
                painter.setPen(Qt::NoPen);
                for (std::size_t g = 0; g < run.glyphs.size(); ++g) {
                    const QPainterPath& outline = options.cache.glyph(*run.font, run.glyphs[g]);
                    if (outline.isEmpty()) continue;
                    painter.setTransform(QTransform::fromScale(scale, scale) *
                                         QTransform::fromTranslate(run.glyphX[g], line.baseline) * fieldToDevice);
                    painter.fillPath(outline, color);
                }
            } else {
                painter.setTransform(fieldToDevice);
                painter.setFont(deviceFont(format));
                painter.setPen(color);
                painter.drawText(QPointF(run.x, line.baseline), run.text);
            }
            if (format.underline) {
                painter.setTransform(fieldToDevice);
                const double y = line.baseline + std::max(20.0, format.size / 12);
                QPen pen(color, std::max(20.0, format.size / 16));
                pen.setCapStyle(Qt::FlatCap);
                painter.setPen(pen);
                painter.drawLine(QPointF(run.x, y), QPointF(run.x + run.width, y));
            }
        }
    }
    painter.restore();
    if (state.border && box.isValid()) {
        // A one-pixel frame on the field's edge, whatever the scale; unrotated frames sit on
        // pixel centres so that they stay sharp.
        painter.setTransform(QTransform());
        QPen pen(textColor(state.borderColor, colors, options), 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (toDevice.type() <= QTransform::TxScale) {
            const QRectF d = toDevice.mapRect(box);
            const double l = std::floor(d.left()) + 0.5, t = std::floor(d.top()) + 0.5;
            const double r = std::max(l, std::ceil(d.right()) - 0.5), b = std::max(t, std::ceil(d.bottom()) - 0.5);
            painter.drawRect(QRectF(QPointF(l, t), QPointF(r, b)));
        } else {
            painter.drawPolygon(toDevice.map(QPolygonF(box)));
        }
    }
    painter.restore();
}

}  // namespace swf::render
