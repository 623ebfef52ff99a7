#include "swf/render/shape_geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <unordered_map>

#include <QPainterPathStroker>

namespace swf::render {

namespace {

struct DirectedEdge {
    Point from, control, to;
    bool curved = false;
};

// Positions are compared exactly: shapes store integer twips, and interpolated morph points
// shared by two edges are computed by the same arithmetic, so equal means bit-equal.
struct PointKey {
    std::uint64_t x, y;
    friend bool operator==(const PointKey&, const PointKey&) = default;
};

PointKey keyOf(Point p)
{
    // +0.0 folds -0.0 into 0.0 so that both spellings of zero meet.
    return {std::bit_cast<std::uint64_t>(p.x + 0.0), std::bit_cast<std::uint64_t>(p.y + 0.0)};
}

struct PointKeyHash {
    std::size_t operator()(const PointKey& k) const
    {
        return std::hash<std::uint64_t>()(k.x * 0x9E3779B97F4A7C15ull ^ (k.y + 0x632BE59BD9B4E019ull));
    }
};

void appendEdge(QPainterPath& path, const DirectedEdge& e)
{
    if (e.curved)
        path.quadTo(e.control.x, e.control.y, e.to.x, e.to.y);
    else
        path.lineTo(e.to.x, e.to.y);
}

using EdgeIndex = std::unordered_map<PointKey, std::vector<std::uint32_t>, PointKeyHash>;

// Takes the first unused edge listed at `p`, or -1.
std::int64_t takeAt(EdgeIndex& index, Point p, std::vector<bool>& used)
{
    auto it = index.find(keyOf(p));
    if (it == index.end()) return -1;
    auto& list = it->second;
    while (!list.empty()) {
        const std::uint32_t i = list.back();
        list.pop_back();
        if (!used[i]) {
            used[i] = true;
            return i;
        }
    }
    return -1;
}

// Chains one fill style's edges head to tail into contours. A chain that does not close is an
// open outline: it is first grown backwards from where the walk began (which may be its
// middle), then closed with a straight segment from its end back to its start, which goes to
// `closing` as a (from, to) pair.
QPainterPath chainContours(const std::vector<DirectedEdge>& edges, bool nonZero,
                           std::vector<std::pair<Point, Point>>& closing)
{
    QPainterPath path;
    path.setFillRule(nonZero ? Qt::WindingFill : Qt::OddEvenFill);
    EdgeIndex byStart, byEnd;
    byStart.reserve(edges.size());
    // Filled in reverse so that popping from the back takes edges in record order.
    for (std::size_t i = edges.size(); i-- > 0;) byStart[keyOf(edges[i].from)].push_back(std::uint32_t(i));
    std::vector<bool> used(edges.size(), false);
    std::vector<std::uint32_t> before, after;  // the chain: before reversed, then after

    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) continue;
        used[first] = true;
        before.clear();
        after.assign(1, std::uint32_t(first));
        Point start = edges[first].from;
        Point end = edges[first].to;
        // Every step marks one edge used, so each walk ends after at most edges.size() steps.
        bool closed = keyOf(end) == keyOf(start);
        while (!closed) {
            const std::int64_t next = takeAt(byStart, end, used);
            if (next < 0) break;
            after.push_back(std::uint32_t(next));
            end = edges[std::size_t(next)].to;
            closed = keyOf(end) == keyOf(start);
        }
        if (!closed) {
            if (byEnd.empty())
                for (std::size_t i = edges.size(); i-- > 0;) byEnd[keyOf(edges[i].to)].push_back(std::uint32_t(i));
            while (!closed) {
                const std::int64_t previous = takeAt(byEnd, start, used);
                if (previous < 0) break;
                before.push_back(std::uint32_t(previous));
                start = edges[std::size_t(previous)].from;
                closed = keyOf(end) == keyOf(start);
            }
            if (!closed) closing.emplace_back(end, start);
        }
        path.moveTo(start.x, start.y);
        for (auto it = before.rbegin(); it != before.rend(); ++it) appendEdge(path, edges[*it]);
        for (std::uint32_t i : after) appendEdge(path, edges[i]);
        path.closeSubpath();
    }
    return path;
}

class GeometryBuilder {
public:
    GeometryBuilder(const ShapeData& shape, bool nonZero) : nonZero_(nonZero)
    {
        startLayer(shape.fills, shape.lines);
    }

    void run(std::span<const ShapeRecord> records)
    {
        for (const ShapeRecord& record : records) {
            if (const auto* change = std::get_if<StyleChange>(&record)) {
                styleChange(*change);
            } else if (const auto* straight = std::get_if<StraightEdge>(&record)) {
                edge({pen_, pen_, straight->to, false});
            } else if (const auto* curved = std::get_if<CurvedEdge>(&record)) {
                edge({pen_, curved->control, curved->to, true});
            }
        }
        finishLayer();
    }

    ShapeGeometry take()
    {
        if (hasBounds_) geometry_.edgeBounds = QRectF(QPointF(minX_, minY_), QPointF(maxX_, maxY_));
        return std::move(geometry_);
    }

private:
    void startLayer(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines)
    {
        layer_ = ShapeLayer{};
        layer_.fills = fills;
        layer_.lines = lines;
        fillEdges_.assign(fills.size(), {});
        fillOrder_.clear();
        strokeSlot_.assign(lines.size(), -1);
    }

    void finishLayer()
    {
        endStroke();
        std::vector<std::pair<Point, Point>> closing;
        for (std::uint32_t style : fillOrder_) {
            closing.clear();
            QPainterPath path = chainContours(fillEdges_[style], nonZero_, closing);
            if (path.isEmpty()) continue;
            layer_.fillBounds = layer_.fillBounds.united(path.controlPointRect());
            layer_.fillPaths.push_back({style, std::move(path)});
            for (const auto& [from, to] : closing)
                layer_.fillEdges.push_back({from, from, to, false, -1, std::int32_t(style)});
        }
        if (!layer_.fillPaths.empty() || !layer_.strokePaths.empty()) geometry_.layers.push_back(std::move(layer_));
        layer_ = ShapeLayer{};
    }

    void styleChange(const StyleChange& c)
    {
        if (c.hasMove) {
            endStroke();
            pen_ = c.moveTo;
        }
        if (c.hasNewStyles) {
            finishLayer();
            startLayer(c.newFills, c.newLines);
        }
        if (c.hasFill0) fill0_ = c.fill0;
        if (c.hasFill1) fill1_ = c.fill1;
        if (c.hasLine && c.line != line_) {
            endStroke();
            line_ = c.line;
        }
    }

    bool validFill(std::uint32_t i) const { return i >= 1 && i <= layer_.fills.size(); }
    bool validLine(std::uint32_t i) const { return i >= 1 && i <= layer_.lines.size(); }

    void addFillEdge(std::uint32_t style, const DirectedEdge& e)
    {
        auto& list = fillEdges_[style];
        if (list.empty()) fillOrder_.push_back(style);
        list.push_back(e);
    }

    void edge(const DirectedEdge& e)
    {
        pen_ = e.to;
        extendBounds(e.from);
        extendBounds(e.to);
        if (e.curved) extendBounds(e.control);
        const bool degenerate = keyOf(e.from) == keyOf(e.to) && (!e.curved || keyOf(e.control) == keyOf(e.to));
        if (!degenerate) {
            // An edge with the same fill on both sides bounds nothing.
            const std::int32_t left = validFill(fill0_) ? std::int32_t(fill0_ - 1) : -1;
            const std::int32_t right = validFill(fill1_) ? std::int32_t(fill1_ - 1) : -1;
            if (left != right) {
                if (right >= 0) addFillEdge(std::uint32_t(right), e);
                if (left >= 0) addFillEdge(std::uint32_t(left), {e.to, e.control, e.from, e.curved});
                layer_.fillEdges.push_back({e.from, e.control, e.to, e.curved, left, right});
            }
        }
        if (!validLine(line_)) {
            endStroke();
            return;
        }
        if (!strokeOpen_) {
            stroke_ = QPainterPath();
            stroke_.moveTo(e.from.x, e.from.y);
            strokeStart_ = e.from;
            strokeOpen_ = true;
        }
        appendEdge(stroke_, e);
        strokeEnd_ = e.to;
    }

    void endStroke()
    {
        if (!strokeOpen_) return;
        strokeOpen_ = false;
        const std::uint32_t style = line_ - 1;
        if (!validLine(line_)) return;
        if (keyOf(strokeStart_) == keyOf(strokeEnd_)) {
            if (!layer_.lines[style].noClose) {
                stroke_.closeSubpath();
            } else {
                // The stroker joins any subpath whose ends meet; moving the end by a thousandth
                // of a twip keeps the two caps that NoClose asks for.
                const int last = stroke_.elementCount() - 1;
                stroke_.setElementPositionAt(last, strokeEnd_.x + 1e-3, strokeEnd_.y);
            }
        }
        int& slot = strokeSlot_[style];
        if (slot < 0) {
            slot = int(layer_.strokePaths.size());
            layer_.strokePaths.push_back({style, QPainterPath(), {}});
            layer_.strokePaths.back().path.setFillRule(Qt::WindingFill);
        }
        StrokePath& target = layer_.strokePaths[std::size_t(slot)];
        target.path.addPath(stroke_);
        target.parts.push_back(stroke_);
    }

    void extendBounds(Point p)
    {
        if (!hasBounds_) {
            minX_ = maxX_ = p.x;
            minY_ = maxY_ = p.y;
            hasBounds_ = true;
            return;
        }
        minX_ = std::min(minX_, p.x), maxX_ = std::max(maxX_, p.x);
        minY_ = std::min(minY_, p.y), maxY_ = std::max(maxY_, p.y);
    }

    bool nonZero_;
    ShapeGeometry geometry_;
    ShapeLayer layer_;
    std::vector<std::vector<DirectedEdge>> fillEdges_;
    std::vector<std::uint32_t> fillOrder_;
    std::vector<int> strokeSlot_;
    std::uint32_t fill0_ = 0, fill1_ = 0, line_ = 0;
    Point pen_;
    QPainterPath stroke_;
    bool strokeOpen_ = false;
    Point strokeStart_, strokeEnd_;
    bool hasBounds_ = false;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

}  // namespace

bool ShapeGeometry::empty() const { return layers.empty(); }

ShapeGeometry buildShapeGeometry(const ShapeData& shape, bool nonZeroWinding)
{
    GeometryBuilder builder(shape, nonZeroWinding);
    builder.run(shape.records);
    ShapeGeometry geometry = builder.take();
    geometry.nonZero = nonZeroWinding;
    return geometry;
}

bool geometryContains(const ShapeGeometry& geometry, Point point, bool includeStrokes, double minStrokeWidth)
{
    const QPointF p(point.x, point.y);
    if (!includeStrokes && !geometry.edgeBounds.contains(p)) return false;
    for (const ShapeLayer& layer : geometry.layers) {
        for (const FillPath& fill : layer.fillPaths)
            if (fill.path.contains(p)) return true;
        if (!includeStrokes) continue;
        for (const StrokePath& stroke : layer.strokePaths) {
            QPainterPathStroker stroker;
            stroker.setWidth(std::max<double>(layer.lines[stroke.style].width, minStrokeWidth));
            stroker.setCapStyle(Qt::RoundCap);
            stroker.setJoinStyle(Qt::RoundJoin);
            for (const QPainterPath& part : stroke.parts)
                if (part.controlPointRect().adjusted(-stroker.width(), -stroker.width(), stroker.width(), stroker.width()).contains(p) &&
                    stroker.createStroke(part).contains(p))
                    return true;
        }
    }
    return false;
}

QPainterPath buildGlyphPath(std::span<const ShapeRecord> records)
{
    ShapeData glyph;
    glyph.fills.resize(1);
    GeometryBuilder builder(glyph, false);
    builder.run(records);
    const ShapeGeometry geometry = builder.take();
    QPainterPath outline;
    outline.setFillRule(Qt::OddEvenFill);
    for (const ShapeLayer& layer : geometry.layers)
        for (const FillPath& fill : layer.fillPaths) outline.addPath(fill.path);
    return outline;
}

}  // namespace swf::render
