#pragma once
// Blend modes and bitmap filters of placed objects (PlaceObject3, button records), as the
// renderer applies them to an object drawn into its own layer. Distances and blur sizes are in
// the filter's pixels; the caller gives the scale from those to device pixels.

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

#include "swf/format/geometry.h"

namespace swf::render {

enum class BlendMode : std::uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// The mode of a stored blend byte; 0 and unknown values are normal.
BlendMode blendModeFromByte(std::uint8_t value);

struct BlurFilter {
    double blurX = 4, blurY = 4;
    int passes = 1;
};

// Drop shadow; a glow is a shadow at distance 0.
struct DropShadowFilter {
    Rgba color{0, 0, 0, 255};
    double blurX = 4, blurY = 4;
    double angle = 0.785398;  // radians
    double distance = 4;
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;
};

struct GlowFilter {
    Rgba color{255, 0, 0, 255};
    double blurX = 6, blurY = 6;
    double strength = 2;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;
};

struct BevelFilter {
    Rgba highlight{255, 255, 255, 255}, shadow{0, 0, 0, 255};
    double blurX = 4, blurY = 4;
    double angle = 0.785398, distance = 4, strength = 1;
    bool inner = true, knockout = false, onTop = false;
    int passes = 1;
};

// Gradient glow and gradient bevel: the blurred plane indexes the gradient.
struct GradientFilter {
    bool bevel = false;
    std::vector<Rgba> colors;
    std::vector<std::uint8_t> ratios;
    double blurX = 4, blurY = 4;
    double angle = 0.785398, distance = 4, strength = 1;
    bool inner = false, knockout = false, onTop = false;
    int passes = 1;
};

struct ConvolutionFilter {
    int columns = 0, rows = 0;
    double divisor = 1, bias = 0;
    std::vector<double> matrix;  // rows * columns, row by row
    Rgba defaultColor{0, 0, 0, 0};
    bool clamp = true, preserveAlpha = true;
};

struct ColorMatrixFilter {
    std::array<double, 20> matrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
};

using Filter = std::variant<BlurFilter, DropShadowFilter, GlowFilter, BevelFilter, GradientFilter,
                            ConvolutionFilter, ColorMatrixFilter>;

// How far a filter list can spread an object's pixels, in filter pixels (for layer margins).
double filterReach(const std::vector<Filter>& filters);

}  // namespace swf::render
