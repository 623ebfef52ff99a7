#pragma once
// Gradient fills as Qt gradients: the 32768-twip gradient square, spread modes, the two
// interpolation modes and the colour transform applied to every stop.

#include <optional>

#include <QBrush>
#include <QGradientStops>

#include "swf/format/shape.h"

namespace swf::render {

// Gradient square half size in twips: ratio 0 at -16384, ratio 255 at +16384 (or the radius).
inline constexpr double kGradientHalfSize = 16384.0;

// Stops for Qt: positions ratio/255, colours through `transform`. Linear-RGB interpolation is
// approximated with extra stops computed in linear light. Unsorted stops are sorted.
QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& transform);

// A brush in gradient space (before the fill matrix). A gradient without stops fills with
// opaque black, as the reference player draws it; empty for fills that are not gradients.
std::optional<QBrush> gradientBrush(const FillStyle& fill, const ColorTransform& transform);

// The colour the gradient shows at a position of its ramp, 0..255, for tests and fallbacks.
Rgba gradientColorAt(const Gradient& gradient, double ratio);

}  // namespace swf::render
