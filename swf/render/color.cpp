#include "swf/render/color.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace swf::render {

int transformChannel(int value, double mult, double add)
{
    const double v = value * mult + add;
    if (!(v > 0)) return 0;  // also catches NaN
    if (v >= 255) return 255;
    return static_cast<int>(v);
}

Rgba transformColor(Rgba c, const ColorTransform& t)
{
    return {static_cast<std::uint8_t>(transformChannel(c.r, t.rMult, t.rAdd)),
            static_cast<std::uint8_t>(transformChannel(c.g, t.gMult, t.gAdd)),
            static_cast<std::uint8_t>(transformChannel(c.b, t.bMult, t.bAdd)),
            static_cast<std::uint8_t>(transformChannel(c.a, t.aMult, t.aAdd))};
}

QColor toQColor(Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

bool isAlphaOnly(const ColorTransform& t)
{
    return t.rMult == 1 && t.gMult == 1 && t.bMult == 1 && t.rAdd == 0 && t.gAdd == 0 &&
           t.bAdd == 0 && t.aAdd == 0 && t.aMult >= 0;
}

}  // namespace swf::render
