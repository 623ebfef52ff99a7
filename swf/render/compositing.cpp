#include "swf/render/compositing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace swf::render {

namespace {

// Blur sizes above this many device pixels are cut: the cost grows with the size and the
// picture no longer changes visibly.
constexpr double kMaxBlur = 255;

// One value per pixel, row-major (0..1 for coverage planes), on memory leased from FilterMemory.
class Plane {
public:
    // `size` values as earlier use left them: every user writes each value before reading it.
    Plane(FilterMemory& memory, std::size_t size) : memory_(&memory), values_(memory.take(size)), size_(size) {}
    ~Plane() { release(); }
    Plane(const Plane&) = delete;
    Plane& operator=(const Plane&) = delete;
    Plane(Plane&& other) noexcept : memory_(other.memory_), values_(std::move(other.values_)), size_(other.size_)
    {
        other.memory_ = nullptr;
        other.size_ = 0;
    }
    Plane& operator=(Plane&& other) noexcept
    {
        if (this != &other) {
            release();
            memory_ = other.memory_;
            values_ = std::move(other.values_);
            size_ = other.size_;
            other.memory_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }

    float* data() { return values_.data(); }
    const float* data() const { return values_.data(); }
    std::size_t size() const { return size_; }
    float& operator[](std::size_t i) { return values_[i]; }
    float operator[](std::size_t i) const { return values_[i]; }
    float* begin() { return values_.data(); }
    float* end() { return values_.data() + size_; }
    FilterMemory& memory() const { return *memory_; }

private:
    void release()
    {
        if (memory_) memory_->give(std::move(values_));
        memory_ = nullptr;
    }
    FilterMemory* memory_;
    std::vector<float> values_;  // may hold more than size_ values
    std::size_t size_;
};

int clamp255(double v) { return v <= 0 ? 0 : v >= 255 ? 255 : int(v + 0.5); }

// A centred box of width `size` (fractional sizes weight the two outer samples), as a sliding
// sum: the window gains one value and loses one per step, whatever its size.
struct Box {
    int whole;   // samples on each side taken fully
    float edge;  // weight of the next sample on each side
    double norm;
    explicit Box(double size)
    {
        const double radius = (size - 1) / 2;
        whole = int(std::floor(radius));
        edge = float(radius - whole);
        norm = 1.0 / size;
    }
};

// One horizontal pass over every row of N planes of one size. The planes' rows are walked
// together: each running sum depends on the one before, and N independent sums keep the
// processor busy where one would wait on it.
template <std::size_t N>
void boxRows(const std::array<Plane*, N>& planes, int width, int height, double size)
{
    const Box box(size);
    Plane source(planes[0]->memory(), N * std::size_t(width));
    // Away from the row's ends every sample the window reads exists: those pixels skip the
    // checks (the same sums in the same order, so the same values).
    const int middleFrom = std::min(width, box.whole + 1), middleTo = std::max(middleFrom, width - box.whole - 1);
    for (int y = 0; y < height; ++y) {
        std::array<float*, N> row;
        std::array<const float*, N> src;
        std::array<double, N> sum{};
        for (std::size_t c = 0; c < N; ++c) {
            row[c] = planes[c]->data() + std::size_t(y) * std::size_t(width);
            float* copy = source.data() + c * std::size_t(width);
            std::copy_n(row[c], width, copy);
            src[c] = copy;
        }
        auto at = [&](std::size_t c, int i) { return i >= 0 && i < width ? double(src[c][i]) : 0.0; };
        for (std::size_t c = 0; c < N; ++c)
            for (int i = 0; i <= box.whole; ++i) sum[c] += at(c, i);
        auto checkedStep = [&](int i) {
            for (std::size_t c = 0; c < N; ++c) {
                double v = sum[c];
                if (box.edge > 0) v += box.edge * (at(c, i - box.whole - 1) + at(c, i + box.whole + 1));
                row[c][i] = float(v * box.norm);
                sum[c] += at(c, i + box.whole + 1) - at(c, i - box.whole);
            }
        };
        for (int i = 0; i < middleFrom; ++i) checkedStep(i);
        if (box.edge > 0) {
            for (int i = middleFrom; i < middleTo; ++i) {
                for (std::size_t c = 0; c < N; ++c) {
                    const float* in = src[c];
                    const double v = sum[c] + box.edge * (double(in[i - box.whole - 1]) + double(in[i + box.whole + 1]));
                    row[c][i] = float(v * box.norm);
                    sum[c] += double(in[i + box.whole + 1]) - double(in[i - box.whole]);
                }
            }
        } else {
            for (int i = middleFrom; i < middleTo; ++i) {
                for (std::size_t c = 0; c < N; ++c) {
                    const float* in = src[c];
                    row[c][i] = float(sum[c] * box.norm);
                    sum[c] += double(in[i + box.whole + 1]) - double(in[i - box.whole]);
                }
            }
        }
        for (int i = middleTo; i < width; ++i) checkedStep(i);
    }
}

// One vertical pass over every column, row by row so that memory is read in order. Each output
// row overwrites its input row and the window reaches whole + 1 rows back: those original rows
// wait in a small ring rather than in a copy of the whole plane. A row's sums are read and
// moved on in one loop; rows outside the plane read as zeros, which leave every sum as it is
// (the same sums in the same order, so the same values).
void boxColumns(Plane& plane, int width, int height, double size)
{
    const Box box(size);
    const auto w = std::size_t(width);
    const int ringRows = std::min(box.whole + 2, height);
    Plane ring(plane.memory(), std::size_t(ringRows) * w);
    Plane zeros(plane.memory(), w);
    std::fill(zeros.begin(), zeros.end(), 0.0f);
    std::vector<double>& sums = plane.memory().sums;
    sums.assign(w, 0.0);
    // The original row y while row `current` is being written (rows above it are in the ring).
    auto original = [&](int y, int current) -> const float* {
        if (y < 0 || y >= height) return zeros.data();
        return y < current ? ring.data() + std::size_t(y % ringRows) * w : plane.data() + std::size_t(y) * w;
    };
    for (int y = 0; y <= box.whole && y < height; ++y) {
        const float* r = plane.data() + std::size_t(y) * w;
        for (std::size_t x = 0; x < w; ++x) sums[x] += r[x];
    }
    double* const sum = sums.data();
    const double norm = box.norm;
    const float edge = box.edge;
    for (int y = 0; y < height; ++y) {
        float* out = plane.data() + std::size_t(y) * w;
        std::copy_n(out, w, ring.data() + std::size_t(y % ringRows) * w);
        const float* entering = original(y + box.whole + 1, y + 1);
        const float* leaving = original(y - box.whole, y + 1);
        if (edge > 0) {
            const float* before = original(y - box.whole - 1, y + 1);
            const float* after = entering;
            for (std::size_t x = 0; x < w; ++x) {
                double v = sum[x];
                v += edge * before[x];
                v += edge * after[x];
                out[x] = float(v * norm);
                sum[x] = sum[x] + entering[x] - leaving[x];
            }
        } else {
            for (std::size_t x = 0; x < w; ++x) {
                out[x] = float(sum[x] * norm);
                sum[x] = sum[x] + entering[x] - leaving[x];
            }
        }
    }
}

// Wide blurs work at a reduced resolution: the result is smooth at that scale anyway, and the
// work shrinks with the square of the reduction. How smooth depends on the passes as well as on
// the box: `passes` boxes of `size` spread a point as far as a bell of deviation
// size * sqrt(passes / 12), and a block spans at most kDeviationPerBlock pixels of it (a block
// per 8 pixels of one box, per 4.6 of three: the blocks' error stays within a few levels).
constexpr double kDeviationPerBlock = 2.3;
constexpr int kMaxReduction = 4;

int reductionFor(double size, int passes)
{
    const double deviation = size * std::sqrt(std::max(1, passes) / 12.0);
    return std::clamp(int(deviation / kDeviationPerBlock), 1, kMaxReduction);
}

// Blurs N planes of one size alike.
template <std::size_t N>
void blurFullResolution(const std::array<Plane*, N>& planes, int width, int height, double bx, double by, int passes)
{
    for (int p = 0; p < passes; ++p) {
        if (bx > 1) boxRows(planes, width, height, bx);
        if (by > 1)
            for (Plane* plane : planes) boxColumns(*plane, width, height, by);
    }
}

// A plane of kx * ky blocks of a width * height one.
struct Reduction {
    int kx, ky, width, height, smallWidth, smallHeight;
    Reduction(int w, int h, double bx, double by, int passes)
        : kx(reductionFor(bx, passes)), ky(reductionFor(by, passes)), width(w), height(h),
          smallWidth((w + kx - 1) / kx), smallHeight((h + ky - 1) / ky)
    {
    }
    bool reduces() const { return kx > 1 || ky > 1; }
};

// The block averages of value(x, y) (N channels at once) into the N `small` planes.
template <std::size_t N, typename Value>
void reduce(const std::array<Plane*, N>& small, const Reduction& r, Value value)
{
    for (Plane* plane : small) std::fill(plane->begin(), plane->end(), 0.0f);
    for (int y = 0; y < r.height; ++y) {
        const std::size_t row = std::size_t(y / r.ky) * std::size_t(r.smallWidth);
        for (int block = 0, x = 0; block < r.smallWidth; ++block) {
            std::array<float, N> sum{};
            for (const int stop = std::min(r.width, x + r.kx); x < stop; ++x) {
                const std::array<float, N> v = value(x, y);
                for (std::size_t c = 0; c < N; ++c) sum[c] += v[c];
            }
            for (std::size_t c = 0; c < N; ++c) (*small[c])[row + std::size_t(block)] += sum[c];
        }
    }
    const float norm = 1.0f / float(r.kx * r.ky);
    for (Plane* plane : small)
        for (float& v : *plane) v *= norm;
}

// Calls storeRow(y, rows) for every full-size row, where rows[c][x] is the bilinear value of
// reduced plane c at pixel x (block centres sit at (i + 0.5) * k). Rows between the same two
// reduced rows share their horizontal interpolation, which is worked out once for them; each
// row is then one loop per plane, which runs on vector registers.
template <std::size_t N, typename StoreRow>
void expand(const Reduction& r, const std::array<const Plane*, N>& planes, StoreRow storeRow)
{
    auto place = [](int i, int k, int size, int& lo, int& hi, float& f) {
        const double u = (i + 0.5) / k - 0.5;
        const double fl = std::floor(u);
        f = float(u - fl);
        lo = std::clamp(int(fl), 0, size - 1);
        hi = std::clamp(int(fl) + 1, 0, size - 1);
    };
    const auto width = std::size_t(r.width);
    std::vector<int> x0(width), x1(width);
    std::vector<float> fx(width);
    for (int x = 0; x < r.width; ++x)
        place(x, r.kx, r.smallWidth, x0[std::size_t(x)], x1[std::size_t(x)], fx[std::size_t(x)]);
    // Per plane: the top row's and the bottom row's horizontal interpolation.
    std::vector<float> across(2 * N * width);
    std::vector<float> rows(N * width);
    std::array<const float*, N> out;
    for (std::size_t c = 0; c < N; ++c) out[c] = rows.data() + c * width;
    int cachedTop = -1, cachedBottom = -1;
    for (int y = 0; y < r.height; ++y) {
        int y0 = 0, y1 = 0;
        float fy = 0;
        place(y, r.ky, r.smallHeight, y0, y1, fy);
        if (y0 != cachedTop || y1 != cachedBottom) {
            const std::size_t top = std::size_t(y0) * std::size_t(r.smallWidth);
            const std::size_t bottom = std::size_t(y1) * std::size_t(r.smallWidth);
            for (std::size_t c = 0; c < N; ++c) {
                const Plane& p = *planes[c];
                float* t = across.data() + 2 * c * width;
                float* u = t + width;
                for (std::size_t x = 0; x < width; ++x) {
                    const std::size_t a = std::size_t(x0[x]), b = std::size_t(x1[x]);
                    const float f = fx[x];
                    t[x] = p[top + a] + (p[top + b] - p[top + a]) * f;
                    u[x] = p[bottom + a] + (p[bottom + b] - p[bottom + a]) * f;
                }
            }
            cachedTop = y0, cachedBottom = y1;
        }
        for (std::size_t c = 0; c < N; ++c) {
            const float* t = across.data() + 2 * c * width;
            const float* u = t + width;
            float* row = rows.data() + c * width;
            for (std::size_t x = 0; x < width; ++x) row[x] = t[x] + (u[x] - t[x]) * fy;
        }
        storeRow(y, out);
    }
}

// Channel values (0..255 as floats) rounded to levels and packed as premultiplied pixels whose
// colour never exceeds their alpha. Rounding (x + 0.5, cut) never reverses an order, so a colour
// capped at its alpha before rounding rounds to the smaller of the two levels: float minima and
// maxima only, which vector registers do for four pixels at once where the processor has them.
void packRow(const float* red, const float* green, const float* blue, const float* alpha, QRgb* out, int n)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    auto clampedAt = [&](const float* p) { return _mm_min_ps(_mm_max_ps(_mm_loadu_ps(p), zero), top); };
    auto levels = [&](__m128 v) { return _mm_cvttps_epi32(_mm_add_ps(v, half)); };
    for (; x + 4 <= n; x += 4) {
        const __m128 a = clampedAt(alpha + x);
        const __m128i high = _mm_or_si128(_mm_slli_epi32(levels(a), 24),
                                          _mm_slli_epi32(levels(_mm_min_ps(clampedAt(red + x), a)), 16));
        const __m128i low = _mm_or_si128(_mm_slli_epi32(levels(_mm_min_ps(clampedAt(green + x), a)), 8),
                                         levels(_mm_min_ps(clampedAt(blue + x), a)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(high, low));
    }
#endif
    auto clamped = [](float v) { return std::min(std::max(v, 0.0f), 255.0f); };
    auto level = [](float v) { return QRgb(std::int32_t(v + 0.5f)); };
    for (; x < n; ++x) {
        const float a = clamped(alpha[x]);
        out[x] = level(a) << 24 | level(std::min(clamped(red[x]), a)) << 16 | level(std::min(clamped(green[x]), a)) << 8 |
                 level(std::min(clamped(blue[x]), a));
    }
}

void blurPlane(Plane& plane, int width, int height, double bx, double by, int passes)
{
    bx = std::min(bx, kMaxBlur), by = std::min(by, kMaxBlur);
    if (width <= 0 || height <= 0) return;
    passes = std::clamp(passes, 1, 15);
    const Reduction r(width, height, bx, by, passes);
    if (!r.reduces()) {
        blurFullResolution(std::array<Plane*, 1>{&plane}, width, height, bx, by, passes);
        return;
    }
    // Large boxes: blur the block averages with boxes scaled down alike and sample them back.
    Plane small(plane.memory(), std::size_t(r.smallWidth) * std::size_t(r.smallHeight));
    reduce(std::array<Plane*, 1>{&small}, r, [&](int x, int y) {
        return std::array<float, 1>{plane[std::size_t(y) * std::size_t(width) + std::size_t(x)]};
    });
    blurFullResolution(std::array<Plane*, 1>{&small}, r.smallWidth, r.smallHeight, bx / r.kx, by / r.ky, passes);
    expand(r, std::array<const Plane*, 1>{&small}, [&](int y, const std::array<const float*, 1>& row) {
        std::copy_n(row[0], width, plane.data() + std::size_t(y) * std::size_t(width));
    });
}

Plane alphaPlane(const QImage& image, FilterMemory& memory)
{
    const int w = image.width(), h = image.height();
    Plane plane(memory, std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        float* out = plane.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x) out[x] = qAlpha(row[x]) / 255.0f;
    }
    return plane;
}

// The plane moved by (dx, dy) pixels (bilinear for fractional shifts), zero where it has no data.
Plane shifted(const Plane& plane, int width, int height, double dx, double dy)
{
    Plane out(plane.memory(), plane.size());
    if (dx == 0 && dy == 0) {
        std::copy_n(plane.data(), plane.size(), out.data());
        return out;
    }
    const int ix = int(std::floor(dx)), iy = int(std::floor(dy));
    const float fx = float(dx - ix), fy = float(dy - iy);
    auto at = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height ? plane[std::size_t(y) * width + x] : 0.0f;
    };
    auto sample = [&](int x, int y) {
        const int sx = x - ix, sy = y - iy;
        return at(sx, sy) * (1 - fx) * (1 - fy) + at(sx - 1, sy) * fx * (1 - fy) + at(sx, sy - 1) * (1 - fx) * fy +
               at(sx - 1, sy - 1) * fx * fy;
    };
    // Where all four samples lie inside the plane they are read directly (the same sum).
    const int innerFrom = std::clamp(ix + 1, 0, width), innerTo = std::clamp(width + ix, innerFrom, width);
    for (int y = 0; y < height; ++y) {
        float* row = out.data() + std::size_t(y) * width;
        const int sy = y - iy;
        if (sy < 1 || sy >= height) {
            for (int x = 0; x < width; ++x) row[x] = sample(x, y);
            continue;
        }
        const float* here = plane.data() + std::size_t(sy) * std::size_t(width);
        const float* above = here - width;
        for (int x = 0; x < innerFrom; ++x) row[x] = sample(x, y);
        for (int x = innerFrom; x < innerTo; ++x) {
            const int sx = x - ix;
            row[x] = here[sx] * (1 - fx) * (1 - fy) + here[sx - 1] * fx * (1 - fy) + above[sx] * (1 - fx) * fy +
                     above[sx - 1] * fx * fy;
        }
        for (int x = innerTo; x < width; ++x) row[x] = sample(x, y);
    }
    return out;
}

struct PlaneColor {
    const Plane* plane;
    Rgba color;
};

// Composites tinted planes with the source: `below` planes go under the object, `above` over
// it; inner planes are masked by the object's alpha; knockout drops the object itself.
void compositePlanes(QImage& image, const std::vector<PlaneColor>& planes, bool inner, bool knockout, bool onTop)
{
    // The planes' colours as floats, worked out once rather than per pixel.
    struct Tint {
        const float* values;
        float r, g, b, a;
    };
    std::vector<Tint> tints;
    for (const PlaneColor& pc : planes)
        tints.push_back({pc.plane->data(), pc.color.r / 255.0f, pc.color.g / 255.0f, pc.color.b / 255.0f,
                         pc.color.a / 255.0f});
    const int w = image.width(), h = image.height();
    if (tints.size() == 1 && !inner && !knockout && !onTop) {
        // One outer plane (a glow, a drop shadow) under the object: the general case below with
        // the terms of the absent planes, which add nothing, left out.
        const Tint& t = tints.front();
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            const float* values = t.values + std::size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                const QRgb src = row[x];
                if (qAlpha(src) == 255 || !(values[x] > 0)) continue;
                const float sa = qAlpha(src) / 255.0f;
                const float v = std::clamp(values[x], 0.0f, 1.0f) * t.a;
                const float er = t.r * v, eg = t.g * v, eb = t.b * v, ea = v;
                const float r = qRed(src) / 255.0f + er * (1 - sa), g = qGreen(src) / 255.0f + eg * (1 - sa),
                            b = qBlue(src) / 255.0f + eb * (1 - sa), a = sa + ea * (1 - sa);
                row[x] = qRgba(clamp255(r * 255), clamp255(g * 255), clamp255(b * 255), clamp255(a * 255));
            }
        }
        return;
    }
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * w + x;
            const QRgb src = row[x];
            if (!knockout) {
                // Where no plane reaches, or an outer effect lies under an opaque pixel, the
                // object's pixel stays as it is.
                if (!inner && !onTop && qAlpha(src) == 255) continue;
                bool reached = false;
                for (const Tint& t : tints) reached = reached || t.values[i] > 0;
                if (!reached) continue;
            }
            const float sa = qAlpha(src) / 255.0f;
            // The effect colour, premultiplied, as floats.
            float er = 0, eg = 0, eb = 0, ea = 0;
            for (const Tint& t : tints) {
                float v = std::clamp(t.values[i], 0.0f, 1.0f) * t.a;
                if (inner) v *= sa;
                // Over-composite the planes on each other.
                er = t.r * v + er * (1 - v);
                eg = t.g * v + eg * (1 - v);
                eb = t.b * v + eb * (1 - v);
                ea = v + ea * (1 - v);
            }
            float r = qRed(src) / 255.0f, g = qGreen(src) / 255.0f, b = qBlue(src) / 255.0f, a = sa;
            if (knockout) {
                if (inner) {
                    r = er, g = eg, b = eb, a = ea;
                } else {
                    // Outer effect with the object cut out.
                    r = er * (1 - sa), g = eg * (1 - sa), b = eb * (1 - sa), a = ea * (1 - sa);
                }
            } else if (inner || onTop) {
                r = er + r * (1 - ea), g = eg + g * (1 - ea), b = eb + b * (1 - ea), a = ea + a * (1 - ea);
                if (inner) a = sa;  // inside the object only
            } else {
                r = r + er * (1 - sa), g = g + eg * (1 - sa), b = b + eb * (1 - sa), a = sa + ea * (1 - sa);
            }
            row[x] = qRgba(clamp255(r * 255), clamp255(g * 255), clamp255(b * 255), clamp255(a * 255));
        }
    }
}

void scalePlane(Plane& plane, double strength)
{
    for (float& v : plane) v = std::min(1.0f, float(v * strength));
}

void dropShadow(QImage& image, Rgba color, double bx, double by, int passes, double angle, double distance,
                double strength, bool inner, bool knockout, FilterMemory& memory)
{
    const int w = image.width(), h = image.height();
    Plane plane = alphaPlane(image, memory);
    if (inner)
        for (float& v : plane) v = 1 - v;  // the shadow falls from outside into the object
    blurPlane(plane, w, h, bx, by, passes);
    plane = shifted(plane, w, h, std::cos(angle) * distance, std::sin(angle) * distance);
    scalePlane(plane, strength);
    compositePlanes(image, {{&plane, color}}, inner, knockout, false);
}

void bevel(QImage& image, const BevelFilter& f, double scale, FilterMemory& memory)
{
    const int w = image.width(), h = image.height();
    Plane plane = alphaPlane(image, memory);
    blurPlane(plane, w, h, f.blurX * scale, f.blurY * scale, f.passes);
    const double dx = std::cos(f.angle) * f.distance * scale, dy = std::sin(f.angle) * f.distance * scale;
    const Plane towards = shifted(plane, w, h, dx, dy), away = shifted(plane, w, h, -dx, -dy);
    Plane light(memory, plane.size()), dark(memory, plane.size());
    for (std::size_t i = 0; i < plane.size(); ++i) {
        const float d = away[i] - towards[i];
        light[i] = std::clamp(float(d * f.strength), 0.0f, 1.0f);
        dark[i] = std::clamp(float(-d * f.strength), 0.0f, 1.0f);
    }
    compositePlanes(image, {{&dark, f.shadow}, {&light, f.highlight}}, f.inner, f.knockout, f.onTop);
}

Rgba gradientAt(const GradientFilter& f, float v)
{
    const std::size_t n = std::min(f.colors.size(), f.ratios.size());
    if (n == 0) return {0, 0, 0, 0};
    const double r = v * 255;
    if (r <= f.ratios[0]) return f.colors[0];
    for (std::size_t i = 1; i < n; ++i) {
        if (r > f.ratios[i]) continue;
        const double span = f.ratios[i] - f.ratios[i - 1];
        const double t = span > 0 ? (r - f.ratios[i - 1]) / span : 1;
        auto mix = [t](std::uint8_t a, std::uint8_t b) { return std::uint8_t(std::lround(a + (b - a) * t)); };
        const Rgba& a = f.colors[i - 1];
        const Rgba& b = f.colors[i];
        return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
    }
    return f.colors[n - 1];
}

void gradientEffect(QImage& image, const GradientFilter& f, double scale, FilterMemory& memory)
{
    const int w = image.width(), h = image.height();
    Plane plane = alphaPlane(image, memory);
    blurPlane(plane, w, h, f.blurX * scale, f.blurY * scale, f.passes);
    const double dx = std::cos(f.angle) * f.distance * scale, dy = std::sin(f.angle) * f.distance * scale;
    Plane value(memory, f.bevel ? plane.size() : 0);
    if (f.bevel) {
        const Plane towards = shifted(plane, w, h, dx, dy), away = shifted(plane, w, h, -dx, -dy);
        // 0.5 is the flat middle of a gradient bevel; light and shadow sit at its two ends.
        for (std::size_t i = 0; i < plane.size(); ++i)
            value[i] = std::clamp(0.5f + float((away[i] - towards[i]) * f.strength) / 2, 0.0f, 1.0f);
    } else {
        value = shifted(plane, w, h, dx, dy);
        scalePlane(value, f.strength);
    }
    QImage effect(image.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(effect.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const Rgba c = gradientAt(f, value[std::size_t(y) * w + x]);
            row[x] = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
        }
    }
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* eff = reinterpret_cast<const QRgb*>(effect.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb s = row[x];
            QRgb e = eff[x];
            const int sa = qAlpha(s);
            if (f.inner) e = qRgba(qRed(e) * sa / 255, qGreen(e) * sa / 255, qBlue(e) * sa / 255, qAlpha(e) * sa / 255);
            const int ea = qAlpha(e);
            if (f.knockout) {
                row[x] = f.inner ? e : qRgba(qRed(e) * (255 - sa) / 255, qGreen(e) * (255 - sa) / 255,
                                             qBlue(e) * (255 - sa) / 255, ea * (255 - sa) / 255);
            } else if (f.inner || f.onTop) {
                row[x] = qRgba(qRed(e) + qRed(s) * (255 - ea) / 255, qGreen(e) + qGreen(s) * (255 - ea) / 255,
                               qBlue(e) + qBlue(s) * (255 - ea) / 255, f.inner ? sa : ea + sa * (255 - ea) / 255);
            } else {
                row[x] = qRgba(qRed(s) + qRed(e) * (255 - sa) / 255, qGreen(s) + qGreen(e) * (255 - sa) / 255,
                               qBlue(s) + qBlue(e) * (255 - sa) / 255, sa + ea * (255 - sa) / 255);
            }
        }
    }
}

void colorMatrix(QImage& image, const ColorMatrixFilter& f)
{
    const auto& m = f.matrix;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb u = qUnpremultiply(row[x]);
            const double r = qRed(u), g = qGreen(u), b = qBlue(u), a = qAlpha(u);
            const int nr = clamp255(m[0] * r + m[1] * g + m[2] * b + m[3] * a + m[4]);
            const int ng = clamp255(m[5] * r + m[6] * g + m[7] * b + m[8] * a + m[9]);
            const int nb = clamp255(m[10] * r + m[11] * g + m[12] * b + m[13] * a + m[14]);
            const int na = clamp255(m[15] * r + m[16] * g + m[17] * b + m[18] * a + m[19]);
            row[x] = qPremultiply(qRgba(nr, ng, nb, na));
        }
    }
}

void convolution(QImage& image, const ConvolutionFilter& f)
{
    if (f.columns <= 0 || f.rows <= 0 || f.matrix.size() < std::size_t(f.columns) * f.rows) return;
    const double divisor = f.divisor != 0 ? f.divisor : 1;
    const QImage src = image.copy();
    const int w = src.width(), h = src.height();
    const QRgb outside = qRgba(f.defaultColor.r, f.defaultColor.g, f.defaultColor.b, f.defaultColor.a);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double sr = 0, sg = 0, sb = 0, sa = 0;
            for (int j = 0; j < f.rows; ++j)
                for (int i = 0; i < f.columns; ++i) {
                    int px = x + i - f.columns / 2, py = y + j - f.rows / 2;
                    QRgb p;
                    if (px < 0 || py < 0 || px >= w || py >= h) {
                        if (!f.clamp) {
                            p = outside;
                        } else {
                            px = std::clamp(px, 0, w - 1), py = std::clamp(py, 0, h - 1);
                            p = qUnpremultiply(reinterpret_cast<const QRgb*>(src.constScanLine(py))[px]);
                        }
                    } else {
                        p = qUnpremultiply(reinterpret_cast<const QRgb*>(src.constScanLine(py))[px]);
                    }
                    const double k = f.matrix[std::size_t(j) * f.columns + i];
                    sr += qRed(p) * k, sg += qGreen(p) * k, sb += qBlue(p) * k, sa += qAlpha(p) * k;
                }
            const QRgb own = qUnpremultiply(row[x]);
            const int na = f.preserveAlpha ? qAlpha(own) : clamp255(sa / divisor + f.bias);
            row[x] = qPremultiply(qRgba(clamp255(sr / divisor + f.bias), clamp255(sg / divisor + f.bias),
                                        clamp255(sb / divisor + f.bias), na));
        }
    }
}

// Separable blend on unpremultiplied channels in 0..1.
double blendChannel(BlendMode mode, double c, double b)
{
    switch (mode) {
    case BlendMode::Subtract: return std::max(b - c, 0.0);
    case BlendMode::Invert: return 1 - b;
    default: return c;
    }
}

}  // namespace

std::vector<float> FilterMemory::take(std::size_t size)
{
    // The smallest free buffer that holds `size` values, else the largest (it grows once).
    const std::size_t none = free_.size();
    std::size_t pick = none;
    for (std::size_t i = 0; i < free_.size(); ++i)
        if (free_[i].capacity() >= size && (pick == none || free_[i].capacity() < free_[pick].capacity())) pick = i;
    if (pick == none)
        for (std::size_t i = 0; i < free_.size(); ++i)
            if (pick == none || free_[i].capacity() > free_[pick].capacity()) pick = i;
    std::vector<float> plane;
    if (pick != none) {
        plane = std::move(free_[pick]);
        free_[pick] = std::move(free_.back());
        free_.pop_back();
    }
    // Only growth writes (zeros): planes are written whole by their users, and clearing
    // frame-sized planes on every filter would cost more than some filters do.
    if (plane.size() < size) plane.resize(size);
    return plane;
}

void FilterMemory::give(std::vector<float> plane)
{
    // A handful of planes covers the filters; beyond that the memory goes back.
    constexpr std::size_t kKeptPlanes = 8;
    if (free_.size() < kKeptPlanes && plane.capacity() > 0) free_.push_back(std::move(plane));
}

void boxBlur(QImage& image, double blurX, double blurY, int passes, FilterMemory& memory)
{
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0) return;
    blurX = std::min(blurX, kMaxBlur), blurY = std::min(blurY, kMaxBlur);
    passes = std::clamp(passes, 1, 15);
    QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
    const std::size_t stride = std::size_t(image.bytesPerLine() / 4);
    auto pixel = [&](int x, int y) { return bits[std::size_t(y) * stride + std::size_t(x)]; };
    const Reduction reduction(w, h, blurX, blurY, passes);
    std::vector<Plane> channels;
    if (reduction.reduces()) {
        // Large boxes: the channels go straight to block averages and come straight back.
        const int sw = reduction.smallWidth, sh = reduction.smallHeight;
        for (int c = 0; c < 4; ++c) channels.emplace_back(memory, std::size_t(sw) * std::size_t(sh));
        reduce(std::array<Plane*, 4>{&channels[0], &channels[1], &channels[2], &channels[3]}, reduction,
               [&](int x, int y) {
                   const QRgb p = pixel(x, y);
                   return std::array<float, 4>{float(qRed(p)), float(qGreen(p)), float(qBlue(p)), float(qAlpha(p))};
               });
        blurFullResolution(std::array<Plane*, 4>{&channels[0], &channels[1], &channels[2], &channels[3]}, sw, sh,
                           blurX / reduction.kx, blurY / reduction.ky, passes);
        expand(reduction, std::array<const Plane*, 4>{&channels[0], &channels[1], &channels[2], &channels[3]},
               [&](int y, const std::array<const float*, 4>& rows) {
                   packRow(rows[0], rows[1], rows[2], rows[3], bits + std::size_t(y) * stride, w);
               });
        return;
    }
    for (int c = 0; c < 4; ++c) channels.emplace_back(memory, std::size_t(w) * h);
    float* const red = channels[0].data();
    float* const green = channels[1].data();
    float* const blue = channels[2].data();
    float* const alpha = channels[3].data();
    for (int y = 0; y < h; ++y) {
        const QRgb* row = bits + std::size_t(y) * stride;
        const std::size_t at = std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x) {
            const QRgb p = row[x];
            red[at + x] = float(qRed(p)), green[at + x] = float(qGreen(p));
            blue[at + x] = float(qBlue(p)), alpha[at + x] = float(qAlpha(p));
        }
    }
    blurFullResolution(std::array<Plane*, 4>{&channels[0], &channels[1], &channels[2], &channels[3]}, w, h, blurX, blurY,
                       passes);
    for (int y = 0; y < h; ++y) {
        const std::size_t at = std::size_t(y) * std::size_t(w);
        packRow(red + at, green + at, blue + at, alpha + at, bits + std::size_t(y) * stride, w);
    }
}

void applyFilters(QImage& image, const std::vector<Filter>& filters, double scale, FilterMemory& memory)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    for (const Filter& filter : filters) {
        std::visit(
            [&](const auto& f) {
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, BlurFilter>) {
                    boxBlur(image, f.blurX * scale, f.blurY * scale, f.passes, memory);
                } else if constexpr (std::is_same_v<T, DropShadowFilter>) {
                    dropShadow(image, f.color, f.blurX * scale, f.blurY * scale, f.passes, f.angle, f.distance * scale,
                               f.strength, f.inner, f.knockout, memory);
                } else if constexpr (std::is_same_v<T, GlowFilter>) {
                    dropShadow(image, f.color, f.blurX * scale, f.blurY * scale, f.passes, 0, 0, f.strength, f.inner,
                               f.knockout, memory);
                } else if constexpr (std::is_same_v<T, BevelFilter>) {
                    bevel(image, f, scale, memory);
                } else if constexpr (std::is_same_v<T, GradientFilter>) {
                    gradientEffect(image, f, scale, memory);
                } else if constexpr (std::is_same_v<T, ConvolutionFilter>) {
                    convolution(image, f);
                } else if constexpr (std::is_same_v<T, ColorMatrixFilter>) {
                    colorMatrix(image, f);
                }
            },
            filter);
    }
}

void blendLayer(QImage& backdrop, const QImage& layer, QPoint offset, BlendMode mode)
{
    const QRect area = QRect(offset, layer.size()).intersected(backdrop.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* dst = reinterpret_cast<QRgb*>(backdrop.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y - offset.y()));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb s = src[x - offset.x()];
            const int sa = qAlpha(s);
            if (sa == 0) continue;
            const QRgb d = dst[x];
            const double as = sa / 255.0, ab = qAlpha(d) / 255.0;
            const QRgb su = qUnpremultiply(s), du = qUnpremultiply(d);
            // co = cs(1-ab) + cb(1-as) + as*ab*B(Cs, Cb), all premultiplied; invert ignores the
            // object's colour, so its own contribution where the backdrop is empty is nothing.
            auto channel = [&](int cs, int cb, int csu, int cbu) {
                const double blended = blendChannel(mode, csu / 255.0, cbu / 255.0);
                const double own = mode == BlendMode::Invert ? 0 : cs / 255.0 * (1 - ab);
                return clamp255((own + cb / 255.0 * (1 - as) + as * ab * blended) * 255);
            };
            const int a = mode == BlendMode::Invert ? qAlpha(d) : clamp255((as + ab - as * ab) * 255);
            dst[x] = qRgba(std::min(a, channel(qRed(s), qRed(d), qRed(su), qRed(du))),
                           std::min(a, channel(qGreen(s), qGreen(d), qGreen(su), qGreen(du))),
                           std::min(a, channel(qBlue(s), qBlue(d), qBlue(su), qBlue(du))), a);
        }
    }
}

}  // namespace swf::render
