#include "swf/render/viewport.h"

#include <algorithm>

namespace swf::render {

QPointF Viewport::deviceToStagePixels(QPointF device) const
{
    bool invertible = false;
    const QTransform inverse = stageToDevice.inverted(&invertible);
    if (!invertible) return {};
    return inverse.map(device) / 20.0;
}

Viewport fitStage(const Rect& frame, QSize target, StageScaleMode mode)
{
    const double stageW = std::max(1, frame.xMax - frame.xMin) / 20.0;
    const double stageH = std::max(1, frame.yMax - frame.yMin) / 20.0;
    const double targetW = std::max(0, target.width());
    const double targetH = std::max(0, target.height());
    double sx = targetW / stageW, sy = targetH / stageH;
    switch (mode) {
    case StageScaleMode::ShowAll: sx = sy = std::min(sx, sy); break;
    case StageScaleMode::NoBorder: sx = sy = std::max(sx, sy); break;
    case StageScaleMode::ExactFit: break;
    case StageScaleMode::NoScale: sx = sy = 1; break;
    }
    const double left = (targetW - stageW * sx) / 2;
    const double top = (targetH - stageH * sy) / 2;
    Viewport v;
    // Twips -> stage pixels (moving the frame's origin to 0), scale, then centre.
    v.stageToDevice = QTransform::fromTranslate(-frame.xMin, -frame.yMin) * QTransform::fromScale(sx / 20, sy / 20) *
                      QTransform::fromTranslate(left, top);
    v.stageRect = QRectF(left, top, stageW * sx, stageH * sy);
    return v;
}

}  // namespace swf::render
