#pragma once
// Draws built shape geometry: fills (solid, gradient, bitmap) then strokes, layer by layer.

#include <QPainter>
#include <QTransform>

#include "swf/format/geometry.h"
#include "swf/render/paint_options.h"
#include "swf/render/shape_geometry.h"

namespace swf::render {

QTransform toQTransform(const Matrix& m);

// Device stroke width in pixels for a line of `widthTwips` drawn through `toDevice` (twips to
// device pixels): scaled by the transform's mean axis scale, or by the one axis the no-scale
// flags leave, never below one pixel (width 0 is a one-pixel hairline).
double deviceStrokeWidth(const LineStyle& line, const QTransform& toDevice);

// `toDevice` maps the shape's twips to the painter's device pixels. The painter's transform,
// pen, brush, opacity and hints are left changed; its composition mode is used as it stands.
void paintLayerFills(QPainter& painter, const ShapeLayer& layer, const QTransform& toDevice,
                     const ColorTransform& colors, const PaintOptions& options);
// Whether every fill of the layer paints fully opaque pixels through `colors`.
bool layerFillsOpaque(const ShapeLayer& layer, const ColorTransform& colors, const PaintOptions& options);
void paintLayerStrokes(QPainter& painter, const ShapeLayer& layer, const QTransform& toDevice,
                       const ColorTransform& colors, const PaintOptions& options);

// Fills one path in shape twips with a fill style (shared by shapes and filled strokes).
void paintFill(QPainter& painter, const QPainterPath& path, const FillStyle& fill, const QTransform& toDevice,
               const ColorTransform& colors, const PaintOptions& options);

}  // namespace swf::render
