#pragma once
// Plain value types of the SWF format: rectangles, matrices, colours and colour transforms.
// Coordinates are in twips (1/20 pixel) unless a name says otherwise.

#include <cstdint>

namespace swf {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool empty() const { return xMax <= xMin || yMax <= yMin; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// x' = a*x + c*y + tx ; y' = b*x + d*y + ty  (a = ScaleX, b = RotateSkew0, c = RotateSkew1,
// d = ScaleY; tx, ty in twips).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // this * other: apply `other` first, then this.
    Matrix operator*(const Matrix& o) const
    {
        return {a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d, b * o.c + d * o.d,
                a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
    }
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// Colour transform: channel' = clamp(channel * mult + add, 0, 255). The file stores the
// multipliers as 8.8 fixed point (256 = 1.0); here they are plain factors. Additions are in
// 0..255 units. Composition can leave the stored ranges, hence doubles.
struct ColorTransform {
    double rMult = 1, gMult = 1, bMult = 1, aMult = 1;
    double rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const
    {
        return rMult == 1 && gMult == 1 && bMult == 1 && aMult == 1 && rAdd == 0 && gAdd == 0 &&
               bAdd == 0 && aAdd == 0;
    }
    // this * inner: the transform of a child (`inner`) seen through its parent (this).
    ColorTransform operator*(const ColorTransform& in) const
    {
        return {rMult * in.rMult, gMult * in.gMult, bMult * in.bMult, aMult * in.aMult,
                rMult * in.rAdd + rAdd, gMult * in.gAdd + gAdd, bMult * in.bAdd + bAdd,
                aMult * in.aAdd + aAdd};
    }
    friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

}  // namespace swf
