#pragma once
// An embedded font made from a font installed on this machine (outlines through Qt), and
// static text set in it.

#include <QString>

#include "swf/format/text.h"

namespace samples {

// DefineFont2 data (EM square 1024) with the glyphs of `characters`, their codes and layout.
swf::FontDefinition embeddedFont(std::uint16_t id, const QString& family, bool bold, const QString& characters);

// One line of `text` in `font` at `heightTwips`, its baseline at (x, y) in the text's space.
swf::StaticTextDefinition textLine(std::uint16_t id, const swf::FontDefinition& font, const QString& text,
                                   int heightTwips, swf::Rgba color, int x, int y);

}  // namespace samples
