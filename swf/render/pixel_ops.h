#pragma once
// Arithmetic on premultiplied ARGB32 pixels (0xAARRGGBB words), two channels at a time.

#include <cstdint>

namespace swf::render {

// Every channel of `x` times a / 255, rounded.
inline std::uint32_t byteMul(std::uint32_t x, std::uint32_t a)
{
    std::uint32_t rb = (x & 0xff00ffu) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
    std::uint32_t ag = ((x >> 8) & 0xff00ffu) * a;
    ag = (ag + ((ag >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
    return ag | rb;
}

// Source over destination.
inline std::uint32_t sourceOver(std::uint32_t src, std::uint32_t dst)
{
    return src + byteMul(dst, 255 - (src >> 24));
}

// An unpremultiplied colour (0..255 each) as a premultiplied pixel.
inline std::uint32_t premultiply(int r, int g, int b, int a)
{
    auto mul = [a](int c) { return std::uint32_t((c * a + 127) / 255); };
    return std::uint32_t(a) << 24 | mul(r) << 16 | mul(g) << 8 | mul(b);
}

}  // namespace swf::render
