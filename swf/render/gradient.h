#pragma once
// Gradient colours: the 32768-twip gradient square, the two interpolation modes and the colour
// transform applied to every stop, as a table of premultiplied pixels four times finer than the
// format's 256 ratio steps, so that wide gradients show no steps and a pixel costs one lookup.

#include <array>
#include <cstdint>

#include "swf/format/shape.h"

namespace swf::render {

// Gradient square half size in twips: ratio 0 at -16384, ratio 255 at +16384 (or the radius).
inline constexpr double kGradientHalfSize = 16384.0;

inline constexpr int kGradientTableSize = 1024;
using GradientTable = std::array<std::uint32_t, kGradientTableSize>;

// Entry i is the colour at ratio i * 255 / (kGradientTableSize - 1), premultiplied. Stops go through `transform` first and are
// then interpolated channel by channel before premultiplication, so that a fade to transparent
// keeps its hue; linear-RGB gradients mix in linear light. Unsorted stops are sorted. A
// gradient without stops fills with opaque black, as the reference player draws it.
GradientTable gradientTable(const Gradient& gradient, const ColorTransform& transform);

// The colour the gradient shows at a position of its ramp, 0..255, unpremultiplied and without
// a colour transform.
Rgba gradientColorAt(const Gradient& gradient, double ratio);

}  // namespace swf::render
