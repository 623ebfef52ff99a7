#include "swf/format/filters.h"

#include <string>

#include "swf/format/records.h"

namespace swf {

BlendMode blendModeFromByte(std::uint8_t v)
{
    if (v >= 1 && v <= 14) return static_cast<BlendMode>(v);
    return BlendMode::Normal;
}

std::vector<Filter> readFilterList(ByteReader& r)
{
    std::size_t count = r.u8();
    std::vector<Filter> filters;
    filters.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t id = r.u8();
        switch (id) {
        case 0: {
            DropShadowFilter f;
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            std::uint8_t b = r.u8();
            f.inner = b & 0x80;
            f.knockout = b & 0x40;
            f.compositeSource = b & 0x20;
            f.passes = b & 0x1f;
            filters.emplace_back(f);
            break;
        }
        case 1: {
            BlurFilter f;
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.passes = r.u8() >> 3;
            filters.emplace_back(f);
            break;
        }
        case 2: {
            GlowFilter f;
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.strength = r.fixed8();
            std::uint8_t b = r.u8();
            f.inner = b & 0x80;
            f.knockout = b & 0x40;
            f.compositeSource = b & 0x20;
            f.passes = b & 0x1f;
            filters.emplace_back(f);
            break;
        }
        case 3: {
            BevelFilter f;
            f.highlightColor = readRgba(r);
            f.shadowColor = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            std::uint8_t b = r.u8();
            f.inner = b & 0x80;
            f.knockout = b & 0x40;
            f.compositeSource = b & 0x20;
            f.onTop = b & 0x10;
            f.passes = b & 0x0f;
            filters.emplace_back(f);
            break;
        }
        case 4:
        case 7: {
            GradientFilter f;
            f.bevel = id == 7;
            std::size_t n = r.u8();
            for (std::size_t k = 0; k < n; ++k) f.colors.push_back(readRgba(r));
            for (std::size_t k = 0; k < n; ++k) f.ratios.push_back(r.u8());
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            std::uint8_t b = r.u8();
            f.inner = b & 0x80;
            f.knockout = b & 0x40;
            f.compositeSource = b & 0x20;
            f.onTop = b & 0x10;
            f.passes = b & 0x0f;
            filters.emplace_back(std::move(f));
            break;
        }
        case 5: {
            ConvolutionFilter f;
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            std::size_t n = static_cast<std::size_t>(f.matrixX) * f.matrixY;
            if (n * 4 > r.remaining()) r.fail(FormatError::Kind::Truncated, "convolution matrix ends early");
            f.matrix.reserve(n);
            for (std::size_t k = 0; k < n; ++k) f.matrix.push_back(r.f32());
            f.defaultColor = readRgba(r);
            std::uint8_t b = r.u8();
            f.clamp = b & 0x02;
            f.preserveAlpha = b & 0x01;
            filters.emplace_back(std::move(f));
            break;
        }
        case 6: {
            ColorMatrixFilter f;
            for (float& v : f.matrix) v = r.f32();
            filters.emplace_back(f);
            break;
        }
        default:
            r.fail(FormatError::Kind::Corrupt, "unknown filter id " + std::to_string(id));
        }
    }
    return filters;
}

}  // namespace swf
