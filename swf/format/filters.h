#pragma once
// Filters (PlaceObject3 and DefineButton2 records) and blend modes, as decoded records.

#include <cstdint>
#include <variant>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/reader.h"

namespace swf {

enum class BlendMode : std::uint8_t {
    Normal = 1, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7,
    Add = 8, Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14,
};
// 0 and the reserved values 15-255 are Normal.
BlendMode blendModeFromByte(std::uint8_t v);

struct DropShadowFilter {
    Rgba color;
    double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;
};
struct BlurFilter {
    double blurX = 0, blurY = 0;
    int passes = 1;
};
struct GlowFilter {
    Rgba color;
    double blurX = 0, blurY = 0, strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;
};
struct BevelFilter {
    Rgba highlightColor, shadowColor;  // highlight first, as files store them
    double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
    bool inner = false, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;
};
struct GradientFilter {  // GradientGlow (bevel = false) and GradientBevel (bevel = true)
    bool bevel = false;
    std::vector<Rgba> colors;
    std::vector<std::uint8_t> ratios;
    double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
    bool inner = false, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;
};
struct ConvolutionFilter {
    int matrixX = 0, matrixY = 0;
    float divisor = 1, bias = 0;
    std::vector<float> matrix;  // row by row
    Rgba defaultColor;
    bool clamp = false, preserveAlpha = false;
};
struct ColorMatrixFilter {
    float matrix[20] = {};
};

using Filter = std::variant<DropShadowFilter, BlurFilter, GlowFilter, BevelFilter, GradientFilter,
                            ConvolutionFilter, ColorMatrixFilter>;

// FILTERLIST: count, then the filters. An unknown filter id ends the tag (its size is unknown).
std::vector<Filter> readFilterList(ByteReader& r);

}  // namespace swf
