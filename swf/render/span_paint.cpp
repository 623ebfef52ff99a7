#include "swf/render/span_paint.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "swf/render/color.h"
#include "swf/render/pixel_ops.h"
#include "swf/render/render_cache.h"
#include "swf/render/resources.h"
#include "swf/render/shape_painter.h"

namespace swf::render {

namespace {

// x * (256 - f) + y * f, over 256, channel by channel (f in 0..256).
inline std::uint32_t interpolate256(std::uint32_t x, std::uint32_t y, std::uint32_t f)
{
    const std::uint32_t g = 256 - f;
    std::uint32_t rb = (x & 0xff00ffu) * g + (y & 0xff00ffu) * f;
    rb = (rb >> 8) & 0xff00ffu;
    std::uint32_t ag = ((x >> 8) & 0xff00ffu) * g + ((y >> 8) & 0xff00ffu) * f;
    ag &= 0xff00ff00u;
    return ag | rb;
}

constexpr double kLastEntry = kGradientTableSize - 1;
// Samples of a radial or focal run placed on the ramp together (see rampFromPlaces).
constexpr int kRampPiece = 64;

// A position along the ramp in table entries (0 .. kLastEntry is the ramp) to its entry under
// the spread mode.
template <SpreadMode spread>
inline std::size_t rampEntry(double p)
{
    if constexpr (spread == SpreadMode::Repeat) {
        p -= std::floor(p * (1 / (kLastEntry + 1))) * (kLastEntry + 1);
    } else if constexpr (spread == SpreadMode::Reflect) {
        p = std::fabs(p);
        p -= std::floor(p * (1 / (2 * kLastEntry))) * (2 * kLastEntry);
        if (p > kLastEntry) p = 2 * kLastEntry - p;
    }
    // Comparisons written so that NaN lands on the last entry.
    if (!(p < kLastEntry)) return std::size_t(kLastEntry);
    return p > 0 ? std::size_t(p + 0.5) : 0;
}

// The run's colours from the ramp places placeAt(u, v) of its samples, sample i standing at
// (u0 + i * du, v0 + i * dv) in the gradient square. In pieces: each place is worked out from its
// index rather than stepped from the one before, so that a piece's square roots do not wait on
// each other and run side by side in vector registers; the table is read afterwards.
template <SpreadMode spread, typename PlaceAt>
void rampFromPlaces(const std::uint32_t* table, double u0, double v0, double du, double dv, int n, std::uint32_t* out,
                    PlaceAt placeAt)
{
    std::array<double, kRampPiece> place;
    for (int done = 0; done < n; done += kRampPiece) {
        const int m = std::min(kRampPiece, n - done);
        for (int i = 0; i < m; ++i) place[std::size_t(i)] = placeAt(u0 + du * (done + i), v0 + dv * (done + i));
        for (int i = 0; i < m; ++i) out[done + i] = table[rampEntry<spread>(place[std::size_t(i)])];
    }
}

// A texel coordinate (may be far outside) to a column or row of an image of `size` texels.
inline int wrapCoordinate(double v, int size, bool repeat)
{
    if (repeat) {
        v -= std::floor(v / size) * size;
        const int i = int(v);
        return i >= size ? size - 1 : i < 0 ? 0 : i;
    }
    return v <= 0 ? 0 : v >= size - 1 ? size - 1 : int(v);
}

bool finiteAffine(const QTransform& t)
{
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(v)) return false;
    return true;
}


}  // namespace

SpanPaint SpanPaint::solid(std::uint32_t premultiplied)
{
    SpanPaint paint;
    paint.kind_ = Kind::Solid;
    paint.color_ = premultiplied;
    paint.opaque_ = (premultiplied >> 24) == 255;
    return paint;
}

SpanPaint SpanPaint::gradient(const FillStyle& fill, const QTransform& gradientToDevice, const ColorTransform& colors)
{
    SpanPaint paint;
    paint.table_ = std::make_unique<GradientTable>(gradientTable(fill.gradient, colors));
    paint.opaque_ = std::all_of(paint.table_->begin(), paint.table_->end(), [](std::uint32_t c) { return c >> 24 == 255; });
    bool invertible = false;
    const QTransform inverse = gradientToDevice.inverted(&invertible);
    if (!invertible || !finiteAffine(inverse) || fill.gradient.stops.empty()) {
        // A gradient squeezed to nothing shows the end of its ramp everywhere.
        return solid(paint.table_->back());
    }
    paint.kind_ = fill.kind == FillStyle::Kind::LinearGradient ? Kind::Linear
                  : fill.kind == FillStyle::Kind::FocalGradient ? Kind::Focal
                                                                : Kind::Radial;
    paint.m11_ = inverse.m11(), paint.m12_ = inverse.m12(), paint.m21_ = inverse.m21(), paint.m22_ = inverse.m22();
    paint.dx_ = inverse.dx(), paint.dy_ = inverse.dy();
    paint.spread_ = fill.gradient.spread;
    // A focal point on the circle itself makes the ramp degenerate; keep it just inside.
    paint.focal_ = std::clamp(fill.gradient.focalPoint, -0.998, 0.998);
    return paint;
}

SpanPaint SpanPaint::bitmap(const QImage& image, const QTransform& bitmapToDevice, bool repeat, bool smooth,
                            const ColorTransform& colors, bool opaqueImage)
{
    SpanPaint paint;
    bool invertible = false;
    const QTransform inverse = bitmapToDevice.inverted(&invertible);
    if (!invertible || !finiteAffine(inverse) || image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
        return solid(0);
    paint.kind_ = Kind::Bitmap;
    paint.m11_ = inverse.m11(), paint.m12_ = inverse.m12(), paint.m21_ = inverse.m21(), paint.m22_ = inverse.m22();
    paint.dx_ = inverse.dx(), paint.dy_ = inverse.dy();
    paint.image_ = image;
    paint.pixels_ = reinterpret_cast<const std::uint32_t*>(paint.image_.constBits());
    paint.width_ = image.width();
    paint.height_ = image.height();
    paint.stride_ = int(image.bytesPerLine() / 4);
    paint.repeat_ = repeat;
    paint.smooth_ = smooth;
    if (isAlphaOnly(colors) && colors.aMult <= 1) {
        paint.alpha_ = std::clamp(int(std::lround(colors.aMult * 255)), 0, 255);
    } else if (!colors.isIdentity()) {
        paint.channels_ = std::make_unique<ChannelTables>();
        const double mult[4] = {colors.rMult, colors.gMult, colors.bMult, colors.aMult};
        const double add[4] = {colors.rAdd, colors.gAdd, colors.bAdd, colors.aAdd};
        for (std::size_t c = 0; c < 4; ++c)
            for (int v = 0; v < 256; ++v)
                (*paint.channels_)[c][std::size_t(v)] = std::uint8_t(transformChannel(v, mult[c], add[c]));
    }
    paint.opaque_ = opaqueImage && paint.alpha_ == 255 && (!paint.channels_ || (*paint.channels_)[3][255] == 255);
    return paint;
}

void SpanPaint::fetch(int x, int y, int n, std::uint32_t* out) const
{
    switch (kind_) {
    case Kind::Solid: std::fill_n(out, n, color_); return;
    case Kind::Bitmap: fetchBitmap(x, y, n, out); return;
    default: fetchGradient(x, y, n, out); return;
    }
}

void SpanPaint::fetchGradient(int x, int y, int n, std::uint32_t* out) const
{
    switch (spread_) {
    case SpreadMode::Reflect: fetchGradientSpread<SpreadMode::Reflect>(x, y, n, out); return;
    case SpreadMode::Repeat: fetchGradientSpread<SpreadMode::Repeat>(x, y, n, out); return;
    default: fetchGradientSpread<SpreadMode::Pad>(x, y, n, out); return;
    }
}

template <SpreadMode spread>
void SpanPaint::fetchGradientSpread(int x, int y, int n, std::uint32_t* out) const
{
    const double px = x + 0.5, py = y + 0.5;
    const double gx = m11_ * px + m21_ * py + dx_;
    const double gy = m12_ * px + m22_ * py + dy_;
    const std::uint32_t* table = table_->data();
    switch (kind_) {
    case Kind::Linear: {
        // Ramp position in table entries, a straight function of x along the row.
        constexpr double kScale = kLastEntry / (2 * kGradientHalfSize);
        const double p = (gx + kGradientHalfSize) * kScale;
        const double step = m11_ * kScale;
        constexpr double kFixedOne = 65536;
        const double last = p + step * (n - 1);
        // Step in 16.16 fixed point while the positions stay far from overflowing it.
        constexpr double kFar = 1e9;
        if (std::fabs(p) < kFar && std::fabs(last) < kFar) {
            const auto increment = std::int64_t(step * kFixedOne);
            // A ramp that does not change along the row (vertical gradients, common as skies and
            // backdrops) gives the whole run its first sample's colour.
            const int steps = increment == 0 ? std::min(n, 1) : n;
            constexpr std::int64_t kHalf = 1 << 15, kLast = kGradientTableSize - 1;
            if constexpr (spread == SpreadMode::Pad) {
                auto position = std::int64_t((p + 0.5) * kFixedOne);
                for (int i = 0; i < steps; ++i, position += increment)
                    out[i] = table[std::size_t(std::clamp<std::int64_t>(position >> 16, 0, kLast))];
            } else if constexpr (spread == SpreadMode::Repeat) {
                // The period (the table's length) is a power of two: the low bits are the place in it.
                constexpr std::int64_t kPeriodMask = (std::int64_t(kGradientTableSize) << 16) - 1;
                auto position = std::int64_t(p * kFixedOne);
                for (int i = 0; i < steps; ++i, position += increment)
                    out[i] = table[std::size_t(std::min(kLast, ((position & kPeriodMask) + kHalf) >> 16))];
            } else {
                // There and back: the place in a period of twice the ramp, folded at its middle.
                constexpr std::int64_t kPeriod = (2 * kLast) << 16, kMiddle = kLast << 16;
                auto wrapped = [](std::int64_t v) { return (v % kPeriod + kPeriod) % kPeriod; };
                std::int64_t place = wrapped(std::int64_t(p * kFixedOne));
                const std::int64_t advance = wrapped(increment);
                for (int i = 0; i < steps; ++i) {
                    const std::int64_t folded = place > kMiddle ? kPeriod - place : place;
                    out[i] = table[std::size_t(std::min(kLast, (folded + kHalf) >> 16))];
                    place += advance;
                    if (place >= kPeriod) place -= kPeriod;
                }
            }
            if (steps < n) std::fill(out + steps, out + n, out[0]);
            return;
        }
        for (int i = 0; i < n; ++i) out[i] = table[rampEntry<spread>(p + step * i)];
        return;
    }
    case Kind::Radial: {
        constexpr double kScale = kLastEntry / kGradientHalfSize;
        rampFromPlaces<spread>(table, gx, gy, m11_, m12_, n, out,
                               [](double u, double v) { return std::sqrt(u * u + v * v) * kScale; });
        return;
    }
    default: {
        // The ramp runs from the focal point F to the circle: a point P lies at the t where
        // P = F + t (Q - F) for Q on the circle, that is t = (f dx + sqrt(f^2 dx^2 + k |d|^2)) / k
        // with d = P - F and k = 1 - f^2 (radius 1).
        constexpr double kRadius = 1 / kGradientHalfSize;
        const double f = focal_, k = 1 - f * f, scale = kLastEntry / k;
        rampFromPlaces<spread>(table, gx, gy, m11_, m12_, n, out, [f, k, scale](double u, double v) {
            const double dx = u * kRadius - f, dy = v * kRadius;
            return (f * dx + std::sqrt(f * f * dx * dx + k * (dx * dx + dy * dy))) * scale;
        });
        return;
    }
    }
}

void SpanPaint::fetchBitmap(int x, int y, int n, std::uint32_t* out) const
{
    const double px = x + 0.5, py = y + 0.5;
    double u = m11_ * px + m21_ * py + dx_;
    double v = m12_ * px + m22_ * py + dy_;
    auto texel = [this](int column, int row) { return pixels_[std::size_t(row) * std::size_t(stride_) + std::size_t(column)]; };
    // Texel coordinates in 16.16 fixed point while the whole run stays within reach of it.
    constexpr double kReach = 16384;
    const double lastU = u + m11_ * (n - 1), lastV = v + m12_ * (n - 1);
    const bool fixed = std::fabs(u) < kReach && std::fabs(v) < kReach && std::fabs(lastU) < kReach &&
                       std::fabs(lastV) < kReach;
    if (fixed) {
        auto wrap = [](int i, int size, bool repeat) {
            if (i >= 0 && i < size) return i;
            if (!repeat) return i < 0 ? 0 : size - 1;
            i %= size;
            return i < 0 ? i + size : i;
        };
        const auto du = std::int32_t(std::lround(m11_ * 65536)), dv = std::int32_t(std::lround(m12_ * 65536));
        // Whether every texel the run reads, from its first to its last sample (they move in a
        // straight line), lies inside the image, `margin` texels beyond the sample included: then
        // no sample needs wrapping or clamping.
        auto inside = [&](std::int32_t fu, std::int32_t fv, int margin) {
            const std::int32_t lastFu = fu + du * (n - 1), lastFv = fv + dv * (n - 1);
            return std::min(fu, lastFu) >= 0 && std::min(fv, lastFv) >= 0 &&
                   (std::max(fu, lastFu) >> 16) + margin < width_ && (std::max(fv, lastFv) >> 16) + margin < height_;
        };
        if (!smooth_) {
            auto fu = std::int32_t(std::lround(u * 65536)), fv = std::int32_t(std::lround(v * 65536));
            if (inside(fu, fv, 0)) {
                for (int i = 0; i < n; ++i, fu += du, fv += dv) out[i] = texel(fu >> 16, fv >> 16);
            } else {
                for (int i = 0; i < n; ++i, fu += du, fv += dv)
                    out[i] = texel(wrap(fu >> 16, width_, repeat_), wrap(fv >> 16, height_, repeat_));
            }
        } else {
            // Bilinear: the four texels around the sample, whose centres sit at half pixels.
            auto fu = std::int32_t(std::lround((u - 0.5) * 65536)), fv = std::int32_t(std::lround((v - 0.5) * 65536));
            if (inside(fu, fv, 1)) {
                for (int i = 0; i < n; ++i, fu += du, fv += dv) {
                    const std::uint32_t* t = pixels_ + std::size_t(fv >> 16) * std::size_t(stride_) + std::size_t(fu >> 16);
                    const auto wu = std::uint32_t(fu >> 8) & 255, wv = std::uint32_t(fv >> 8) & 255;
                    const std::uint32_t top = interpolate256(t[0], t[1], wu);
                    const std::uint32_t bottom = interpolate256(t[stride_], t[stride_ + 1], wu);
                    out[i] = interpolate256(top, bottom, wv);
                }
                transform(n, out);
                return;
            }
            for (int i = 0; i < n; ++i, fu += du, fv += dv) {
                const int iu = fu >> 16, iv = fv >> 16;
                const auto wu = std::uint32_t(fu >> 8) & 255, wv = std::uint32_t(fv >> 8) & 255;
                const int c0 = wrap(iu, width_, repeat_), c1 = wrap(iu + 1, width_, repeat_);
                const int r0 = wrap(iv, height_, repeat_), r1 = wrap(iv + 1, height_, repeat_);
                const std::uint32_t top = interpolate256(texel(c0, r0), texel(c1, r0), wu);
                const std::uint32_t bottom = interpolate256(texel(c0, r1), texel(c1, r1), wu);
                out[i] = interpolate256(top, bottom, wv);
            }
        }
    } else if (!smooth_) {
        for (int i = 0; i < n; ++i, u += m11_, v += m12_)
            out[i] = texel(wrapCoordinate(u, width_, repeat_), wrapCoordinate(v, height_, repeat_));
    } else {
        for (int i = 0; i < n; ++i, u += m11_, v += m12_) {
            const double su = u - 0.5, sv = v - 0.5;
            const double fu = std::floor(su), fv = std::floor(sv);
            if (!std::isfinite(fu) || !std::isfinite(fv)) {
                out[i] = 0;
                continue;
            }
            const auto wu = std::uint32_t((su - fu) * 256), wv = std::uint32_t((sv - fv) * 256);
            const int c0 = wrapCoordinate(fu, width_, repeat_), c1 = wrapCoordinate(fu + 1, width_, repeat_);
            const int r0 = wrapCoordinate(fv, height_, repeat_), r1 = wrapCoordinate(fv + 1, height_, repeat_);
            const std::uint32_t top = interpolate256(texel(c0, r0), texel(c1, r0), wu);
            const std::uint32_t bottom = interpolate256(texel(c0, r1), texel(c1, r1), wu);
            out[i] = interpolate256(top, bottom, wv);
        }
    }
    transform(n, out);
}

void SpanPaint::transform(int n, std::uint32_t* out) const
{
    if (channels_)
        transformSamples(n, out);
    else if (alpha_ < 255)
        for (int i = 0; i < n; ++i) out[i] = byteMul(out[i], std::uint32_t(alpha_));
}

void SpanPaint::transformSamples(int n, std::uint32_t* out) const
{
    const auto& [rt, gt, bt, at] = *channels_;
    // Neighbouring samples of a scaled-up bitmap are often equal: the last result serves again.
    std::uint32_t lastIn = 0, lastOut = premultiply(rt[0], gt[0], bt[0], at[0]);
    const std::uint32_t opaqueAlpha = at[255];
    for (int i = 0; i < n; ++i) {
        const std::uint32_t p = out[i];
        if (p == lastIn) {
            out[i] = lastOut;
            continue;
        }
        const std::uint32_t a = p >> 24;
        std::uint32_t r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
        lastIn = p;
        if (a == 255 && opaqueAlpha == 255) {
            // Opaque samples staying opaque: no premultiplication either way.
            out[i] = lastOut = 0xff000000u | std::uint32_t(rt[r]) << 16 | std::uint32_t(gt[g]) << 8 | bt[b];
            continue;
        }
        if (a == 0) {
            r = g = b = 0;
        } else if (a < 255) {
            // Unpremultiply with rounding; colour above alpha (bad data) is clamped.
            r = std::min(255u, (r * 255 + a / 2) / a);
            g = std::min(255u, (g * 255 + a / 2) / a);
            b = std::min(255u, (b * 255 + a / 2) / a);
        }
        out[i] = lastOut = premultiply(rt[r], gt[g], bt[b], at[a]);
    }
}

std::optional<SpanPaint> makeSpanPaint(const FillStyle& fill, const QTransform& shapeToDevice,
                                       const ColorTransform& colors, const PaintOptions& options)
{
    if (options.coverageOnly) return SpanPaint::solid(0xffffffffu);
    switch (fill.kind) {
    case FillStyle::Kind::Solid: {
        const Rgba c = transformColor(fill.color, colors);
        return SpanPaint::solid(premultiply(c.r, c.g, c.b, c.a));
    }
    case FillStyle::Kind::LinearGradient:
    case FillStyle::Kind::RadialGradient:
    case FillStyle::Kind::FocalGradient:
        return SpanPaint::gradient(fill, toQTransform(fill.matrix) * shapeToDevice, colors);
    case FillStyle::Kind::Bitmap: {
        const Bitmap* bitmap = options.resources.bitmap(fill.bitmapId);
        if (!bitmap) return std::nullopt;
        const bool smooth = fill.bitmapSmoothed && options.quality == RenderQuality::High &&
                            options.resources.swfVersion() >= 8;
        const QImage image = RenderCache::wrap(*bitmap);
        if (image.isNull()) return std::nullopt;
        return SpanPaint::bitmap(image, toQTransform(fill.matrix) * shapeToDevice, fill.bitmapRepeat, smooth, colors,
                                 bitmap->opaque);
    }
    }
    return std::nullopt;
}

}  // namespace swf::render
