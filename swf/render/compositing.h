#pragma once
// Pixel work on layers: blend modes that QPainter lacks, and the bitmap filters.

#include <vector>

#include <QImage>
#include <QPoint>

#include "swf/render/effects.h"

namespace swf::render {

// Composites `layer` (premultiplied ARGB32) onto `backdrop` at `offset` with a blend mode.
void blendLayer(QImage& backdrop, const QImage& layer, QPoint offset, BlendMode mode);

// Applies the filters in order to the premultiplied image in place. `scale` is device pixels
// per filter pixel.
void applyFilters(QImage& image, const std::vector<Filter>& filters, double scale);

// Box blur of every channel, `passes` times, with fractional radii.
void boxBlur(QImage& image, double blurX, double blurY, int passes);

}  // namespace swf::render
