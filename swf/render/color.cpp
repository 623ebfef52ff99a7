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

namespace {

// A 256-entry lookup per channel keeps the per-pixel work to table reads.
using ChannelTable = std::array<std::uint8_t, 256>;

ChannelTable makeTable(double mult, double add)
{
    ChannelTable table{};
    for (int v = 0; v < 256; ++v) table[v] = static_cast<std::uint8_t>(transformChannel(v, mult, add));
    return table;
}

}  // namespace

QImage transformImage(const QImage& source, const ColorTransform& t)
{
    QImage src = source.format() == QImage::Format_ARGB32_Premultiplied
                     ? source
                     : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(src.size(), QImage::Format_ARGB32_Premultiplied);
    const ChannelTable rt = makeTable(t.rMult, t.rAdd), gt = makeTable(t.gMult, t.gAdd),
                       bt = makeTable(t.bMult, t.bAdd), at = makeTable(t.aMult, t.aAdd);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const QRgb p = in[x];
            const int a = qAlpha(p);
            int r = 0, g = 0, b = 0;
            if (a == 255) {
                r = qRed(p), g = qGreen(p), b = qBlue(p);
            } else if (a > 0) {
                // Unpremultiply with rounding; colour above alpha (bad data) is clamped.
                r = std::min(255, (qRed(p) * 255 + a / 2) / a);
                g = std::min(255, (qGreen(p) * 255 + a / 2) / a);
                b = std::min(255, (qBlue(p) * 255 + a / 2) / a);
            }
            const int na = at[a];
            const int nr = rt[r], ng = gt[g], nb = bt[b];
            o[x] = qRgba((nr * na + 127) / 255, (ng * na + 127) / 255, (nb * na + 127) / 255, na);
        }
    }
    return out;
}

}  // namespace swf::render
