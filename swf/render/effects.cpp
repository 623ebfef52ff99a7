#include "swf/render/effects.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

BlendMode blendModeFromByte(std::uint8_t value)
{
    if (value >= 2 && value <= 14) return static_cast<BlendMode>(value);
    return BlendMode::Normal;
}

double filterReach(const std::vector<Filter>& filters)
{
    double reach = 0;
    auto blurReach = [](double bx, double by, int passes) { return std::max(bx, by) * std::max(1, passes) / 2; };
    for (const Filter& filter : filters) {
        std::visit(
            [&](const auto& f) {
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, BlurFilter>) {
                    reach += blurReach(f.blurX, f.blurY, f.passes);
                } else if constexpr (std::is_same_v<T, GlowFilter>) {
                    reach += blurReach(f.blurX, f.blurY, f.passes);
                } else if constexpr (std::is_same_v<T, DropShadowFilter> || std::is_same_v<T, BevelFilter> ||
                                     std::is_same_v<T, GradientFilter>) {
                    reach += blurReach(f.blurX, f.blurY, f.passes) + std::abs(f.distance);
                } else if constexpr (std::is_same_v<T, ConvolutionFilter>) {
                    reach += std::max(f.columns, f.rows) / 2.0;
                }
            },
            filter);
    }
    return std::isfinite(reach) ? reach : 0;
}

}  // namespace swf::render
