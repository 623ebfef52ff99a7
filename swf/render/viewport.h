#pragma once
// Fitting the stage into a target image: the scale modes and the inverse mapping for input.

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>

#include "swf/format/geometry.h"

namespace swf::render {

enum class StageScaleMode {
    ShowAll,   // whole stage visible, proportions kept, centred; margins show the background
    NoBorder,  // target filled, proportions kept, centred; the stage's overflow is cut
    ExactFit,  // stage stretched to the target in both directions
    NoScale,   // one stage pixel per device pixel, centred
};

struct Viewport {
    QTransform stageToDevice;  // stage twips -> device pixels
    QRectF stageRect;          // where the stage lands, device pixels (may exceed the target)

    // Device pixel -> stage pixel (twips / 20), for mouse input.
    QPointF deviceToStagePixels(QPointF device) const;
};

// `frame` is the movie's frame rectangle in twips (its origin need not be 0).
Viewport fitStage(const Rect& frame, QSize target, StageScaleMode mode);

}  // namespace swf::render
