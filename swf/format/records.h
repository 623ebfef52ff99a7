#pragma once
// Readers of the small byte-aligned records that many tags share: RECT, MATRIX, CXFORM,
// CXFORMWITHALPHA and colours. Each starts on a byte boundary and leaves the reader on the next
// byte boundary after the record.

#include "swf/format/geometry.h"
#include "swf/format/reader.h"

namespace swf {

Rect readRect(ByteReader& r);
Matrix readMatrix(ByteReader& r);
ColorTransform readColorTransform(ByteReader& r, bool withAlpha);
Rgba readRgb(ByteReader& r);
Rgba readRgba(ByteReader& r);
inline Rgba readColor(ByteReader& r, bool withAlpha) { return withAlpha ? readRgba(r) : readRgb(r); }

}  // namespace swf
