#pragma once
// Colour transforms applied to the renderer's colours and pixels.

#include <QColor>
#include <QImage>

#include "swf/format/geometry.h"

namespace swf::render {

// One channel through a transform: clamp(value * mult + add) to 0..255.
int transformChannel(int value, double mult, double add);

// An unpremultiplied colour through a transform.
Rgba transformColor(Rgba color, const ColorTransform& transform);
QColor toQColor(Rgba color);
inline QColor transformedQColor(Rgba color, const ColorTransform& transform)
{
    return toQColor(transformColor(color, transform));
}

// True when the transform can only scale alpha (colour channels untouched), so that painter
// opacity can stand in for it.
bool isAlphaOnly(const ColorTransform& transform);

}  // namespace swf::render
