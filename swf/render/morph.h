#pragma once
// Morph shapes at a ratio: the start and end shapes interpolated into one plain shape, which
// then goes through the same path building as any other shape.

#include <cstdint>

#include "swf/format/shape.h"

namespace swf::render {

// t = ratio / 65535.
double morphFraction(std::uint16_t ratio);

FillStyle interpolateFill(const FillStyle& start, const FillStyle& end, double t);
LineStyle interpolateLine(const LineStyle& start, const LineStyle& end, double t);
Matrix interpolateMatrix(const Matrix& start, const Matrix& end, double t);
Rect interpolateRect(const Rect& start, const Rect& end, double t);

// The in-between shape. Edges pair by position in their lists (style changes come from the start
// list only, moves pair with moves); a straight edge paired with a curved one becomes a curve
// with its control point at its middle. When the end list runs short, the remaining start edges
// keep their start positions, so a malformed morph still draws.
ShapeData interpolateMorph(const MorphShapeDefinition& morph, double t);

}  // namespace swf::render
