#include "swf/runtime/drawing.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/number_format.h"

namespace swf::runtime {

void Drawing::clear()
{
    shape_ = {};
    fill_.reset();
    line_.reset();
    pen_ = {};
    fillOpen_ = false;
    hasBounds_ = false;
    maxLineWidth_ = 0;
    ++revision_;
}

void Drawing::startLayer()
{
    StyleChange change;
    change.hasNewStyles = true;
    if (fill_) {
        change.newFills.push_back(*fill_);
        change.hasFill1 = true;
        change.fill1 = 1;
    }
    if (line_) {
        change.newLines.push_back(*line_);
        change.hasLine = true;
        change.line = 1;
    }
    change.hasMove = true;
    change.moveTo = pen_;
    shape_.records.emplace_back(std::move(change));
    ++revision_;
}

void Drawing::setLineStyle(std::optional<LineStyle> line)
{
    line_ = std::move(line);
    if (line_) maxLineWidth_ = std::max(maxLineWidth_, static_cast<double>(line_->width));
    startLayer();
}

void Drawing::beginFill(const FillStyle& fill)
{
    closeFill();
    fill_ = fill;
    fillStart_ = pen_;
    fillOpen_ = false;
    startLayer();
}

void Drawing::endFill()
{
    closeFill();
    fill_.reset();
    startLayer();
}

void Drawing::closeFill()
{
    if (fill_ && fillOpen_ && pen_ != fillStart_) lineTo(fillStart_);
    fillOpen_ = false;
}

void Drawing::moveTo(Point twips)
{
    // Moving inside a fill closes the contour drawn so far; the next one starts here.
    closeFill();
    pen_ = twips;
    fillStart_ = twips;
    StyleChange change;
    change.hasMove = true;
    change.moveTo = twips;
    shape_.records.emplace_back(change);
    ++revision_;
}

void Drawing::grow(Point p)
{
    if (!hasBounds_) {
        xMin_ = xMax_ = p.x;
        yMin_ = yMax_ = p.y;
        hasBounds_ = true;
        return;
    }
    xMin_ = std::min(xMin_, p.x);
    xMax_ = std::max(xMax_, p.x);
    yMin_ = std::min(yMin_, p.y);
    yMax_ = std::max(yMax_, p.y);
}

void Drawing::lineTo(Point twips)
{
    if (shape_.records.empty()) startLayer();
    grow(pen_);
    grow(twips);
    shape_.records.emplace_back(StraightEdge{twips});
    pen_ = twips;
    fillOpen_ = fill_.has_value();
    ++revision_;
}

void Drawing::curveTo(Point control, Point anchor)
{
    if (shape_.records.empty()) startLayer();
    grow(pen_);
    grow(control);
    grow(anchor);
    shape_.records.emplace_back(CurvedEdge{control, anchor});
    pen_ = anchor;
    fillOpen_ = fill_.has_value();
    ++revision_;
}

std::optional<Rect> Drawing::bounds() const
{
    if (!hasBounds_) return std::nullopt;
    const double half = maxLineWidth_ / 2;
    Rect r;
    // Scripts may draw at any coordinate: bounds past the integer range are clamped to it.
    r.xMin = avm1::toClampedInt(std::floor(xMin_ - half));
    r.yMin = avm1::toClampedInt(std::floor(yMin_ - half));
    r.xMax = avm1::toClampedInt(std::ceil(xMax_ + half));
    r.yMax = avm1::toClampedInt(std::ceil(yMax_ + half));
    return r;
}

}  // namespace swf::runtime
