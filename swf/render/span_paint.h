#pragma once
// What the scanline rasterizer paints a run of pixels with: a solid colour, a gradient through a
// colour table (gradient.h), or a bitmap sampled nearest or bilinear, repeated or clamped to its
// edge. Colours come premultiplied with the colour transform already
// applied (folded into the colour or the gradient's table, or applied to bitmap samples through
// per-channel tables), so a run costs a table read or a sample a pixel and little more.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include <QImage>
#include <QTransform>

#include "swf/format/shape.h"
#include "swf/render/gradient.h"
#include "swf/render/paint_options.h"

namespace swf::render {

class SpanPaint {
public:
    static SpanPaint solid(std::uint32_t premultiplied);
    // `gradientToDevice` maps the gradient square to device pixels.
    static SpanPaint gradient(const FillStyle& fill, const QTransform& gradientToDevice, const ColorTransform& colors);
    // `image` is premultiplied ARGB32 (QImage shares its pixels, the paint keeps them alive);
    // every sample goes through `colors`; `opaqueImage` when no pixel of the image has alpha
    // below 255.
    static SpanPaint bitmap(const QImage& image, const QTransform& bitmapToDevice, bool repeat, bool smooth,
                            const ColorTransform& colors, bool opaqueImage);

    bool isSolid() const { return kind_ == Kind::Solid; }
    std::uint32_t color() const { return color_; }
    // Every pixel it paints is fully opaque.
    bool opaque() const { return opaque_; }
    // Paints nothing visible (a transparent solid colour).
    bool invisible() const { return kind_ == Kind::Solid && color_ == 0; }

    // The premultiplied colours of the centres of pixels x .. x+n-1 of row y.
    void fetch(int x, int y, int n, std::uint32_t* out) const;

private:
    enum class Kind : std::uint8_t { Solid, Linear, Radial, Focal, Bitmap };

    void fetchGradient(int x, int y, int n, std::uint32_t* out) const;
    template <SpreadMode spread>
    void fetchGradientSpread(int x, int y, int n, std::uint32_t* out) const;
    void fetchBitmap(int x, int y, int n, std::uint32_t* out) const;
    // The colour transform on fetched samples.
    void transform(int n, std::uint32_t* out) const;
    void transformSamples(int n, std::uint32_t* out) const;

    Kind kind_ = Kind::Solid;
    bool opaque_ = false;
    std::uint32_t color_ = 0;
    // Device -> paint space (gradient square, or bitmap pixels).
    double m11_ = 1, m12_ = 0, m21_ = 0, m22_ = 1, dx_ = 0, dy_ = 0;
    // Gradients.
    SpreadMode spread_ = SpreadMode::Pad;
    double focal_ = 0;
    std::unique_ptr<GradientTable> table_;  // gradients only
    // Bitmaps.
    QImage image_;
    const std::uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;  // stride in pixels
    bool repeat_ = true, smooth_ = false;
    // The colour transform on samples: alpha only (a factor), or per channel through tables of
    // unpremultiplied values.
    int alpha_ = 255;
    using ChannelTables = std::array<std::array<std::uint8_t, 256>, 4>;  // r, g, b, a
    std::unique_ptr<ChannelTables> channels_;
};

// The paint for a shape's fill style drawn through `shapeToDevice` with `colors`; empty when the
// fill draws nothing (a missing bitmap). Coverage-only passes paint opaque white.
std::optional<SpanPaint> makeSpanPaint(const FillStyle& fill, const QTransform& shapeToDevice,
                                       const ColorTransform& colors, const PaintOptions& options);

}  // namespace swf::render
