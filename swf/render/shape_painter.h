#pragma once
// Draws built shape geometry through the scanline rasterizer, layer by layer: all fills of a
// layer in one pass (neighbouring fills share their edges without seams), then its strokes,
// each stroke style as one filled outline.

#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include "swf/format/geometry.h"
#include "swf/render/paint_options.h"
#include "swf/render/scanline_rasterizer.h"
#include "swf/render/shape_geometry.h"

namespace swf::render {

QTransform toQTransform(const Matrix& m);

// Device stroke width in pixels for a line of `widthTwips` drawn through `toDevice` (twips to
// device pixels): scaled by the transform's mean axis scale, or by the one axis the no-scale
// flags leave, never below one pixel (width 0 is a one-pixel hairline).
double deviceStrokeWidth(const LineStyle& line, const QTransform& toDevice);

// The area a stroke covers, in device pixels, to be filled with the non-zero rule: the line's
// width, caps (each end its own), joins and miter limit, pixel hinting when the line asks.
QPainterPath strokeOutline(const StrokePath& stroke, const LineStyle& line, const QTransform& toDevice);

// Paints one layer of `geometry` into `target` within `clip`. `toDevice` maps the shape's twips
// to the target's pixels.
void paintShapeLayer(ScanlineRasterizer& rasterizer, const RasterTarget& target, QRect clip,
                     const ShapeGeometry& geometry, const ShapeLayer& layer, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options);

// Fills one outline (already in device pixels) with a fill style whose matrix is in shape
// twips mapped by `shapeToDevice`.
void paintOutline(ScanlineRasterizer& rasterizer, const RasterTarget& target, QRect clip, const QPainterPath& outline,
                  FillRule rule, const FillStyle& fill, const QTransform& shapeToDevice, const ColorTransform& colors,
                  const PaintOptions& options);

}  // namespace swf::render
