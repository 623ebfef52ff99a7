#pragma once
// Geometry of display objects as scripts see it: bounds in any object's space, points between
// spaces, hit tests, and the scale/rotation view of a matrix (_xscale, _yscale, _rotation).

#include <optional>

#include "swf/format/geometry.h"
#include "swf/runtime/display_object.h"

namespace swf::runtime {

// An axis-aligned box in twips; `empty` when nothing was added.
struct Bounds {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool empty = true;
    void add(double x, double y);
    void add(const Bounds& other);
    // The four corners of `box` through `m`.
    void addTransformed(const Bounds& box, const Matrix& m);
    bool contains(double x, double y) const { return !empty && x >= xMin && x <= xMax && y >= yMin && y <= yMax; }
};

// The object's own content (its character, a clip's drawing), without children, in its space.
Bounds contentBounds(const DisplayObject& object);
// Content and children, mapped through `toSpace` (the object's space to the wanted one).
Bounds boundsThrough(const DisplayObject& object, const Matrix& toSpace);
// Bounds in the space of `space` (null: the stage).
Bounds boundsIn(const DisplayObject& object, const DisplayObject* space);

std::optional<Matrix> inverted(const Matrix& m);
// Stage twips to the object's own twips and back.
Point stageToLocal(const DisplayObject& object, Point stageTwips);
Point localToStage(const DisplayObject& object, Point localTwips);

// Whether a stage point (twips) is on the object: its bounds, or with `shape` the filled
// content (through the stage's geometry host when there is one). Masks are honoured, and
// invisible objects are skipped when `visibleOnly`.
bool hitTest(const DisplayObject& object, Point stageTwips, bool shape, bool visibleOnly = false);

// _xscale/_yscale (percent) and _rotation (degrees) of a matrix, and back. Composing keeps the
// matrix's skew (the angle between its axes), as Flash does when one of them changes.
DisplayObject::ScriptTransform decompose(const Matrix& m);
Matrix compose(const Matrix& current, const DisplayObject::ScriptTransform& t);

}  // namespace swf::runtime
