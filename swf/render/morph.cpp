#include "swf/render/morph.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Point lerp(Point a, Point b, double t) { return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)}; }

std::uint8_t lerp8(std::uint8_t a, std::uint8_t b, double t)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(lerp(a, b, t)), 0L, 255L));
}

Rgba lerp(Rgba a, Rgba b, double t)
{
    return {lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)};
}

// The positions of one record list: moves and edges in order, style changes skipped.
struct PathStep {
    enum class Kind { Move, Straight, Curve } kind;
    Point control, to;
};

std::vector<PathStep> stepsOf(const std::vector<ShapeRecord>& records)
{
    std::vector<PathStep> steps;
    steps.reserve(records.size());
    for (const ShapeRecord& r : records) {
        if (const auto* c = std::get_if<StyleChange>(&r)) {
            if (c->hasMove) steps.push_back({PathStep::Kind::Move, {}, c->moveTo});
        } else if (const auto* s = std::get_if<StraightEdge>(&r)) {
            steps.push_back({PathStep::Kind::Straight, {}, s->to});
        } else if (const auto* q = std::get_if<CurvedEdge>(&r)) {
            steps.push_back({PathStep::Kind::Curve, q->control, q->to});
        }
    }
    return steps;
}

}  // namespace

double morphFraction(std::uint16_t ratio) { return ratio / 65535.0; }

Matrix interpolateMatrix(const Matrix& s, const Matrix& e, double t)
{
    return {lerp(s.a, e.a, t), lerp(s.b, e.b, t), lerp(s.c, e.c, t),
            lerp(s.d, e.d, t), lerp(s.tx, e.tx, t), lerp(s.ty, e.ty, t)};
}

Rect interpolateRect(const Rect& s, const Rect& e, double t)
{
    auto li = [t](std::int32_t a, std::int32_t b) { return std::int32_t(std::lround(lerp(a, b, t))); };
    return {li(s.xMin, e.xMin), li(s.xMax, e.xMax), li(s.yMin, e.yMin), li(s.yMax, e.yMax)};
}

FillStyle interpolateFill(const FillStyle& s, const FillStyle& e, double t)
{
    FillStyle out = s;
    out.color = lerp(s.color, e.color, t);
    out.matrix = interpolateMatrix(s.matrix, e.matrix, t);
    const std::size_t n = std::min(s.gradient.stops.size(), e.gradient.stops.size());
    out.gradient.stops.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.gradient.stops[i].ratio = lerp8(s.gradient.stops[i].ratio, e.gradient.stops[i].ratio, t);
        out.gradient.stops[i].color = lerp(s.gradient.stops[i].color, e.gradient.stops[i].color, t);
    }
    out.gradient.focalPoint = lerp(s.gradient.focalPoint, e.gradient.focalPoint, t);
    return out;
}

LineStyle interpolateLine(const LineStyle& s, const LineStyle& e, double t)
{
    LineStyle out = s;
    out.width = static_cast<std::uint16_t>(std::clamp(std::lround(lerp(s.width, e.width, t)), 0L, 65535L));
    out.color = lerp(s.color, e.color, t);
    if (s.hasFill) out.fill = interpolateFill(s.fill, e.fill, t);
    return out;
}

ShapeData interpolateMorph(const MorphShapeDefinition& morph, double t)
{
    ShapeData shape;
    shape.fills.reserve(morph.fills.size());
    for (const MorphFillStyle& f : morph.fills) shape.fills.push_back(interpolateFill(f.start, f.end, t));
    shape.lines.reserve(morph.lines.size());
    for (const MorphLineStyle& l : morph.lines) shape.lines.push_back(interpolateLine(l.start, l.end, t));

    const std::vector<PathStep> endSteps = stepsOf(morph.endRecords);
    std::size_t endIndex = 0;
    Point startPen, endPen;
    shape.records.reserve(morph.startRecords.size());
    for (const ShapeRecord& r : morph.startRecords) {
        const PathStep* other = endIndex < endSteps.size() ? &endSteps[endIndex] : nullptr;
        if (const auto* c = std::get_if<StyleChange>(&r)) {
            StyleChange change = *c;
            change.hasNewStyles = false;  // morphs have one style table
            if (c->hasMove) {
                Point endTo = c->moveTo;
                // The end list pairs move for move; if its next step is an edge it had no move
                // here, and the start position stands in.
                if (other && other->kind == PathStep::Kind::Move) {
                    endTo = other->to;
                    ++endIndex;
                }
                startPen = c->moveTo;
                endPen = endTo;
                change.moveTo = lerp(startPen, endPen, t);
            }
            shape.records.emplace_back(std::move(change));
            continue;
        }
        // Skip any move in the end list that the start list does not have.
        while (other && other->kind == PathStep::Kind::Move) {
            endPen = other->to;
            other = ++endIndex < endSteps.size() ? &endSteps[endIndex] : nullptr;
        }
        Point sControl, sTo;
        bool sCurved = false;
        if (const auto* s = std::get_if<StraightEdge>(&r)) {
            sTo = s->to;
            sControl = lerp(startPen, sTo, 0.5);
        } else {
            const auto& q = std::get<CurvedEdge>(r);
            sTo = q.to;
            sControl = q.control;
            sCurved = true;
        }
        Point eControl = sControl, eTo = sTo;
        bool eCurved = sCurved;
        if (other) {
            eTo = other->to;
            eCurved = other->kind == PathStep::Kind::Curve;
            eControl = eCurved ? other->control : lerp(endPen, eTo, 0.5);
            ++endIndex;
        }
        const Point to = lerp(sTo, eTo, t);
        if (!sCurved && !eCurved)
            shape.records.emplace_back(StraightEdge{to});
        else
            shape.records.emplace_back(CurvedEdge{lerp(sControl, eControl, t), to});
        startPen = sTo;
        endPen = eTo;
    }
    return shape;
}

}  // namespace swf::render
