#pragma once
// The edge model turned into drawable paths. A shape's records carry, per edge, the fill on
// each side (fill0 left, fill1 right) and the line that strokes it. Per drawing layer (a new
// pair of style arrays starts one) this builds one closed fill path per fill style and the
// stroke paths per line style. Built once per definition and reused for every draw.

#include <cstdint>
#include <span>
#include <vector>

#include <QPainterPath>
#include <QRectF>

#include "swf/format/shape.h"

namespace swf::render {

struct FillPath {
    std::uint32_t style = 0;  // 0-based index into the layer's fills
    QPainterPath path;        // twips, closed contours
};

struct StrokePath {
    std::uint32_t style = 0;  // 0-based index into the layer's lines
    QPainterPath path;        // twips; closed subpaths join at the seam, open ones get caps
    // The same subpaths one by one: stroking many small paths is far cheaper than stroking
    // their union, and for opaque strokes the picture is the same.
    std::vector<QPainterPath> parts;
};

// An edge as the rasterizer takes it: both its fills at once (0-based styles, -1 for none), so
// that one pass paints every fill of a layer.
struct FillEdge {
    Point from, control, to;
    bool curved = false;
    std::int32_t fill0 = -1, fill1 = -1;  // left and right of the edge, seen along it (y down)
};

struct ShapeLayer {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<FillPath> fillPaths;      // one per style; where styles overlap, later ones win
    std::vector<StrokePath> strokePaths;  // drawn over the fills, in this order
    QRectF fillBounds;                    // twips, all fill paths
    // Every edge that bounds a fill, and the straight segments that close chains which do not
    // close by themselves (malformed outlines), bounding the same regions as fillPaths.
    std::vector<FillEdge> fillEdges;
};

struct ShapeGeometry {
    std::vector<ShapeLayer> layers;
    QRectF edgeBounds;      // twips, the edges without stroke widths
    bool nonZero = false;   // fills use the non-zero winding rule (else even-odd)
    bool empty() const;
};

// Builds the layers from the initial style arrays and the record stream. Indices out of range
// select nothing. Edges may come in any order and direction: fill contours are chained head to
// tail at exactly equal positions; a chain that cannot close (an open outline) is closed with a
// straight segment from its end back to its start.
ShapeGeometry buildShapeGeometry(const ShapeData& shape, bool nonZeroWinding);

// Whether a point (shape twips) lies on the shape's filled area, or on one of its strokes when
// `includeStrokes` (strokes count at their width in twips, at least `minStrokeWidth`).
bool geometryContains(const ShapeGeometry& geometry, Point point, bool includeStrokes, double minStrokeWidth = 20);

// A font glyph (records that select fill 1, no styles of their own) as one filled outline.
QPainterPath buildGlyphPath(std::span<const ShapeRecord> records);

}  // namespace swf::render
