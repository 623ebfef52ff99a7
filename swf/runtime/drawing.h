#pragma once
// A clip's drawing-API content (beginFill, lineStyle, moveTo, lineTo, curveTo, endFill, clear)
// kept as a shape record stream, so that the renderer draws and hit-tests it with the same
// geometry code as shapes from the file. It is drawn under the clip's children.
//
// Each style change (a fill begun or ended, a new line style) starts a new layer with its own
// style arrays: later layers draw over earlier ones, as Flash paints drawing commands in order.
// endFill closes an open fill contour back to where the fill began.

#include <cstdint>
#include <optional>

#include "swf/format/shape.h"

namespace swf::runtime {

class Drawing {
public:
    void clear();
    // Line style for the following edges; nullopt: no stroke. Widths in twips.
    void setLineStyle(std::optional<LineStyle> line);
    // A fill for the following edges until endFill; starts at the current pen position.
    void beginFill(const FillStyle& fill);
    void endFill();
    void moveTo(Point twips);
    void lineTo(Point twips);
    void curveTo(Point control, Point anchor);

    bool empty() const { return shape_.records.empty(); }
    const ShapeData& shape() const { return shape_; }
    // Edge bounds widened by half the widest line, twips; nullopt when nothing is drawn.
    std::optional<Rect> bounds() const;
    // Changes with every edit (caches of built geometry compare it).
    std::uint64_t revision() const { return revision_; }

private:
    void startLayer();
    void closeFill();
    void grow(Point p);

    ShapeData shape_;
    std::optional<FillStyle> fill_;
    std::optional<LineStyle> line_;
    Point pen_;
    Point fillStart_;
    bool fillOpen_ = false;  // edges were added since the fill began
    double xMin_ = 0, yMin_ = 0, xMax_ = 0, yMax_ = 0;
    bool hasBounds_ = false;
    double maxLineWidth_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace swf::runtime
