#pragma once
// Decoded shapes: fill and line styles and the records of the edge model, as the shape tags,
// morph shapes and font glyphs store them. Decoders produce these; the renderer turns them into
// paths. Coordinates are in twips.

#include <cstdint>
#include <variant>
#include <vector>

#include "swf/format/geometry.h"

namespace swf {

struct GradientStop {
    std::uint8_t ratio = 0;  // 0..255 along the gradient
    Rgba color;
    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, LinearRgb = 1 };

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;  // sorted by ratio; may be empty in malformed files
    double focalPoint = 0;            // -1..1, focal radial gradients only
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

struct FillStyle {
    enum class Kind : std::uint8_t {
        Solid,
        LinearGradient,
        RadialGradient,
        FocalGradient,
        Bitmap,
    };
    Kind kind = Kind::Solid;
    Rgba color;              // Solid
    Matrix matrix;           // gradient square -> shape, or bitmap pixels -> shape
    Gradient gradient;       // gradient kinds
    std::uint16_t bitmapId = 0;
    bool bitmapRepeat = true;    // tiled (0x40/0x42) or clipped (0x41/0x43)
    bool bitmapSmoothed = true;  // 0x40/0x41; the movie's version decides whether it applies
    friend bool operator==(const FillStyle&, const FillStyle&) = default;
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    std::uint16_t width = 0;  // twips; 0 is a hairline
    Rgba color;
    // LINESTYLE2 (DefineShape4 and DefineMorphShape2); the defaults are LINESTYLE's behaviour.
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;    // factor of the width, miter joins only
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    bool hasFill = false;     // painted with `fill` instead of `color`
    FillStyle fill;
    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

// One record of the shape stream, with the pen arithmetic already applied: positions are
// absolute (twips from the shape origin), so consumers need not track the pen.
struct StyleChange {
    bool hasMove = false;
    Point moveTo;
    // Selections, present when the record sets them. Indices are 1-based into the style arrays
    // in force after this record; 0 means none.
    bool hasFill0 = false, hasFill1 = false, hasLine = false;
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;
    // New style arrays: they replace the current ones and start a new drawing layer.
    bool hasNewStyles = false;
    std::vector<FillStyle> newFills;
    std::vector<LineStyle> newLines;
};

struct StraightEdge {
    Point to;
};

struct CurvedEdge {
    Point control;
    Point to;
};

using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;

// A shape as stored: the initial style arrays and the record stream (without the end record).
struct ShapeData {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeRecord> records;
};

struct ShapeDefinition {
    std::uint16_t id = 0;
    int shapeVersion = 1;  // 1..4 for DefineShape..DefineShape4
    Rect bounds;           // with strokes
    Rect edgeBounds;       // without strokes (DefineShape4; else equals bounds)
    bool nonZeroWinding = false;  // DefineShape4 UsesFillWindingRule
    ShapeData shape;
};

// Morph shapes: the start and end shapes share their style-change records (only the start
// list has them); styles come in start/end pairs.
struct MorphFillStyle {
    FillStyle start, end;
};

struct MorphLineStyle {
    LineStyle start, end;  // flags and fill kind equal in both
};

struct MorphShapeDefinition {
    std::uint16_t id = 0;
    int morphVersion = 1;  // 1 or 2
    Rect startBounds, endBounds;
    Rect startEdgeBounds, endEdgeBounds;
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    std::vector<ShapeRecord> startRecords;  // style changes (selections only) and edges
    std::vector<ShapeRecord> endRecords;    // moves and edges only
};

}  // namespace swf
