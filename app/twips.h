#pragma once
// The window's designed geometry is given in twips; Qt places widgets in logical pixels. Every
// conversion between the two goes through this header.

#include <QRect>
#include <QSize>

namespace twips {

// 1440 twips to the inch at 96 logical pixels to the inch. Qt scales logical pixels on
// high-DPI screens, so this ratio holds whatever the screen.
inline constexpr int kPerPixel = 15;

// Nearest whole pixel; halves round away from zero.
constexpr int toPixels(int twips)
{
    return twips >= 0 ? (twips + kPerPixel / 2) / kPerPixel : -((-twips + kPerPixel / 2) / kPerPixel);
}

constexpr int fromPixels(int pixels) { return pixels * kPerPixel; }

// A control's place and size as designed: Left, Top, Width, Height in twips.
constexpr QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

}  // namespace twips
