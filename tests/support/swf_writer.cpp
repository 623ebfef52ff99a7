#include "support/swf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <lzma.h>
#include <zlib.h>

namespace swf::writer {

void ByteWriter::f32(float v)
{
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
}

void ByteWriter::string(std::string_view s)
{
    data_.insert(data_.end(), s.begin(), s.end());
    u8(0);
}

unsigned signedBits(std::int64_t v)
{
    if (v == 0) return 0;
    std::uint64_t m = v < 0 ? ~static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    unsigned n = 1;
    while (m) { ++n; m >>= 1; }
    return n;
}

unsigned unsignedBits(std::uint64_t v)
{
    unsigned n = 0;
    while (v) { ++n; v >>= 1; }
    return n;
}

void BitWriter::ub(unsigned n, std::uint32_t v)
{
    for (unsigned i = n; i-- > 0;) {
        current_ = (current_ << 1) | ((v >> i) & 1u);
        if (++used_ == 8) {
            out_.u8(current_);
            current_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::flush()
{
    if (used_ == 0) return;
    out_.u8(current_ << (8 - used_));
    current_ = 0;
    used_ = 0;
}

void ByteWriter::rect(const Rect& r)
{
    unsigned n = std::max({signedBits(r.xMin), signedBits(r.xMax), signedBits(r.yMin), signedBits(r.yMax)});
    BitWriter b(*this);
    b.ub(5, n);
    b.sb(n, r.xMin);
    b.sb(n, r.xMax);
    b.sb(n, r.yMin);
    b.sb(n, r.yMax);
}

namespace {
std::int32_t toFixed(double v) { return static_cast<std::int32_t>(std::lround(v * 65536)); }
}

void ByteWriter::matrix(const Matrix& m)
{
    BitWriter b(*this);
    bool scale = m.a != 1 || m.d != 1;
    b.flag(scale);
    if (scale) {
        unsigned n = std::max(signedBits(toFixed(m.a)), signedBits(toFixed(m.d)));
        b.ub(5, n);
        b.sb(n, toFixed(m.a));
        b.sb(n, toFixed(m.d));
    }
    bool rotate = m.b != 0 || m.c != 0;
    b.flag(rotate);
    if (rotate) {
        unsigned n = std::max(signedBits(toFixed(m.b)), signedBits(toFixed(m.c)));
        b.ub(5, n);
        b.sb(n, toFixed(m.b));
        b.sb(n, toFixed(m.c));
    }
    auto tx = static_cast<std::int32_t>(m.tx), ty = static_cast<std::int32_t>(m.ty);
    unsigned n = std::max(signedBits(tx), signedBits(ty));
    b.ub(5, n);
    b.sb(n, tx);
    b.sb(n, ty);
}

void ByteWriter::colorTransform(const ColorTransform& c, bool withAlpha)
{
    auto m = [](double v) { return static_cast<std::int32_t>(std::lround(v * 256)); };
    auto a = [](double v) { return static_cast<std::int32_t>(std::lround(v)); };
    std::int32_t mult[4] = {m(c.rMult), m(c.gMult), m(c.bMult), m(c.aMult)};
    std::int32_t add[4] = {a(c.rAdd), a(c.gAdd), a(c.bAdd), a(c.aAdd)};
    int channels = withAlpha ? 4 : 3;
    bool hasMult = false, hasAdd = false;
    unsigned n = 0;
    for (int i = 0; i < channels; ++i) {
        if (mult[i] != 256) hasMult = true;
        if (add[i] != 0) hasAdd = true;
    }
    for (int i = 0; i < channels; ++i) {
        if (hasMult) n = std::max(n, signedBits(mult[i]));
        if (hasAdd) n = std::max(n, signedBits(add[i]));
    }
    if (n > 15) throw std::invalid_argument("colour transform value too large for CXFORM");
    BitWriter b(*this);
    b.flag(hasAdd);
    b.flag(hasMult);
    b.ub(4, n);
    if (hasMult)
        for (int i = 0; i < channels; ++i) b.sb(n, mult[i]);
    if (hasAdd)
        for (int i = 0; i < channels; ++i) b.sb(n, add[i]);
}

Bytes encodeTag(std::uint16_t code, std::span<const std::uint8_t> body, bool forceLong)
{
    ByteWriter w;
    if (body.size() >= 0x3f || forceLong) {
        w.u16((code << 6) | 0x3f);
        w.u32(static_cast<std::uint32_t>(body.size()));
    } else {
        w.u16((code << 6) | static_cast<std::uint32_t>(body.size()));
    }
    w.bytes(body);
    return std::move(w.data());
}

// ---- Shapes ----

namespace {

void writeColor(ByteWriter& w, const Rgba& c, bool alpha)
{
    if (alpha) w.rgba(c);
    else w.rgb(c);
}

void writeGradient(ByteWriter& w, const Gradient& g, bool alpha, bool focal)
{
    w.u8((static_cast<unsigned>(g.spread) << 6) | (static_cast<unsigned>(g.interpolation) << 4) |
         static_cast<unsigned>(g.stops.size()));
    for (const auto& s : g.stops) {
        w.u8(s.ratio);
        writeColor(w, s.color, alpha);
    }
    if (focal) w.fixed8(g.focalPoint);
}

unsigned bitmapType(const FillStyle& f) { return 0x40 | (f.bitmapRepeat ? 0 : 1) | (f.bitmapSmoothed ? 0 : 2); }

void writeFillStyle(ByteWriter& w, const FillStyle& f, int version)
{
    bool alpha = version >= 3;
    switch (f.kind) {
    case FillStyle::Kind::Solid:
        w.u8(0);
        writeColor(w, f.color, alpha);
        break;
    case FillStyle::Kind::LinearGradient:
    case FillStyle::Kind::RadialGradient:
    case FillStyle::Kind::FocalGradient:
        w.u8(f.kind == FillStyle::Kind::LinearGradient ? 0x10 : f.kind == FillStyle::Kind::RadialGradient ? 0x12 : 0x13);
        w.matrix(f.matrix);
        writeGradient(w, f.gradient, alpha, f.kind == FillStyle::Kind::FocalGradient);
        break;
    case FillStyle::Kind::Bitmap:
        w.u8(bitmapType(f));
        w.u16(f.bitmapId);
        w.matrix(f.matrix);
        break;
    }
}

unsigned capBits(CapStyle c) { return static_cast<unsigned>(c); }

void writeLineFlags(ByteWriter& w, const LineStyle& s)
{
    w.u8((capBits(s.startCap) << 6) | (static_cast<unsigned>(s.join) << 4) | (s.hasFill ? 8 : 0) |
         (s.noHScale ? 4 : 0) | (s.noVScale ? 2 : 0) | (s.pixelHinting ? 1 : 0));
    w.u8((s.noClose ? 4 : 0) | capBits(s.endCap));
}

void writeLineStyle(ByteWriter& w, const LineStyle& s, int version)
{
    w.u16(s.width);
    if (version < 4) {
        writeColor(w, s.color, version >= 3);
        return;
    }
    writeLineFlags(w, s);
    if (s.join == JoinStyle::Miter) w.fixed8(s.miterLimit);
    if (s.hasFill) writeFillStyle(w, s.fill, 4);
    else w.rgba(s.color);
}

void writeCount(ByteWriter& w, std::size_t n, bool extended)
{
    if (extended && n >= 0xff) {
        w.u8(0xff);
        w.u16(static_cast<std::uint32_t>(n));
    } else {
        w.u8(static_cast<std::uint32_t>(n));
    }
}

void writeStyleArrays(ByteWriter& w, const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines, int version)
{
    writeCount(w, fills.size(), version >= 2);
    for (const auto& f : fills) writeFillStyle(w, f, version);
    writeCount(w, lines.size(), version >= 2);
    for (const auto& l : lines) writeLineStyle(w, l, version);
}

struct Widths {
    unsigned fill = 0, line = 0;
};

// The index widths of each run of records between new style arrays. A record carrying new
// arrays writes its own selections with the widths of the run it ends.
std::vector<Widths> runWidths(const std::vector<ShapeRecord>& records, std::size_t fills, std::size_t lines)
{
    std::vector<Widths> runs;
    std::uint32_t maxFill = static_cast<std::uint32_t>(fills), maxLine = static_cast<std::uint32_t>(lines);
    for (const auto& r : records) {
        const auto* sc = std::get_if<StyleChange>(&r);
        if (!sc) continue;
        if (sc->hasFill0) maxFill = std::max(maxFill, sc->fill0);
        if (sc->hasFill1) maxFill = std::max(maxFill, sc->fill1);
        if (sc->hasLine) maxLine = std::max(maxLine, sc->line);
        if (sc->hasNewStyles) {
            runs.push_back({unsignedBits(maxFill), unsignedBits(maxLine)});
            maxFill = static_cast<std::uint32_t>(sc->newFills.size());
            maxLine = static_cast<std::uint32_t>(sc->newLines.size());
        }
    }
    runs.push_back({unsignedBits(maxFill), unsignedBits(maxLine)});
    return runs;
}

// The pen in whole twips, as a reader of the records tracks it. Every point is rounded once and
// each record stores the step between rounded points, so fractional positions never drift and
// outlines that close in the records close in the file too.
struct Pen {
    std::int32_t x = 0, y = 0;
};

std::int32_t twips(double v) { return static_cast<std::int32_t>(std::lround(v)); }

void writeEdge(BitWriter& b, Pen& pen, const ShapeRecord& r)
{
    if (const auto* e = std::get_if<StraightEdge>(&r)) {
        const Pen to{twips(e->to.x), twips(e->to.y)};
        const std::int32_t dx = to.x - pen.x, dy = to.y - pen.y;
        pen = to;
        unsigned n = std::max({2u, signedBits(dx), signedBits(dy)});
        b.ub(1, 1);
        b.ub(1, 1);
        b.ub(4, n - 2);
        if (dx != 0 && dy != 0) {
            b.ub(1, 1);
            b.sb(n, dx);
            b.sb(n, dy);
        } else {
            b.ub(1, 0);
            b.ub(1, dx == 0 ? 1 : 0);
            b.sb(n, dx == 0 ? dy : dx);
        }
        return;
    }
    const auto& c = std::get<CurvedEdge>(r);
    const Pen control{twips(c.control.x), twips(c.control.y)}, to{twips(c.to.x), twips(c.to.y)};
    const std::int32_t cx = control.x - pen.x, cy = control.y - pen.y;
    const std::int32_t ax = to.x - control.x, ay = to.y - control.y;
    pen = to;
    unsigned n = std::max({2u, signedBits(cx), signedBits(cy), signedBits(ax), signedBits(ay)});
    b.ub(1, 1);
    b.ub(1, 0);
    b.ub(4, n - 2);
    b.sb(n, cx);
    b.sb(n, cy);
    b.sb(n, ax);
    b.sb(n, ay);
}

// The NumFillBits/NumLineBits byte, then the records and the end record.
void writeRecords(ByteWriter& w, const std::vector<ShapeRecord>& records, std::vector<Widths> runs, int version,
                  bool forceZeroWidths = false)
{
    if (forceZeroWidths) runs.assign(runs.size(), Widths{});
    std::size_t run = 0;
    w.u8((runs[0].fill << 4) | runs[0].line);
    BitWriter b(w);
    Pen pen;
    for (const auto& r : records) {
        const auto* sc = std::get_if<StyleChange>(&r);
        if (!sc) {
            writeEdge(b, pen, r);
            continue;
        }
        b.ub(1, 0);
        b.flag(sc->hasNewStyles);
        b.flag(sc->hasLine);
        b.flag(sc->hasFill1);
        b.flag(sc->hasFill0);
        b.flag(sc->hasMove);
        if (sc->hasMove) {
            pen = {twips(sc->moveTo.x), twips(sc->moveTo.y)};
            unsigned n = std::max(signedBits(pen.x), signedBits(pen.y));
            b.ub(5, n);
            b.sb(n, pen.x);
            b.sb(n, pen.y);
        }
        if (sc->hasFill0) b.ub(runs[run].fill, sc->fill0);
        if (sc->hasFill1) b.ub(runs[run].fill, sc->fill1);
        if (sc->hasLine) b.ub(runs[run].line, sc->line);
        if (sc->hasNewStyles) {
            b.flush();
            writeStyleArrays(w, sc->newFills, sc->newLines, version);
            ++run;
            b.ub(4, runs[run].fill);
            b.ub(4, runs[run].line);
        }
    }
    b.ub(6, 0);  // end record
    b.flush();
}

}  // namespace

Bytes shapeBody(const ShapeDefinition& def)
{
    ByteWriter w;
    w.u16(def.id);
    w.rect(def.bounds);
    if (def.shapeVersion >= 4) {
        w.rect(def.edgeBounds);
        w.u8(def.nonZeroWinding ? 0x04 : 0);
    }
    writeStyleArrays(w, def.shape.fills, def.shape.lines, def.shapeVersion);
    writeRecords(w, def.shape.records, runWidths(def.shape.records, def.shape.fills.size(), def.shape.lines.size()),
                 def.shapeVersion);
    return std::move(w.data());
}

namespace {

void writeMorphFill(ByteWriter& w, const MorphFillStyle& m)
{
    const FillStyle& s = m.start;
    const FillStyle& e = m.end;
    switch (s.kind) {
    case FillStyle::Kind::Solid:
        w.u8(0);
        w.rgba(s.color);
        w.rgba(e.color);
        break;
    case FillStyle::Kind::LinearGradient:
    case FillStyle::Kind::RadialGradient:
        w.u8(s.kind == FillStyle::Kind::LinearGradient ? 0x10 : 0x12);
        w.matrix(s.matrix);
        w.matrix(e.matrix);
        w.u8((static_cast<unsigned>(s.gradient.spread) << 6) | (static_cast<unsigned>(s.gradient.interpolation) << 4) |
             static_cast<unsigned>(s.gradient.stops.size()));
        for (std::size_t i = 0; i < s.gradient.stops.size(); ++i) {
            w.u8(s.gradient.stops[i].ratio);
            w.rgba(s.gradient.stops[i].color);
            w.u8(e.gradient.stops[i].ratio);
            w.rgba(e.gradient.stops[i].color);
        }
        break;
    case FillStyle::Kind::Bitmap:
        w.u8(bitmapType(s));
        w.u16(s.bitmapId);
        w.matrix(s.matrix);
        w.matrix(e.matrix);
        break;
    case FillStyle::Kind::FocalGradient:
        throw std::invalid_argument("morph shapes have no focal gradients");
    }
}

}  // namespace

Bytes morphShapeBody(const MorphShapeDefinition& def)
{
    ByteWriter w;
    w.u16(def.id);
    w.rect(def.startBounds);
    w.rect(def.endBounds);
    if (def.morphVersion >= 2) {
        w.rect(def.startEdgeBounds);
        w.rect(def.endEdgeBounds);
        w.u8(0);
    }
    ByteWriter rest;
    writeCount(rest, def.fills.size(), true);
    for (const auto& f : def.fills) writeMorphFill(rest, f);
    writeCount(rest, def.lines.size(), true);
    for (const auto& l : def.lines) {
        rest.u16(l.start.width);
        rest.u16(l.end.width);
        if (def.morphVersion == 1) {
            rest.rgba(l.start.color);
            rest.rgba(l.end.color);
            continue;
        }
        writeLineFlags(rest, l.start);
        if (l.start.join == JoinStyle::Miter) rest.fixed8(l.start.miterLimit);
        if (l.start.hasFill) {
            writeMorphFill(rest, {l.start.fill, l.end.fill});
        } else {
            rest.rgba(l.start.color);
            rest.rgba(l.end.color);
        }
    }
    writeRecords(rest, def.startRecords, runWidths(def.startRecords, def.fills.size(), def.lines.size()), 3);
    w.u32(static_cast<std::uint32_t>(rest.size()));
    w.bytes(rest.data());
    writeRecords(w, def.endRecords, {Widths{}}, 3, true);
    return std::move(w.data());
}

// ---- Display list ----

namespace {

void writeFilters(ByteWriter& w, const std::vector<Filter>& filters)
{
    w.u8(static_cast<std::uint32_t>(filters.size()));
    for (const Filter& f : filters) {
        if (const auto* blur = std::get_if<BlurFilter>(&f)) {
            w.u8(1);
            w.fixed16(blur->blurX);
            w.fixed16(blur->blurY);
            w.u8(static_cast<std::uint32_t>(blur->passes) << 3);
        } else if (const auto* glow = std::get_if<GlowFilter>(&f)) {
            w.u8(2);
            w.rgba(glow->color);
            w.fixed16(glow->blurX);
            w.fixed16(glow->blurY);
            w.fixed8(glow->strength);
            w.u8((glow->inner ? 0x80 : 0) | (glow->knockout ? 0x40 : 0) | (glow->compositeSource ? 0x20 : 0) |
                 (glow->passes & 0x1f));
        } else if (const auto* cm = std::get_if<ColorMatrixFilter>(&f)) {
            w.u8(6);
            for (float v : cm->matrix) w.f32(v);
        } else {
            throw std::invalid_argument("the writer has no encoder for this filter");
        }
    }
}

}  // namespace

Bytes placeObjectBody(const PlaceObject& p, int swfVersion)
{
    ByteWriter w;
    if (p.placeVersion == 1) {
        w.u16(p.characterId.value_or(0));
        w.u16(p.depth);
        w.matrix(p.matrix.value_or(Matrix{}));
        if (p.colorTransform) w.colorTransform(*p.colorTransform, false);
        return std::move(w.data());
    }
    std::uint32_t flags = (p.hasClipActions ? 0x80 : 0) | (p.clipDepth ? 0x40 : 0) | (p.name ? 0x20 : 0) |
                          (p.ratio ? 0x10 : 0) | (p.colorTransform ? 0x08 : 0) | (p.matrix ? 0x04 : 0) |
                          (p.characterId ? 0x02 : 0) | (p.move ? 0x01 : 0);
    if (p.placeVersion >= 3) {
        flags |= (p.filters ? 0x100 : 0) | (p.blendMode ? 0x200 : 0) | (p.cacheAsBitmap ? 0x400 : 0) |
                 (p.className ? 0x800 : 0) | (p.visible ? 0x2000 : 0) | (p.backgroundColor ? 0x4000 : 0);
        w.u16(flags);
    } else {
        w.u8(flags);
    }
    w.u16(p.depth);
    if (p.placeVersion >= 3 && p.className) w.string(*p.className);
    if (p.characterId) w.u16(*p.characterId);
    if (p.matrix) w.matrix(*p.matrix);
    if (p.colorTransform) w.colorTransform(*p.colorTransform, true);
    if (p.ratio) w.u16(*p.ratio);
    if (p.name) w.string(*p.name);
    if (p.clipDepth) w.u16(*p.clipDepth);
    if (p.placeVersion >= 3) {
        if (p.filters) writeFilters(w, *p.filters);
        if (p.blendMode) w.u8(static_cast<std::uint32_t>(*p.blendMode));
        if (p.cacheAsBitmap) w.u8(*p.cacheAsBitmap ? 1 : 0);
        if (p.visible) w.u8(*p.visible ? 1 : 0);
        if (p.backgroundColor) w.rgba(*p.backgroundColor);
    }
    if (p.hasClipActions) {
        bool wide = swfVersion >= 6;
        auto events = [&](std::uint32_t v) { wide ? w.u32(v) : w.u16(v); };
        w.u16(0);
        events(p.allClipEvents);
        for (const auto& a : p.clipActions) {
            events(a.events);
            bool key = wide && (a.events & clip_event::KeyPress);
            w.u32(static_cast<std::uint32_t>(a.actions.size() + (key ? 1 : 0)));
            if (key) w.u8(a.keyCode);
            w.bytes(a.actions);
        }
        events(0);
    }
    return std::move(w.data());
}

// ---- Fonts and text ----

namespace {

Bytes glyphBytes(const std::vector<ShapeRecord>& glyph)
{
    ByteWriter w;
    std::uint32_t maxFill = 0, maxLine = 0;
    for (const auto& r : glyph)
        if (const auto* sc = std::get_if<StyleChange>(&r)) {
            maxFill = std::max({maxFill, sc->fill0, sc->fill1});
            maxLine = std::max(maxLine, sc->line);
        }
    writeRecords(w, glyph, {Widths{unsignedBits(maxFill), unsignedBits(maxLine)}}, 1);
    return std::move(w.data());
}

void writeName(ByteWriter& w, std::string_view name)
{
    w.u8(static_cast<std::uint32_t>(name.size()));
    w.bytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
}

}  // namespace

Bytes fontBody(const FontDefinition& font)
{
    ByteWriter w;
    w.u16(font.id);
    std::vector<Bytes> glyphs;
    for (const auto& g : font.glyphs) glyphs.push_back(glyphBytes(g));
    std::size_t offset = glyphs.size() * 2;
    for (const auto& g : glyphs) {
        w.u16(static_cast<std::uint32_t>(offset));
        offset += g.size();
    }
    for (const auto& g : glyphs) w.bytes(g);
    return std::move(w.data());
}

Bytes font2Body(const FontDefinition& font, bool wideCodes)
{
    std::vector<Bytes> glyphs;
    std::size_t glyphTotal = 0;
    for (const auto& g : font.glyphs) {
        glyphs.push_back(glyphBytes(g));
        glyphTotal += glyphs.back().size();
    }
    std::size_t n = glyphs.size();
    bool wideOffsets = (n + 1) * 2 + glyphTotal > 0xffff;
    std::size_t offsetSize = wideOffsets ? 4 : 2;
    ByteWriter w;
    w.u16(font.id);
    w.u8((font.hasLayout ? 0x80 : 0) | (font.smallText ? 0x20 : 0) | (wideOffsets ? 0x08 : 0) |
         (wideCodes ? 0x04 : 0) | (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0));
    w.u8(font.languageCode);
    writeName(w, font.name);
    w.u16(static_cast<std::uint32_t>(n));
    std::size_t offset = (n + 1) * offsetSize;
    auto writeOffset = [&](std::size_t v) { wideOffsets ? w.u32(static_cast<std::uint32_t>(v)) : w.u16(static_cast<std::uint32_t>(v)); };
    for (const auto& g : glyphs) {
        writeOffset(offset);
        offset += g.size();
    }
    writeOffset(offset);  // code table
    for (const auto& g : glyphs) w.bytes(g);
    for (std::size_t i = 0; i < n; ++i) {
        char16_t c = i < font.codes.size() ? font.codes[i] : 0;
        wideCodes ? w.u16(c) : w.u8(c);
    }
    if (font.hasLayout) {
        w.u16(static_cast<std::uint32_t>(font.ascent));
        w.u16(static_cast<std::uint32_t>(font.descent));
        w.s16(static_cast<std::int32_t>(font.leading));
        for (std::size_t i = 0; i < n; ++i) w.s16(i < font.advances.size() ? static_cast<std::int32_t>(font.advances[i]) : 0);
        for (std::size_t i = 0; i < n; ++i) w.rect({});
        w.u16(static_cast<std::uint32_t>(font.kerning.size()));
        for (const auto& k : font.kerning) {
            wideCodes ? w.u16(k.left) : w.u8(k.left);
            wideCodes ? w.u16(k.right) : w.u8(k.right);
            w.s16(k.adjustment);
        }
    }
    return std::move(w.data());
}

Bytes fontInfoBody(std::uint16_t fontId, std::string_view name, const std::vector<std::uint16_t>& codes,
                   bool wideCodes, int infoVersion)
{
    ByteWriter w;
    w.u16(fontId);
    writeName(w, name);
    w.u8(wideCodes ? 1 : 0);
    if (infoVersion == 2) w.u8(0);
    for (auto c : codes) wideCodes ? w.u16(c) : w.u8(c);
    return std::move(w.data());
}

Bytes textBody(const StaticTextDefinition& text)
{
    ByteWriter w;
    w.u16(text.id);
    w.rect(text.bounds);
    w.matrix(text.matrix);
    unsigned glyphBits = 0, advanceBits = 0;
    for (const auto& r : text.records)
        for (const auto& g : r.glyphs) {
            glyphBits = std::max(glyphBits, unsignedBits(g.index));
            advanceBits = std::max(advanceBits, signedBits(g.advance));
        }
    w.u8(glyphBits);
    w.u8(advanceBits);
    for (const auto& r : text.records) {
        w.u8(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.y ? 0x02 : 0) | (r.x ? 0x01 : 0));
        if (r.fontId) w.u16(*r.fontId);
        if (r.color) writeColor(w, *r.color, text.textVersion >= 2);
        if (r.x) w.s16(*r.x);
        if (r.y) w.s16(*r.y);
        if (r.fontId) w.u16(r.height.value_or(0));
        w.u8(static_cast<std::uint32_t>(r.glyphs.size()));
        BitWriter b(w);
        for (const auto& g : r.glyphs) {
            b.ub(glyphBits, g.index);
            b.sb(advanceBits, g.advance);
        }
    }
    w.u8(0);
    return std::move(w.data());
}

Bytes editTextBody(const EditTextDefinition& t)
{
    ByteWriter w;
    w.u16(t.id);
    w.rect(t.bounds);
    w.u8((t.initialText ? 0x80 : 0) | (t.wordWrap ? 0x40 : 0) | (t.multiline ? 0x20 : 0) | (t.password ? 0x10 : 0) |
         (t.readOnly ? 0x08 : 0) | (t.color ? 0x04 : 0) | (t.maxLength ? 0x02 : 0) | (t.fontId ? 0x01 : 0));
    w.u8((!t.fontClass.empty() ? 0x80 : 0) | (t.autoSize ? 0x40 : 0) | (t.hasLayout ? 0x20 : 0) |
         (t.noSelect ? 0x10 : 0) | (t.border ? 0x08 : 0) | (t.wasStatic ? 0x04 : 0) | (t.html ? 0x02 : 0) |
         (t.useOutlines ? 0x01 : 0));
    if (t.fontId) w.u16(*t.fontId);
    if (!t.fontClass.empty()) w.string(t.fontClass);
    if (t.fontId || !t.fontClass.empty()) w.u16(t.fontHeight);
    if (t.color) w.rgba(*t.color);
    if (t.maxLength) w.u16(*t.maxLength);
    if (t.hasLayout) {
        w.u8(static_cast<std::uint32_t>(t.align));
        w.u16(t.leftMargin);
        w.u16(t.rightMargin);
        w.u16(t.indent);
        w.s16(t.leading);
    }
    w.string(t.variableName);
    if (t.initialText) w.string(*t.initialText);
    return std::move(w.data());
}

Bytes button2Body(const ButtonDefinition& button)
{
    ByteWriter w;
    w.u16(button.id);
    w.u8(button.trackAsMenu ? 1 : 0);
    ByteWriter records;
    for (const auto& r : button.records) {
        bool blend = r.blendMode != BlendMode::Normal;
        records.u8((blend ? 0x20 : 0) | (!r.filters.empty() ? 0x10 : 0) | (r.hitTest ? 8 : 0) | (r.down ? 4 : 0) |
                   (r.over ? 2 : 0) | (r.up ? 1 : 0));
        records.u16(r.characterId);
        records.u16(r.depth);
        records.matrix(r.matrix);
        records.colorTransform(r.colorTransform, true);
        if (!r.filters.empty()) writeFilters(records, r.filters);
        if (blend) records.u8(static_cast<std::uint32_t>(r.blendMode));
    }
    records.u8(0);
    w.u16(button.actions.empty() ? 0 : static_cast<std::uint32_t>(2 + records.size()));
    w.bytes(records.data());
    for (std::size_t i = 0; i < button.actions.size(); ++i) {
        const auto& a = button.actions[i];
        bool last = i + 1 == button.actions.size();
        w.u16(last ? 0 : static_cast<std::uint32_t>(4 + a.actions.size()));
        w.u16(a.conditions | (static_cast<std::uint32_t>(a.keyCode) << 9));
        w.bytes(a.actions);
    }
    return std::move(w.data());
}

Bytes soundInfoBytes(const SoundInfo& info)
{
    ByteWriter w;
    bool loops = info.loopCount != 1;
    w.u8((info.syncStop ? 0x20 : 0) | (info.syncNoMultiple ? 0x10 : 0) | (!info.envelope.empty() ? 0x08 : 0) |
         (loops ? 0x04 : 0) | (info.outPoint ? 0x02 : 0) | (info.inPoint ? 0x01 : 0));
    if (info.inPoint) w.u32(*info.inPoint);
    if (info.outPoint) w.u32(*info.outPoint);
    if (loops) w.u16(info.loopCount);
    if (!info.envelope.empty()) {
        w.u8(static_cast<std::uint32_t>(info.envelope.size()));
        for (const auto& p : info.envelope) {
            w.u32(p.pos44);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
    return std::move(w.data());
}

Bytes defineSoundBody(std::uint16_t id, std::uint8_t formatByte, std::uint32_t sampleCount,
                      std::span<const std::uint8_t> data)
{
    ByteWriter w;
    w.u16(id);
    w.u8(formatByte);
    w.u32(sampleCount);
    w.bytes(data);
    return std::move(w.data());
}

// ---- Bitmaps and compression ----

Bytes zlibCompress(std::span<const std::uint8_t> data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

Bytes losslessBody(std::uint16_t id, const Image& image, int losslessVersion)
{
    Bytes pixels;
    pixels.reserve(image.argb.size() * 4);
    for (std::uint32_t p : image.argb) {
        std::uint32_t a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        if (losslessVersion == 2) {
            pixels.push_back(static_cast<std::uint8_t>(a));
            pixels.push_back(static_cast<std::uint8_t>(r * a / 255));
            pixels.push_back(static_cast<std::uint8_t>(g * a / 255));
            pixels.push_back(static_cast<std::uint8_t>(b * a / 255));
        } else {
            pixels.push_back(0);
            pixels.push_back(static_cast<std::uint8_t>(r));
            pixels.push_back(static_cast<std::uint8_t>(g));
            pixels.push_back(static_cast<std::uint8_t>(b));
        }
    }
    ByteWriter w;
    w.u16(id);
    w.u8(5);
    w.u16(static_cast<std::uint32_t>(image.width));
    w.u16(static_cast<std::uint32_t>(image.height));
    w.bytes(zlibCompress(pixels));
    return std::move(w.data());
}

Bytes encodeJpeg(const Image& image, int quality)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(static_cast<std::size_t>(image.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = image.argb[static_cast<std::size_t>(cinfo.next_scanline) * image.width + x];
            row[3 * x] = static_cast<std::uint8_t>(p >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(p);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes jpegBody(std::uint16_t id, const Image& image, int jpegVersion, int quality)
{
    Bytes jpeg = encodeJpeg(image, quality);
    ByteWriter w;
    w.u16(id);
    if (jpegVersion == 2) {
        w.bytes(jpeg);
        return std::move(w.data());
    }
    w.u32(static_cast<std::uint32_t>(jpeg.size()));
    w.bytes(jpeg);
    Bytes alpha;
    for (std::uint32_t p : image.argb) alpha.push_back(static_cast<std::uint8_t>(p >> 24));
    w.bytes(zlibCompress(alpha));
    return std::move(w.data());
}

// ---- Tag lists and movies ----

TagList& TagList::tag(std::uint16_t code, std::span<const std::uint8_t> body, bool forceLong)
{
    Bytes t = encodeTag(code, body, forceLong);
    bytes_.insert(bytes_.end(), t.begin(), t.end());
    if (code == 1) ++frames_;
    if (code == 0) ended_ = true;
    return *this;
}

TagList& TagList::showFrame() { return tag(1); }

TagList& TagList::setBackground(Rgba c)
{
    ByteWriter w;
    w.rgb(c);
    return tag(9, w.data());
}

TagList& TagList::shape(const ShapeDefinition& def)
{
    static constexpr std::uint16_t codes[] = {2, 2, 22, 32, 83};
    return tag(codes[std::clamp(def.shapeVersion, 1, 4)], shapeBody(def));
}

TagList& TagList::morphShape(const MorphShapeDefinition& def)
{
    return tag(def.morphVersion >= 2 ? 84 : 46, morphShapeBody(def));
}

TagList& TagList::place(const PlaceObject& p)
{
    static constexpr std::uint16_t codes[] = {4, 4, 26, 70};
    return tag(codes[std::clamp(p.placeVersion, 1, 3)], placeObjectBody(p, version_));
}

TagList& TagList::place(std::uint16_t characterId, std::uint16_t depth, std::optional<Matrix> matrix)
{
    PlaceObject p;
    p.placeVersion = 2;
    p.characterId = characterId;
    p.depth = depth;
    p.matrix = matrix;
    return place(p);
}

TagList& TagList::remove(std::uint16_t depth)
{
    ByteWriter w;
    w.u16(depth);
    return tag(28, w.data());
}

TagList& TagList::label(std::string_view name, bool namedAnchor)
{
    ByteWriter w;
    w.string(name);
    if (namedAnchor) w.u8(1);
    return tag(43, w.data());
}

TagList& TagList::doAction(std::span<const std::uint8_t> actions) { return tag(12, actions); }

TagList& TagList::doInitAction(std::uint16_t spriteId, std::span<const std::uint8_t> actions)
{
    ByteWriter w;
    w.u16(spriteId);
    w.bytes(actions);
    return tag(59, w.data());
}

TagList& TagList::fileAttributes(std::uint8_t flags)
{
    std::uint8_t body[4] = {flags, 0, 0, 0};
    return tag(69, body);
}

TagList& TagList::exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& entries)
{
    ByteWriter w;
    w.u16(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [id, name] : entries) {
        w.u16(id);
        w.string(name);
    }
    return tag(56, w.data());
}

TagList& TagList::font(const FontDefinition& f)
{
    if (f.fontVersion == 1) return tag(10, fontBody(f));
    return tag(f.fontVersion == 3 ? 75 : 48, font2Body(f));
}

TagList& TagList::text(const StaticTextDefinition& t) { return tag(t.textVersion >= 2 ? 33 : 11, textBody(t)); }
TagList& TagList::editText(const EditTextDefinition& t) { return tag(37, editTextBody(t)); }
TagList& TagList::button(const ButtonDefinition& b) { return tag(34, button2Body(b)); }

TagList& TagList::losslessBitmap(std::uint16_t id, const Image& image, int losslessVersion)
{
    return tag(losslessVersion == 2 ? 36 : 20, losslessBody(id, image, losslessVersion));
}

TagList& TagList::jpegBitmap(std::uint16_t id, const Image& image, int jpegVersion, int quality)
{
    return tag(jpegVersion == 3 ? 35 : 21, jpegBody(id, image, jpegVersion, quality));
}

TagList& TagList::defineSound(std::uint16_t id, std::uint8_t formatByte, std::uint32_t sampleCount,
                              std::span<const std::uint8_t> data)
{
    return tag(14, defineSoundBody(id, formatByte, sampleCount, data));
}

TagList& TagList::startSound(std::uint16_t soundId, const SoundInfo& info)
{
    ByteWriter w;
    w.u16(soundId);
    w.bytes(soundInfoBytes(info));
    return tag(15, w.data());
}

TagList& TagList::soundStreamHead(std::uint8_t streamFormatByte, std::uint16_t samplesPerBlock, std::int16_t latencySeek)
{
    ByteWriter w;
    w.u8(streamFormatByte & 0x0f);
    w.u8(streamFormatByte);
    w.u16(samplesPerBlock);
    if ((streamFormatByte >> 4) == 2) w.s16(latencySeek);
    return tag(45, w.data());
}

TagList& TagList::soundStreamBlock(std::span<const std::uint8_t> data) { return tag(19, data); }

TagList& TagList::sprite(std::uint16_t id, const TagList& inner, std::optional<std::uint16_t> frameCount)
{
    ByteWriter w;
    w.u16(id);
    w.u16(frameCount.value_or(static_cast<std::uint16_t>(inner.frames())));
    w.bytes(inner.bytes());
    if (!inner.ended_) w.bytes(encodeTag(0, {}));
    return tag(39, w.data());
}

MovieWriter::MovieWriter(int version, Rect frameSize, double frameRate)
    : TagList(version), frameSize_(frameSize), frameRate_(frameRate) {}

namespace {

Bytes lzmaCompress(std::span<const std::uint8_t> data)
{
    lzma_options_lzma opts;
    lzma_lzma_preset(&opts, 6);
    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&zs, &opts) != LZMA_OK) throw std::runtime_error("LZMA encoder failed");
    Bytes out(data.size() + data.size() / 2 + 1024);
    zs.next_in = data.data();
    zs.avail_in = data.size();
    zs.next_out = out.data();
    zs.avail_out = out.size();
    lzma_ret rc = lzma_code(&zs, LZMA_FINISH);
    if (rc != LZMA_STREAM_END) throw std::runtime_error("LZMA compression failed");
    out.resize(out.size() - zs.avail_out);
    lzma_end(&zs);
    return out;  // .lzma: 5 property bytes, 8 size bytes, data
}

}  // namespace

Bytes MovieWriter::build(Compression compression, std::optional<std::uint16_t> frameCount,
                         std::optional<std::uint32_t> fileLength) const
{
    ByteWriter body;
    body.rect(frameSize_);
    body.u16(static_cast<std::uint32_t>(std::lround(frameRate_ * 256)));
    body.u16(frameCount.value_or(static_cast<std::uint16_t>(frames())));
    body.bytes(bytes());
    if (!ended_) body.bytes(encodeTag(0, {}));

    ByteWriter file;
    file.u8(compression == Compression::None ? 'F' : compression == Compression::Zlib ? 'C' : 'Z');
    file.u8('W');
    file.u8('S');
    file.u8(static_cast<std::uint32_t>(version()));
    file.u32(fileLength.value_or(static_cast<std::uint32_t>(8 + body.size())));
    switch (compression) {
    case Compression::None:
        file.bytes(body.data());
        break;
    case Compression::Zlib:
        file.bytes(zlibCompress(body.data()));
        break;
    case Compression::Lzma: {
        Bytes lz = lzmaCompress(body.data());
        file.u32(static_cast<std::uint32_t>(lz.size() - 13));
        file.bytes(std::span(lz).first(5));
        file.bytes(std::span(lz).subspan(13));
        break;
    }
    }
    return std::move(file.data());
}

}  // namespace swf::writer
