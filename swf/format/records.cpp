#include "swf/format/records.h"

namespace swf {

Rect readRect(ByteReader& r)
{
    BitReader bits(r);
    unsigned n = bits.ub(5);
    Rect rect;
    rect.xMin = bits.sb(n);
    rect.xMax = bits.sb(n);
    rect.yMin = bits.sb(n);
    rect.yMax = bits.sb(n);
    return rect;
}

Matrix readMatrix(ByteReader& r)
{
    BitReader bits(r);
    Matrix m;
    if (bits.flag()) {
        unsigned n = bits.ub(5);
        m.a = bits.fb(n);
        m.d = bits.fb(n);
    }
    if (bits.flag()) {
        unsigned n = bits.ub(5);
        m.b = bits.fb(n);
        m.c = bits.fb(n);
    }
    unsigned n = bits.ub(5);
    m.tx = bits.sb(n);
    m.ty = bits.sb(n);
    return m;
}

ColorTransform readColorTransform(ByteReader& r, bool withAlpha)
{
    BitReader bits(r);
    bool hasAdd = bits.flag();
    bool hasMult = bits.flag();
    unsigned n = bits.ub(4);
    ColorTransform cx;
    if (hasMult) {
        cx.rMult = bits.sb(n) / 256.0;
        cx.gMult = bits.sb(n) / 256.0;
        cx.bMult = bits.sb(n) / 256.0;
        if (withAlpha) cx.aMult = bits.sb(n) / 256.0;
    }
    if (hasAdd) {
        cx.rAdd = bits.sb(n);
        cx.gAdd = bits.sb(n);
        cx.bAdd = bits.sb(n);
        if (withAlpha) cx.aAdd = bits.sb(n);
    }
    return cx;
}

Rgba readRgb(ByteReader& r)
{
    auto b = r.bytes(3);
    return {b[0], b[1], b[2], 255};
}

Rgba readRgba(ByteReader& r)
{
    auto b = r.bytes(4);
    return {b[0], b[1], b[2], b[3]};
}

}  // namespace swf
