#include "swf/runtime/display_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {
namespace {

Bounds fromRect(const Rect& r)
{
    Bounds b;
    if (r.xMax < r.xMin || r.yMax < r.yMin) return b;
    b.add(r.xMin, r.yMin);
    b.add(r.xMax, r.yMax);
    return b;
}

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }
double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

void Bounds::add(double x, double y)
{
    if (empty) {
        xMin = xMax = x;
        yMin = yMax = y;
        empty = false;
        return;
    }
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
}

void Bounds::add(const Bounds& other)
{
    if (other.empty) return;
    add(other.xMin, other.yMin);
    add(other.xMax, other.yMax);
}

void Bounds::addTransformed(const Bounds& box, const Matrix& m)
{
    if (box.empty) return;
    for (Point p : {Point{box.xMin, box.yMin}, Point{box.xMax, box.yMin}, Point{box.xMin, box.yMax},
                    Point{box.xMax, box.yMax}}) {
        const Point q = m.apply(p);
        add(q.x, q.y);
    }
}

Bounds contentBounds(const DisplayObject& object)
{
    switch (object.kind()) {
    case ObjectKind::Shape: return fromRect(static_cast<const ShapeObject&>(object).definition().bounds);
    case ObjectKind::MorphShape: {
        const auto& morph = static_cast<const MorphShapeObject&>(object);
        const double t = morph.ratio() / 65535.0;
        const Rect& a = morph.definition().startBounds;
        const Rect& b = morph.definition().endBounds;
        Bounds out;
        out.add(a.xMin + (b.xMin - a.xMin) * t, a.yMin + (b.yMin - a.yMin) * t);
        out.add(a.xMax + (b.xMax - a.xMax) * t, a.yMax + (b.yMax - a.yMax) * t);
        return out;
    }
    case ObjectKind::StaticText: {
        const auto& text = static_cast<const StaticTextObject&>(object).definition();
        Bounds out;
        out.addTransformed(fromRect(text.bounds), text.matrix);
        return out;
    }
    case ObjectKind::EditText: return fromRect(static_cast<const EditTextObject&>(object).definition().bounds);
    case ObjectKind::Bitmap:
        if (const Bitmap* b = static_cast<const BitmapObject&>(object).bitmap()) {
            Bounds out;
            out.add(0, 0);
            out.add(b->width * 20.0, b->height * 20.0);
            return out;
        }
        return {};
    case ObjectKind::Video: {
        const auto& video = static_cast<const VideoObject&>(object).definition();
        Bounds out;
        out.add(0, 0);
        out.add(video.width * 20.0, video.height * 20.0);
        return out;
    }
    case ObjectKind::MovieClip:
        if (auto r = static_cast<const MovieClip&>(object).drawing().bounds()) return fromRect(*r);
        return {};
    case ObjectKind::Button: return {};
    }
    return {};
}

Bounds boundsThrough(const DisplayObject& object, const Matrix& toSpace)
{
    Bounds out;
    out.addTransformed(contentBounds(object), toSpace);
    if (const DisplayList* list = object.children()) {
        for (const auto& child : list->items()) out.add(boundsThrough(*child, toSpace * child->matrix()));
    }
    return out;
}

std::optional<Matrix> inverted(const Matrix& m)
{
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0 || !std::isfinite(det)) return std::nullopt;
    Matrix r;
    r.a = m.d / det;
    r.b = -m.b / det;
    r.c = -m.c / det;
    r.d = m.a / det;
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    return r;
}

Bounds boundsIn(const DisplayObject& object, const DisplayObject* space)
{
    Matrix toSpace = object.worldMatrix();
    if (space) {
        if (auto inv = inverted(space->worldMatrix())) toSpace = *inv * toSpace;
    }
    return boundsThrough(object, toSpace);
}

Point stageToLocal(const DisplayObject& object, Point stageTwips)
{
    if (auto inv = inverted(object.worldMatrix())) return inv->apply(stageTwips);
    return {};
}

Point localToStage(const DisplayObject& object, Point localTwips) { return object.worldMatrix().apply(localTwips); }

namespace {

bool contentContains(const DisplayObject& object, Point local, bool shape)
{
    const Bounds box = contentBounds(object);
    if (!box.contains(local.x, local.y)) return false;
    if (!shape) return true;
    if (const GeometryHost* g = object.stage().geometry()) return g->contains(object, local);
    return true;
}

bool hitTree(const DisplayObject& object, Point stageTwips, bool shape, bool visibleOnly)
{
    if (visibleOnly && !object.visible()) return false;
    const Point local = stageToLocal(object, stageTwips);
    if (!shape) return boundsThrough(object, Matrix{}).contains(local.x, local.y);
    if (contentContains(object, local, true)) return true;
    const DisplayList* list = object.children();
    if (!list) return false;
    const auto items = list->items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const DisplayObject& child = *items[i];
        if (child.clipDepth() > 0) {
            // A mask: the objects it covers count only where the mask is hit.
            const bool inMask = hitTree(child, stageTwips, true, false);
            std::size_t end = i + 1;
            while (end < items.size() && items[end]->depth() <= child.clipDepth()) ++end;
            if (inMask) {
                for (std::size_t k = i + 1; k < end; ++k)
                    if (hitTree(*items[k], stageTwips, true, visibleOnly)) return true;
            }
            i = end - 1;
            continue;
        }
        if (hitTree(child, stageTwips, true, visibleOnly)) return true;
    }
    return false;
}

}  // namespace

bool hitTest(const DisplayObject& object, Point stageTwips, bool shape, bool visibleOnly)
{
    return hitTree(object, stageTwips, shape, visibleOnly);
}

DisplayObject::ScriptTransform decompose(const Matrix& m)
{
    DisplayObject::ScriptTransform t;
    t.xScale = std::sqrt(m.a * m.a + m.b * m.b) * 100;
    t.yScale = std::sqrt(m.c * m.c + m.d * m.d) * 100;
    if (m.a * m.d - m.b * m.c < 0) t.yScale = -t.yScale;
    t.rotation = (m.a == 0 && m.b == 0) ? 0 : degrees(std::atan2(m.b, m.a));
    return t;
}

Matrix compose(const Matrix& current, const DisplayObject::ScriptTransform& t)
{
    // Keep the angle between the axes: the y axis sits at (rotation + skew).
    const double xAngle = (current.a == 0 && current.b == 0) ? 0 : std::atan2(current.b, current.a);
    double yAngle = (current.c == 0 && current.d == 0) ? xAngle + std::numbers::pi / 2 : std::atan2(current.d, current.c);
    if (current.a * current.d - current.b * current.c < 0) yAngle += std::numbers::pi;
    const double skew = yAngle - xAngle;
    const double r = radians(t.rotation);
    Matrix m = current;
    const double xs = t.xScale / 100, ys = t.yScale / 100;
    m.a = xs * std::cos(r);
    m.b = xs * std::sin(r);
    m.c = ys * std::cos(r + skew);
    m.d = ys * std::sin(r + skew);
    return m;
}

}  // namespace swf::runtime
