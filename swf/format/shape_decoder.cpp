#include "swf/format/shape_decoder.h"

#include <string>

#include "swf/format/limits.h"
#include "swf/format/records.h"

namespace swf {
namespace {

std::string hex(unsigned v)
{
    static const char digits[] = "0123456789abcdef";
    return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

// Style array counts: UI8, extended to UI16 by 0xFF where the tag allows it.
// Takes `n` from what the tag may still hold, or refuses the tag.
void spend(ByteReader& r, std::size_t* allowance, std::size_t n = 1)
{
    if (!allowance) return;
    if (n > *allowance)
        r.fail(FormatError::Kind::TooLarge, "more than " + std::to_string(limits::kMaxShapeRecords) +
                                                " shape records and styles in one tag");
    *allowance -= n;
}

std::size_t readStyleCount(ByteReader& r, bool extended)
{
    std::size_t count = r.u8();
    if (count == 0xff && extended) count = r.u16();
    return count;
}

Gradient readGradient(ByteReader& r, bool withAlpha, bool focal)
{
    Gradient g;
    std::uint8_t flags = r.u8();
    unsigned spread = flags >> 6;
    unsigned interpolation = (flags >> 4) & 3;
    g.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    g.interpolation = interpolation == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    unsigned count = flags & 15;
    g.stops.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = r.u8();
        stop.color = readColor(r, withAlpha);
        g.stops.push_back(stop);
    }
    if (focal) g.focalPoint = r.fixed8();
    return g;
}

void setBitmapKind(FillStyle& f, unsigned type)
{
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapRepeat = (type & 1) == 0;
    f.bitmapSmoothed = (type & 2) == 0;
}

struct StyleFlags {
    CapStyle startCap = CapStyle::Round, endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    bool hasFill = false, noHScale = false, noVScale = false, pixelHinting = false, noClose = false;
};

CapStyle capOf(unsigned v) { return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round; }
JoinStyle joinOf(unsigned v) { return v == 1 ? JoinStyle::Bevel : v == 2 ? JoinStyle::Miter : JoinStyle::Round; }

// The two flag bytes of LINESTYLE2 and MORPHLINESTYLE2.
StyleFlags readLineFlags(ByteReader& r)
{
    std::uint8_t b0 = r.u8();
    std::uint8_t b1 = r.u8();
    StyleFlags f;
    f.startCap = capOf(b0 >> 6);
    f.join = joinOf((b0 >> 4) & 3);
    f.hasFill = b0 & 0x08;
    f.noHScale = b0 & 0x04;
    f.noVScale = b0 & 0x02;
    f.pixelHinting = b0 & 0x01;
    f.noClose = b1 & 0x04;
    f.endCap = capOf(b1 & 3);
    return f;
}

void applyLineFlags(LineStyle& s, const StyleFlags& f)
{
    s.startCap = f.startCap;
    s.endCap = f.endCap;
    s.join = f.join;
    s.hasFill = f.hasFill;
    s.noHScale = f.noHScale;
    s.noVScale = f.noVScale;
    s.pixelHinting = f.pixelHinting;
    s.noClose = f.noClose;
}

std::vector<FillStyle> readFillStyles(ByteReader& r, int shapeVersion, std::size_t* allowance)
{
    std::size_t count = readStyleCount(r, shapeVersion >= 2);
    spend(r, allowance, count);
    std::vector<FillStyle> fills;
    fills.reserve(std::min(count, limits::kMaxReserve));
    for (std::size_t i = 0; i < count; ++i) fills.push_back(readFillStyle(r, shapeVersion));
    return fills;
}

std::vector<LineStyle> readLineStyles(ByteReader& r, int shapeVersion, std::size_t* allowance)
{
    std::size_t count = readStyleCount(r, shapeVersion >= 2);
    spend(r, allowance, count);
    std::vector<LineStyle> lines;
    lines.reserve(std::min(count, limits::kMaxReserve));
    for (std::size_t i = 0; i < count; ++i) lines.push_back(readLineStyle(r, shapeVersion));
    return lines;
}

// What the record reader needs to know about the shape it belongs to.
struct RecordContext {
    int shapeVersion = 1;
    bool hasStyleArrays = true;  // false for glyphs and morph end edges: indices kept as written
    std::size_t fillCount = 0, lineCount = 0;
    bool allowNewStyles = true;  // shape tags only
    // Records and styles the tag may still hold (limits::kMaxShapeRecords for the whole tag).
    std::size_t* allowance = nullptr;
};


// Reads SHAPERECORDs up to and including the end record. Pen positions become absolute.
// New style arrays (shape tags only) go into the StyleChange that carries them.
std::vector<ShapeRecord> readShapeRecords(ByteReader& r, RecordContext ctx, unsigned fillBits,
                                          unsigned lineBits)
{
    std::vector<ShapeRecord> records;
    BitReader bits(r);
    double penX = 0, penY = 0;
    while (true) {
        spend(r, ctx.allowance);
        if (bits.flag()) {
            bool straight = bits.flag();
            unsigned n = bits.ub(4) + 2;
            if (straight) {
                std::int32_t dx = 0, dy = 0;
                if (bits.flag()) {
                    dx = bits.sb(n);
                    dy = bits.sb(n);
                } else if (bits.flag()) {
                    dy = bits.sb(n);
                } else {
                    dx = bits.sb(n);
                }
                penX += dx;
                penY += dy;
                records.emplace_back(StraightEdge{{penX, penY}});
            } else {
                std::int32_t cx = bits.sb(n), cy = bits.sb(n);
                std::int32_t ax = bits.sb(n), ay = bits.sb(n);
                Point control{penX + cx, penY + cy};
                penX = control.x + ax;
                penY = control.y + ay;
                records.emplace_back(CurvedEdge{control, {penX, penY}});
            }
            continue;
        }
        unsigned flags = bits.ub(5);
        if (flags == 0) break;  // end record
        StyleChange sc;
        if (flags & 0x01) {
            unsigned n = bits.ub(5);
            std::int32_t x = bits.sb(n), y = bits.sb(n);
            sc.hasMove = true;
            sc.moveTo = {static_cast<double>(x), static_cast<double>(y)};
            penX = x;
            penY = y;
        }
        if (flags & 0x02) { sc.hasFill0 = true; sc.fill0 = bits.ub(fillBits); }
        if (flags & 0x04) { sc.hasFill1 = true; sc.fill1 = bits.ub(fillBits); }
        if (flags & 0x08) { sc.hasLine = true; sc.line = bits.ub(lineBits); }
        if (flags & 0x10) {
            if (!ctx.allowNewStyles)
                r.fail(FormatError::Kind::Corrupt, "new style arrays in a shape without styles");
            bits.align();
            sc.hasNewStyles = true;
            sc.newFills = readFillStyles(r, ctx.shapeVersion, ctx.allowance);
            sc.newLines = readLineStyles(r, ctx.shapeVersion, ctx.allowance);
            ctx.fillCount = sc.newFills.size();
            ctx.lineCount = sc.newLines.size();
            fillBits = bits.ub(4);
            lineBits = bits.ub(4);
        }
        if (ctx.hasStyleArrays) {
            // An index past the arrays in force selects nothing.
            if (sc.fill0 > ctx.fillCount) sc.fill0 = 0;
            if (sc.fill1 > ctx.fillCount) sc.fill1 = 0;
            if (sc.line > ctx.lineCount) sc.line = 0;
        }
        records.push_back(std::move(sc));
    }
    return records;
}

MorphFillStyle readMorphFillStyle(ByteReader& r)
{
    MorphFillStyle m;
    unsigned type = r.u8();
    switch (type) {
    case 0x00:
        m.start.kind = m.end.kind = FillStyle::Kind::Solid;
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
        break;
    case 0x10:
    case 0x12: {
        m.start.kind = m.end.kind = type == 0x10 ? FillStyle::Kind::LinearGradient
                                                 : FillStyle::Kind::RadialGradient;
        m.start.matrix = readMatrix(r);
        m.end.matrix = readMatrix(r);
        std::uint8_t flags = r.u8();
        Gradient g;
        unsigned spread = flags >> 6;
        g.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
        g.interpolation = ((flags >> 4) & 3) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
        m.start.gradient = g;
        m.end.gradient = g;
        unsigned count = flags & 15;
        for (unsigned i = 0; i < count; ++i) {
            GradientStop s, e;
            s.ratio = r.u8();
            s.color = readRgba(r);
            e.ratio = r.u8();
            e.color = readRgba(r);
            m.start.gradient.stops.push_back(s);
            m.end.gradient.stops.push_back(e);
        }
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        setBitmapKind(m.start, type);
        setBitmapKind(m.end, type);
        m.start.bitmapId = m.end.bitmapId = r.u16();
        m.start.matrix = readMatrix(r);
        m.end.matrix = readMatrix(r);
        break;
    default:
        // 0x13 included: no layout of a focal morph gradient is known.
        r.fail(FormatError::Kind::Corrupt, "unsupported morph fill style type " + hex(type));
    }
    return m;
}

MorphLineStyle readMorphLineStyle(ByteReader& r, int morphVersion)
{
    MorphLineStyle m;
    m.start.width = r.u16();
    m.end.width = r.u16();
    if (morphVersion == 1) {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
        return m;
    }
    StyleFlags f = readLineFlags(r);
    applyLineFlags(m.start, f);
    applyLineFlags(m.end, f);
    if (f.join == JoinStyle::Miter) m.start.miterLimit = m.end.miterLimit = r.fixed8();
    if (f.hasFill) {
        MorphFillStyle fill = readMorphFillStyle(r);
        m.start.fill = fill.start;
        m.end.fill = fill.end;
    } else {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
    }
    return m;
}

}  // namespace

FillStyle readFillStyle(ByteReader& r, int shapeVersion)
{
    FillStyle f;
    bool alpha = shapeVersion >= 3;
    unsigned type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillStyle::Kind::Solid;
        f.color = readColor(r, alpha);
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        f.kind = type == 0x10 ? FillStyle::Kind::LinearGradient
               : type == 0x12 ? FillStyle::Kind::RadialGradient
                              : FillStyle::Kind::FocalGradient;
        f.matrix = readMatrix(r);
        f.gradient = readGradient(r, alpha, type == 0x13);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        setBitmapKind(f, type);
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r);
        break;
    default:
        // Its size is unknown, so nothing after it can be read.
        r.fail(FormatError::Kind::Corrupt, "unknown fill style type " + hex(type));
    }
    return f;
}

LineStyle readLineStyle(ByteReader& r, int shapeVersion)
{
    LineStyle s;
    s.width = r.u16();
    if (shapeVersion < 4) {
        s.color = readColor(r, shapeVersion >= 3);
        return s;
    }
    StyleFlags f = readLineFlags(r);
    applyLineFlags(s, f);
    if (f.join == JoinStyle::Miter) s.miterLimit = r.fixed8();
    if (f.hasFill) s.fill = readFillStyle(r, 4);
    else s.color = readRgba(r);
    return s;
}

ShapeDefinition decodeDefineShape(ByteReader r, int shapeVersion)
{
    ShapeDefinition def;
    def.id = r.u16();
    def.shapeVersion = shapeVersion;
    def.bounds = readRect(r);
    def.edgeBounds = def.bounds;
    if (shapeVersion >= 4) {
        def.edgeBounds = readRect(r);
        std::uint8_t flags = r.u8();
        def.nonZeroWinding = flags & 0x04;
    }
    std::size_t allowance = limits::kMaxShapeRecords;
    def.shape.fills = readFillStyles(r, shapeVersion, &allowance);
    def.shape.lines = readLineStyles(r, shapeVersion, &allowance);
    std::uint8_t bitsByte = r.u8();
    RecordContext ctx{shapeVersion, true, def.shape.fills.size(), def.shape.lines.size(), true, &allowance};
    def.shape.records = readShapeRecords(r, ctx, bitsByte >> 4, bitsByte & 15);
    return def;
}

std::vector<ShapeRecord> readGlyphShape(ByteReader& r, std::size_t& recordsLeft)
{
    std::uint8_t bitsByte = r.u8();
    RecordContext ctx{1, false, 0, 0, false, &recordsLeft};
    return readShapeRecords(r, ctx, bitsByte >> 4, bitsByte & 15);
}

std::vector<ShapeRecord> readGlyphShape(ByteReader& r)
{
    std::size_t recordsLeft = limits::kMaxShapeRecords;
    return readGlyphShape(r, recordsLeft);
}

MorphShapeDefinition decodeDefineMorphShape(ByteReader r, int morphVersion)
{
    MorphShapeDefinition def;
    def.id = r.u16();
    def.morphVersion = morphVersion;
    def.startBounds = readRect(r);
    def.endBounds = readRect(r);
    def.startEdgeBounds = def.startBounds;
    def.endEdgeBounds = def.endBounds;
    if (morphVersion >= 2) {
        def.startEdgeBounds = readRect(r);
        def.endEdgeBounds = readRect(r);
        r.u8();  // stroke scaling hints
    }
    std::uint32_t offset = r.u32();
    std::size_t offsetBase = r.position();

    std::size_t allowance = limits::kMaxShapeRecords;
    std::size_t fillCount = readStyleCount(r, true);
    spend(r, &allowance, fillCount);
    def.fills.reserve(std::min(fillCount, limits::kMaxReserve));
    for (std::size_t i = 0; i < fillCount; ++i) def.fills.push_back(readMorphFillStyle(r));
    std::size_t lineCount = readStyleCount(r, true);
    spend(r, &allowance, lineCount);
    def.lines.reserve(std::min(lineCount, limits::kMaxReserve));
    for (std::size_t i = 0; i < lineCount; ++i) def.lines.push_back(readMorphLineStyle(r, morphVersion));

    std::uint8_t bitsByte = r.u8();
    // Morph style changes never carry new style arrays; one is damage.
    RecordContext startCtx{morphVersion >= 2 ? 4 : 3, true, def.fills.size(), def.lines.size(), false, &allowance};
    def.startRecords = readShapeRecords(r, startCtx, bitsByte >> 4, bitsByte & 15);

    // The end edges follow the start edges; the Offset field says the same unless the tag is
    // malformed, in which case the position it names is the second choice.
    const std::size_t allowanceForEnd = allowance;
    RecordContext endCtx{1, false, 0, 0, false, &allowance};
    std::size_t sequential = r.position();
    try {
        r.u8();  // NumFillBits/NumLineBits of the end shape: written as 0, read as 0
        def.endRecords = readShapeRecords(r, endCtx, 0, 0);
    } catch (const FormatError&) {
        std::size_t named = offsetBase + offset;
        if (named == sequential || named >= r.size()) throw;
        r.seek(named);
        r.u8();
        allowance = allowanceForEnd;
        def.endRecords = readShapeRecords(r, endCtx, 0, 0);
    }
    return def;
}

}  // namespace swf
