#include "swf/render/gradient.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QLinearGradient>
#include <QRadialGradient>

#include "swf/render/color.h"

namespace swf::render {

namespace {

double srgbToLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double linearToSrgb(double c)
{
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

std::vector<GradientStop> sortedStops(const Gradient& g)
{
    std::vector<GradientStop> stops(g.stops.begin(), g.stops.end());
    std::stable_sort(stops.begin(), stops.end(), [](const auto& l, const auto& r) { return l.ratio < r.ratio; });
    return stops;
}

Rgba mixLinearLight(Rgba a, Rgba b, double t)
{
    auto channel = [t](std::uint8_t x, std::uint8_t y) {
        const double l = srgbToLinear(x / 255.0) * (1 - t) + srgbToLinear(y / 255.0) * t;
        return static_cast<std::uint8_t>(std::clamp(std::lround(linearToSrgb(l) * 255), 0L, 255L));
    };
    const auto alpha = static_cast<std::uint8_t>(std::lround(a.a * (1 - t) + b.a * t));
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b), alpha};
}

// Extra stops per segment for linear-light interpolation; the curve between them is close to
// straight, so a handful keeps the error below one level of 255.
constexpr int kLinearRgbSubdivisions = 12;

}  // namespace

QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& transform)
{
    const std::vector<GradientStop> stops = sortedStops(gradient);
    QGradientStops out;
    auto add = [&](double position, Rgba color) {
        out.append({std::clamp(position, 0.0, 1.0), transformedQColor(color, transform)});
    };
    for (std::size_t i = 0; i < stops.size(); ++i) {
        add(stops[i].ratio / 255.0, stops[i].color);
        if (gradient.interpolation != InterpolationMode::LinearRgb || i + 1 == stops.size()) continue;
        const GradientStop& a = stops[i];
        const GradientStop& b = stops[i + 1];
        if (a.ratio == b.ratio) continue;
        for (int k = 1; k < kLinearRgbSubdivisions; ++k) {
            const double t = double(k) / kLinearRgbSubdivisions;
            add((a.ratio + (b.ratio - a.ratio) * t) / 255.0, mixLinearLight(a.color, b.color, t));
        }
    }
    return out;
}

std::optional<QBrush> gradientBrush(const FillStyle& fill, const ColorTransform& transform)
{
    // The reference player fills a gradient without stops with opaque black.
    if (fill.gradient.stops.empty()) return QBrush(transformedQColor(Rgba{0, 0, 0, 255}, transform));
    const QGradientStops stops = gradientStops(fill.gradient, transform);
    QGradient::Spread spread = QGradient::PadSpread;
    if (fill.gradient.spread == SpreadMode::Reflect) spread = QGradient::ReflectSpread;
    if (fill.gradient.spread == SpreadMode::Repeat) spread = QGradient::RepeatSpread;

    auto finish = [&](QGradient& g) {
        g.setStops(stops);
        g.setSpread(spread);
        // Colours interpolate channel by channel before premultiplication, as the ramps of
        // authored movies expect (a fade to transparent keeps its hue).
        g.setInterpolationMode(QGradient::ComponentInterpolation);
        return QBrush(g);
    };
    switch (fill.kind) {
    case FillStyle::Kind::LinearGradient: {
        QLinearGradient g(-kGradientHalfSize, 0, kGradientHalfSize, 0);
        return finish(g);
    }
    case FillStyle::Kind::FocalGradient: {
        // A focal point on the circle itself makes the ramp degenerate; keep it just inside.
        const double focal = std::clamp(fill.gradient.focalPoint, -0.998, 0.998);
        QRadialGradient g(QPointF(0, 0), kGradientHalfSize, QPointF(focal * kGradientHalfSize, 0));
        return finish(g);
    }
    case FillStyle::Kind::RadialGradient: {
        QRadialGradient g(QPointF(0, 0), kGradientHalfSize);
        return finish(g);
    }
    default:
        return std::nullopt;
    }
}

Rgba gradientColorAt(const Gradient& gradient, double ratio)
{
    const std::vector<GradientStop> stops = sortedStops(gradient);
    if (stops.empty()) return {0, 0, 0, 0};
    if (ratio <= stops.front().ratio) return stops.front().color;
    if (ratio >= stops.back().ratio) return stops.back().color;
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const auto& a = stops[i];
        const auto& b = stops[i + 1];
        if (ratio > b.ratio) continue;
        const double t = b.ratio == a.ratio ? 1 : (ratio - a.ratio) / (b.ratio - a.ratio);
        if (gradient.interpolation == InterpolationMode::LinearRgb) return mixLinearLight(a.color, b.color, t);
        auto ch = [t](std::uint8_t x, std::uint8_t y) {
            return static_cast<std::uint8_t>(std::lround(x * (1 - t) + y * t));
        };
        return {ch(a.color.r, b.color.r), ch(a.color.g, b.color.g), ch(a.color.b, b.color.b), ch(a.color.a, b.color.a)};
    }
    return stops.back().color;
}

}  // namespace swf::render
