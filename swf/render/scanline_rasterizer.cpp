#include "swf/render/scanline_rasterizer.h"

#include <algorithm>
#include <cmath>

#include "swf/render/pixel_ops.h"
#include "swf/render/span_paint.h"

namespace swf::render {

namespace {

constexpr int kSubScanlines = 4;
constexpr int kSubScanlineShift = 2;  // log2(kSubScanlines)
// Curves are cut into at most this many lines, however large they are drawn.
constexpr int kMaxCurveSegments = 512;
// Runs are fetched and painted in pieces of this many pixels.
constexpr int kRunPiece = 256;

bool finite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

int segmentsFor(double deviation)
{
    if (!(deviation > 0)) return 1;
    const double n = std::ceil(std::sqrt(deviation / ScanlineRasterizer::kFlatness));
    return n >= kMaxCurveSegments ? kMaxCurveSegments : std::max(1, int(n));
}

double length(QPointF p) { return std::hypot(p.x(), p.y()); }

}  // namespace

RasterTarget RasterTarget::of(QImage& image)
{
    RasterTarget target;
    if (image.isNull() || (image.format() != QImage::Format_ARGB32_Premultiplied &&
                           image.format() != QImage::Format_RGB32))
        return target;
    target.pixels = reinterpret_cast<std::uint32_t*>(image.bits());
    target.stride = int(image.bytesPerLine() / 4);
    target.width = image.width();
    target.height = image.height();
    return target;
}

void ScanlineRasterizer::reset() { edges_.clear(); }

void ScanlineRasterizer::addLine(QPointF a, QPointF b, int left, int right)
{
    if (a.y() == b.y() || !finite(a) || !finite(b) || left == right) return;
    Edge e{};
    e.left = left, e.right = right;
    e.dir = 1;
    if (a.y() > b.y()) {
        std::swap(a, b);
        e.dir = -1;
    }
    e.x0 = a.x(), e.y0 = a.y(), e.y1 = b.y();
    e.slope = (b.x() - a.x()) / (b.y() - a.y());
    if (!std::isfinite(e.slope)) return;
    if (edges_.empty()) {
        minY_ = e.y0, maxY_ = e.y1;
    } else {
        minY_ = std::min(minY_, e.y0), maxY_ = std::max(maxY_, e.y1);
    }
    edges_.push_back(e);
}

void ScanlineRasterizer::addQuad(QPointF a, QPointF control, QPointF b, int left, int right)
{
    // A quadratic's distance from its chords of parameter step h is at most |a - 2c + b| h^2 / 4.
    const int n = segmentsFor(length(a - 2 * control + b) / 4);
    QPointF previous = a;
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        const QPointF p = s * s * a + 2 * s * t * control + t * t * b;
        addLine(previous, p, left, right);
        previous = p;
    }
    addLine(previous, b, left, right);
}

void ScanlineRasterizer::addCubic(QPointF a, QPointF c1, QPointF c2, QPointF b, int left, int right)
{
    // For a cubic the bound is 3/4 of the larger second difference of its control points, times h^2.
    const double dd = std::max(length(a - 2 * c1 + c2), length(c1 - 2 * c2 + b));
    const int n = segmentsFor(dd * 0.75);
    QPointF previous = a;
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        const QPointF p = s * s * s * a + 3 * s * s * t * c1 + 3 * s * t * t * c2 + t * t * t * b;
        addLine(previous, p, left, right);
        previous = p;
    }
    addLine(previous, b, left, right);
}

void ScanlineRasterizer::addPath(const QPainterPath& path, const QTransform& transform, int style)
{
    const int count = path.elementCount();
    QPointF start, current;
    bool open = false;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p = transform.map(QPointF(e.x, e.y));
        if (e.isMoveTo()) {
            if (open) addLine(current, start, kNoStyle, style);
            start = current = p;
            open = true;
        } else if (e.isLineTo()) {
            addLine(current, p, kNoStyle, style);
            current = p;
        } else if (e.isCurveTo() && i + 2 < count) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
            const QPointF q2 = transform.map(QPointF(c2.x, c2.y)), end = transform.map(QPointF(to.x, to.y));
            addCubic(current, p, q2, end, kNoStyle, style);
            current = end;
            i += 2;
        }
    }
    if (open) addLine(current, start, kNoStyle, style);
}

void ScanlineRasterizer::toggle(std::int32_t style, std::int32_t delta)
{
    if (style < 0) return;
    std::int32_t& w = winding_[std::size_t(style)];
    const bool was = rule_ == FillRule::NonZero ? w != 0 : (w & 1) != 0;
    w += delta;
    const bool is = rule_ == FillRule::NonZero ? w != 0 : (w & 1) != 0;
    if (was == is) return;
    if (is) {
        winners_.push_back(style);
    } else {
        auto it = std::find(winners_.begin(), winners_.end(), style);
        if (it != winners_.end()) {
            *it = winners_.back();
            winners_.pop_back();
        }
    }
}

std::int32_t ScanlineRasterizer::topStyle() const
{
    if (winners_.empty()) return kNoStyle;
    std::int32_t best = winners_.front();
    for (std::size_t i = 1; i < winners_.size(); ++i) {
        const std::int32_t s = winners_[i];
        const bool higher = rank_.empty() ? s > best : rank_[std::size_t(s)] > rank_[std::size_t(best)];
        if (higher) best = s;
    }
    return best;
}

void ScanlineRasterizer::sweepSubScanline(double ys, int clipLeft, int clipRight, bool antialias)
{
    crossings_.clear();
    const double left = clipLeft, right = clipRight;
    for (std::uint32_t index : active_) {
        const Edge& e = edges_[index];
        if (!(e.y0 <= ys && ys < e.y1)) continue;
        double x = e.x0 + (ys - e.y0) * e.slope;
        // Crossings outside the clip still count for the winding; they only move to its border.
        x = x < left ? left : x > right ? right : x;
        const std::int64_t fixed = antialias ? std::int64_t(x * 256) : std::int64_t(std::ceil(x - 0.5)) * 256;
        crossings_.push_back(std::uint64_t(fixed) << 32 | index);
    }
    if (crossings_.size() < 2) return;
    std::sort(crossings_.begin(), crossings_.end());

    std::int32_t current = kNoStyle;
    std::uint64_t spanStart = 0;
    for (std::uint64_t c : crossings_) {
        const Edge& e = edges_[std::uint32_t(c)];
        toggle(e.right, e.dir);
        toggle(e.left, -e.dir);
        const std::int32_t top = topStyle();
        if (top == current) continue;
        const std::uint64_t x = c >> 32;
        if (current != kNoStyle && x > spanStart) {
            events_.push_back(std::uint64_t(current) << 40 | spanStart << 1 | 1);
            events_.push_back(std::uint64_t(current) << 40 | x << 1);
        }
        current = top;
        spanStart = x;
    }
    // Malformed outlines may leave windings behind; each sub-scanline starts afresh.
    for (std::uint64_t c : crossings_) {
        const Edge& e = edges_[std::uint32_t(c)];
        if (e.left >= 0) winding_[std::size_t(e.left)] = 0;
        if (e.right >= 0) winding_[std::size_t(e.right)] = 0;
    }
    winners_.clear();
}

void ScanlineRasterizer::fill(const RasterTarget& target, QRect clip, FillRule rule, bool antialias,
                              std::span<const SpanPaint* const> paints, std::span<const int> rank)
{
    clip = clip.intersected(QRect(0, 0, target.width, target.height));
    if (!target.valid() || clip.isEmpty() || edges_.empty() || paints.empty()) return;
    if (!(maxY_ > clip.top()) || !(minY_ < clip.bottom() + 1)) return;
    target_ = target;
    rule_ = rule;
    paints_ = paints;
    rank_ = rank.size() >= paints.size() ? rank : std::span<const int>();
    const int subScanlines = antialias ? kSubScanlines : 1;
    coverageShift_ = 8 + (antialias ? kSubScanlineShift : 0);
    fullCoverage_ = 1 << coverageShift_;
    winding_.assign(paints.size(), 0);
    winners_.clear();
    // Edges naming a style without a paint entry take part as having no style there.
    for (Edge& e : edges_) {
        if (e.left >= std::int32_t(paints.size())) e.left = kNoStyle;
        if (e.right >= std::int32_t(paints.size())) e.right = kNoStyle;
    }

    order_.resize(edges_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) { return edges_[a].y0 < edges_[b].y0; });
    active_.clear();
    const int clipLeft = clip.left(), clipRight = clip.right() + 1;
    const int firstRow = std::max(clip.top(), int(std::floor(std::max(minY_, double(clip.top())))));
    const int endRow = std::min(clip.bottom() + 1, int(std::ceil(std::min(maxY_, double(clip.bottom() + 1)))));
    if (accum_.size() < std::size_t(target.width) * 4) accum_.assign(std::size_t(target.width) * 4, 0);
    colors_.resize(kRunPiece);
    accumLeft_ = target.width, accumRight_ = -1;

    std::size_t nextEdge = 0;
    for (int y = firstRow; y < endRow; ++y) {
        while (nextEdge < order_.size() && edges_[order_[nextEdge]].y0 < y + 1) {
            if (edges_[order_[nextEdge]].y1 > y) active_.push_back(order_[nextEdge]);
            ++nextEdge;
        }
        std::erase_if(active_, [&](std::uint32_t i) { return edges_[i].y1 <= y; });
        if (active_.empty()) {
            if (nextEdge == order_.size()) break;
            continue;
        }
        events_.clear();
        for (int s = 0; s < subScanlines; ++s)
            sweepSubScanline(y + (s + 0.5) / subScanlines, clipLeft, clipRight, antialias);
        if (!events_.empty()) paintRow(y, clipLeft, clipRight);
    }
}

void ScanlineRasterizer::paintRow(int y, int clipLeft, int clipRight)
{
    std::sort(events_.begin(), events_.end());
    std::size_t i = 0;
    const std::size_t count = events_.size();
    while (i < count) {
        const int style = int(events_[i] >> 40);
        // The sub-scanlines of this style that cover the sweep position, and the coverage of
        // the pixel under it in 1/256 pixel per sub-scanline.
        int covering = 0;
        while (i < count && int(events_[i] >> 40) == style) {
            const int x = int((events_[i] >> 1) & 0x7fffffffu) ;
            const int pixel = x >> 8;
            int coverage = covering * 256;
            while (i < count && int(events_[i] >> 40) == style && int((events_[i] >> 1) & 0x7fffffffu) >> 8 == pixel) {
                const int position = int((events_[i] >> 1) & 0x7fffffffu);
                const int sign = (events_[i] & 1) ? 1 : -1;
                coverage += sign * (256 - (position & 255));
                covering += sign;
                ++i;
            }
            if (pixel < clipRight && coverage > 0) paintRun(style, y, pixel, 1, coverage);
            const bool more = i < count && int(events_[i] >> 40) == style;
            const int next = more ? int((events_[i] >> 1) & 0x7fffffffu) >> 8 : clipRight;
            const int from = std::max(pixel + 1, clipLeft), to = std::min(next, clipRight);
            if (covering > 0 && from < to) paintRun(style, y, from, to - from, covering * 256);
        }
    }
    compositeRow(y);
}

void ScanlineRasterizer::paintRun(int style, int y, int x, int n, int coverage)
{
    const SpanPaint* paint = paints_[std::size_t(style)];
    if (!paint || paint->invisible()) return;
    coverage = std::min(coverage, fullCoverage_);
    std::uint32_t* row = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    if (coverage == fullCoverage_) {
        // Nothing else covers any part of these pixels: paint them straight away.
        std::uint32_t* out = row + x;
        if (paint->isSolid()) {
            const std::uint32_t c = paint->color();
            if (paint->opaque()) {
                std::fill_n(out, n, c);
            } else {
                const std::uint32_t inverse = 255 - (c >> 24);
                for (int i = 0; i < n; ++i) out[i] = c + byteMul(out[i], inverse);
            }
            return;
        }
        for (int done = 0; done < n; done += kRunPiece) {
            const int piece = std::min(kRunPiece, n - done);
            paint->fetch(x + done, y, piece, colors_.data());
            if (paint->opaque()) {
                std::copy_n(colors_.data(), piece, out + done);
            } else {
                for (int i = 0; i < piece; ++i) out[done + i] = sourceOver(colors_[std::size_t(i)], out[done + i]);
            }
        }
        return;
    }
    // Shared pixels: add this style's colour times its coverage; compositeRow() lays them down.
    accumLeft_ = std::min(accumLeft_, x);
    accumRight_ = std::max(accumRight_, x + n - 1);
    const auto add = [&](std::uint32_t* a, std::uint32_t c) {
        const auto w = std::uint32_t(coverage);
        a[0] += (c & 0xff) * w;
        a[1] += ((c >> 8) & 0xff) * w;
        a[2] += ((c >> 16) & 0xff) * w;
        a[3] += (c >> 24) * w;
    };
    std::uint32_t* a = accum_.data() + std::size_t(x) * 4;
    if (paint->isSolid()) {
        for (int i = 0; i < n; ++i) add(a + std::size_t(i) * 4, paint->color());
        return;
    }
    for (int done = 0; done < n; done += kRunPiece) {
        const int piece = std::min(kRunPiece, n - done);
        paint->fetch(x + done, y, piece, colors_.data());
        for (int i = 0; i < piece; ++i) add(a + std::size_t(done + i) * 4, colors_[std::size_t(i)]);
    }
}

void ScanlineRasterizer::compositeRow(int y)
{
    if (accumRight_ < accumLeft_) return;
    std::uint32_t* row = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    const std::uint32_t half = std::uint32_t(fullCoverage_ / 2);
    const int shift = coverageShift_;
    for (int x = accumLeft_; x <= accumRight_; ++x) {
        std::uint32_t* a = accum_.data() + std::size_t(x) * 4;
        if (a[3] == 0 && a[0] == 0 && a[1] == 0 && a[2] == 0) continue;
        auto channel = [&](int i) { return std::min<std::uint32_t>(255, (a[i] + half) >> shift); };
        const std::uint32_t src = channel(3) << 24 | channel(2) << 16 | channel(1) << 8 | channel(0);
        row[x] = sourceOver(src, row[x]);
        a[0] = a[1] = a[2] = a[3] = 0;
    }
    accumLeft_ = target_.width, accumRight_ = -1;
}

}  // namespace swf::render
