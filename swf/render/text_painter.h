#pragma once
// Drawing text: static text glyph runs and laid-out edit text fields.

#include <QPainter>
#include <QTransform>

#include "swf/format/text.h"
#include "swf/render/paint_options.h"
#include "swf/render/text_field.h"

namespace swf::render {

// `toDevice` maps the text character's twips to device pixels.
void paintStaticText(QPainter& painter, const StaticTextDefinition& text, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options);

void paintTextField(QPainter& painter, const EditTextDefinition& field, const TextFieldState& state,
                    const TextLayout& layout, const QTransform& toDevice, const ColorTransform& colors,
                    const PaintOptions& options);

}  // namespace swf::render
