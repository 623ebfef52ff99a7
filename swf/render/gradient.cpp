#include "swf/render/gradient.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/render/color.h"
#include "swf/render/pixel_ops.h"

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

}  // namespace

GradientTable gradientTable(const Gradient& gradient, const ColorTransform& transform)
{
    GradientTable table{};
    if (gradient.stops.empty()) {
        const Rgba black = transformColor(Rgba{0, 0, 0, 255}, transform);
        table.fill(premultiply(black.r, black.g, black.b, black.a));
        return table;
    }
    const std::vector<GradientStop> stops = sortedStops(gradient);
    std::vector<Rgba> transformed;
    transformed.reserve(stops.size());
    for (const GradientStop& stop : stops) transformed.push_back(transformColor(stop.color, transform));
    const bool linearLight = gradient.interpolation == InterpolationMode::LinearRgb;
    std::size_t next = 0;  // first stop whose ratio is above the entry
    for (int i = 0; i < kGradientTableSize; ++i) {
        const double ratio = i * 255.0 / (kGradientTableSize - 1);
        while (next < stops.size() && stops[next].ratio <= ratio) ++next;
        Rgba c;
        if (next == 0) {
            c = transformed.front();
        } else if (next == stops.size()) {
            c = transformed.back();
        } else {
            const GradientStop& a = stops[next - 1];
            const GradientStop& b = stops[next];
            const double t = (ratio - a.ratio) / double(b.ratio - a.ratio);
            if (linearLight) {
                c = transformColor(mixLinearLight(a.color, b.color, t), transform);
            } else {
                const Rgba& ca = transformed[next - 1];
                const Rgba& cb = transformed[next];
                auto ch = [t](std::uint8_t x, std::uint8_t y) {
                    return static_cast<std::uint8_t>(std::lround(x * (1 - t) + y * t));
                };
                c = {ch(ca.r, cb.r), ch(ca.g, cb.g), ch(ca.b, cb.b), ch(ca.a, cb.a)};
            }
        }
        table[std::size_t(i)] = premultiply(c.r, c.g, c.b, c.a);
    }
    return table;
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
