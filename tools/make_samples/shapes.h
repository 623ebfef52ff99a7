#pragma once
// Outlines for the sample movies, as shape records in twips.

#include <vector>

#include "swf/format/shape.h"

namespace samples {

using Records = std::vector<swf::ShapeRecord>;

// A record that moves the pen and selects fill 1 on the left and the given line (0: none).
swf::StyleChange startContour(double x, double y, std::uint32_t line = 0);
// Closed outlines starting with startContour().
Records circle(double cx, double cy, double r, std::uint32_t line = 0);
Records rectangle(double x, double y, double w, double h, std::uint32_t line = 0);
// A star of `points` tips; `points` * 2 straight edges.
Records star(double cx, double cy, double outer, double inner, int points, double turn, std::uint32_t line = 0);
// A wavy band from x0 to x1, its top at `top` with waves of `amplitude`, down to `bottom`.
Records hill(double x0, double x1, double top, double amplitude, double bottom, int waves);

swf::FillStyle solid(swf::Rgba color);
swf::LineStyle line(std::uint16_t widthTwips, swf::Rgba color);
// A gradient over the square (-16384..16384 twips) mapped by `m`.
swf::FillStyle linearGradient(std::vector<swf::GradientStop> stops, swf::Matrix m,
                              swf::SpreadMode spread = swf::SpreadMode::Pad);
swf::FillStyle radialGradient(std::vector<swf::GradientStop> stops, swf::Matrix m, double focal = 0);
// Maps the gradient square to a circle of radius r at (cx, cy), turned by `angle` radians.
swf::Matrix gradientBox(double cx, double cy, double r, double angle = 0);

swf::ShapeDefinition shape(std::uint16_t id, std::vector<swf::FillStyle> fills, std::vector<swf::LineStyle> lines,
                           const Records& records, int version = 3);
swf::Rect boundsOf(const Records& records, double margin);

}  // namespace samples
