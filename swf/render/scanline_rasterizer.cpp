#include "swf/render/scanline_rasterizer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "swf/render/pixel_ops.h"
#include "swf/render/span_paint.h"

namespace swf::render {

namespace {

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

double length(QPointF p) { return std::sqrt(p.x() * p.x() + p.y() * p.y()); }

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

QRect ScanlineRasterizer::takePainted()
{
    const QRect area = painted_;
    painted_ = QRect();
    return area;
}

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

void ScanlineRasterizer::sweepSubScanline(std::vector<Change>& changes, int clipLeft, int clipRight, bool antialias)
{
    changes.clear();
    if (active_.size() < 2) return;
    const double left = clipLeft, right = clipRight;
    std::int32_t current = kNoStyle;
    std::int32_t lastX = -1;
    auto change = [&](const ActiveEdge& a, std::int32_t top) {
        // Crossings outside the clip still count for the winding; they only move to its border.
        const double x = a.x < left ? left : a.x > right ? right : a.x;
        const auto fixed = antialias ? std::int32_t(x * 256) : std::int32_t(std::ceil(x - 0.5)) * 256;
        if (fixed == lastX && !changes.empty())
            changes.back().style = top;  // the earlier change at the same place covers nothing
        else
            changes.push_back({fixed, top});
        lastX = fixed;
        current = top;
    };
    if (winding_.size() == 1) {
        // One style (a stroke, a glyph, a single-fill shape): one winding number.
        std::int32_t w = 0;
        for (const ActiveEdge& a : active_) {
            const Edge& e = edges_[a.edge];
            w += (e.right == 0 ? e.dir : 0) - (e.left == 0 ? e.dir : 0);
            const std::int32_t top = (rule_ == FillRule::NonZero ? w != 0 : (w & 1) != 0) ? 0 : kNoStyle;
            if (top != current) change(a, top);
        }
        return;
    }
    for (const ActiveEdge& a : active_) {
        const Edge& e = edges_[a.edge];
        toggle(e.right, e.dir);
        toggle(e.left, -e.dir);
        const std::int32_t top = topStyle();
        if (top != current) change(a, top);
    }
    // Malformed outlines may leave windings behind; each sub-scanline starts afresh.
    for (const ActiveEdge& a : active_) {
        const Edge& e = edges_[a.edge];
        if (e.left >= 0) winding_[std::size_t(e.left)] = 0;
        if (e.right >= 0) winding_[std::size_t(e.right)] = 0;
    }
    winners_.clear();
}

void ScanlineRasterizer::advance(std::int64_t sub, int subScanlines)
{
    // Edges that end above this sub-scanline leave; the others step down to it (one pass).
    std::size_t kept = 0;
    bool sorted = true;
    double previous = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < active_.size(); ++i) {
        ActiveEdge a = active_[i];
        if (a.lastSub < sub) continue;
        a.x += a.step;
        sorted = sorted && !(previous > a.x);
        previous = a.x;
        active_[kept++] = a;
    }
    active_.resize(kept);
    // Insertion sort: the order changes little from one sub-scanline to the next.
    for (std::size_t i = 1; !sorted && i < active_.size(); ++i) {
        if (!(active_[i - 1].x > active_[i].x)) continue;
        const ActiveEdge a = active_[i];
        std::size_t j = i;
        while (j > 0 && active_[j - 1].x > a.x) {
            active_[j] = active_[j - 1];
            --j;
        }
        active_[j] = a;
    }
    // Edges that start crossing here join at their exact position: sorted among themselves and
    // merged in, so that many short edges (stroke outlines) do not each travel the whole list.
    incoming_.clear();
    while (nextEdge_ < order_.size() && std::int64_t(order_[nextEdge_] >> 32) <= sub) {
        const std::uint32_t index = std::uint32_t(order_[nextEdge_]);
        ++nextEdge_;
        const Edge& e = edges_[index];
        const auto last = std::int64_t(std::min(std::ceil(e.y1 * subScanlines - 0.5), endSample_)) - 1;
        if (last < sub) continue;
        const double ys = (double(sub) + 0.5) / subScanlines;
        incoming_.push_back({e.x0 + (ys - e.y0) * e.slope, e.slope / subScanlines, index, last});
    }
    if (incoming_.empty()) return;
    auto byX = [](const ActiveEdge& a, const ActiveEdge& b) { return a.x < b.x; };
    std::sort(incoming_.begin(), incoming_.end(), byX);
    merged_.clear();
    std::merge(active_.begin(), active_.end(), incoming_.begin(), incoming_.end(), std::back_inserter(merged_), byX);
    active_.swap(merged_);
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
    coverageShift_ = antialias ? 8 + kSubScanlineShift : 8;
    winding_.assign(paints.size(), 0);
    winners_.clear();

    // Sub-scanline k samples y = (k + 0.5) / subScanlines. Edges are ordered by the first one
    // they cross (edges between two samples cross none and drop out).
    const double firstSample = double(clip.top()) * subScanlines;
    const double endSample = double(clip.bottom() + 1) * subScanlines;
    endSample_ = endSample;
    order_.clear();
    for (std::uint32_t i = 0; i < edges_.size(); ++i) {
        Edge& e = edges_[i];
        // Edges naming a style without a paint entry take part as having no style there.
        if (e.left >= std::int32_t(paints.size())) e.left = kNoStyle;
        if (e.right >= std::int32_t(paints.size())) e.right = kNoStyle;
        const double first = std::max(std::ceil(e.y0 * subScanlines - 0.5), firstSample);
        const double end = std::min(std::ceil(e.y1 * subScanlines - 0.5), endSample);
        if (first < end) order_.push_back(std::uint64_t(first) << 32 | i);
    }
    if (order_.empty()) return;
    std::sort(order_.begin(), order_.end());
    nextEdge_ = 0;
    active_.clear();
    colors_.resize(kRunPiece);
    const int clipLeft = clip.left(), clipRight = clip.right() + 1;
    if (cellArea_.size() < std::size_t(clipRight) + 2) {
        cellArea_.assign(std::size_t(clipRight) + 2, 0);
        cellCover_.assign(std::size_t(clipRight) + 2, 0);
    }
    const auto firstSub = std::int64_t(order_.front() >> 32);
    for (int y = int(firstSub / subScanlines); y <= clip.bottom(); ++y) {
        bool any = false;
        for (int s = 0; s < subScanlines; ++s) {
            advance(std::int64_t(y) * subScanlines + s, subScanlines);
            sweepSubScanline(changes_[std::size_t(s)], clipLeft, clipRight, antialias);
            any = any || !changes_[std::size_t(s)].empty();
        }
        if (any) {
            // The pixels this row may change lie between its first and last change.
            int from = clipRight, to = clipLeft;
            for (int s = 0; s < subScanlines; ++s) {
                const auto& list = changes_[std::size_t(s)];
                if (list.empty()) continue;
                from = std::min(from, int(list.front().x >> 8));
                to = std::max(to, list.back().style == kNoStyle ? int((list.back().x + 255) >> 8) : clipRight);
            }
            to = std::min(to, clipRight);
            if (to > from) painted_ = painted_.united(QRect(QPoint(from, y), QPoint(to - 1, y)));
            if (winding_.size() == 1)
                paintRowOneStyle(y, subScanlines, clipRight);
            else
                paintRow(y, subScanlines, clipLeft, clipRight);
        }
        if (active_.empty() && nextEdge_ == order_.size()) break;
    }
}

// One style: every sub-scanline's spans add their covered length to the pixels they touch
// (whole pixels through a running difference), then one pass over the touched pixels paints
// runs of full coverage straight and blends the partly covered ones.
void ScanlineRasterizer::paintRowOneStyle(int y, int subScanlines, int clipRight)
{
    row_ = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    y_ = y;
    std::int32_t* area = cellArea_.data();
    std::int32_t* cover = cellCover_.data();
    touched_.clear();
    int first = std::numeric_limits<int>::max(), last = -1;
    auto addSpan = [&](std::int32_t from, std::int32_t to) {
        if (to <= from) return;
        const int pa = from >> 8, pb = to >> 8;
        first = std::min(first, pa);
        last = std::max(last, pb);
        if (pa == pb) {
            area[pa] += to - from;
            touched_.push_back(pa);
        } else {
            area[pa] += 256 - (from & 255);
            cover[pa + 1] += 256;
            cover[pb] -= 256;
            area[pb] += to & 255;
            touched_.insert(touched_.end(), {pa, pa + 1, pb});
        }
    };
    for (int s = 0; s < subScanlines; ++s) {
        std::int32_t start = -1;
        for (const Change& c : changes_[std::size_t(s)]) {
            if (c.style != kNoStyle) {
                if (start < 0) start = c.x;
            } else if (start >= 0) {
                addSpan(start, c.x);
                start = -1;
            }
        }
        if (start >= 0) addSpan(start, clipRight * 256);  // still inside at the clip's edge
    }
    if (last < 0) return;
    // Pixels with nothing of their own take the running coverage. A narrow row is walked cell by
    // cell; a wide one visits only the cells that spans touched, so that it costs its edges, not
    // its width (sorting them costs more than walking a few dozen cells).
    constexpr int kWalkedCellsPerEdge = 8;
    if (last - first < kWalkedCellsPerEdge * int(touched_.size())) {
        touched_.clear();
        for (int x = first; x <= last; ++x)
            if (cover[x] != 0 || area[x] != 0) touched_.push_back(x);
    } else {
        std::sort(touched_.begin(), touched_.end());
        touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
    }
    const std::int32_t full = 1 << coverageShift_;
    const SpanPaint* paint = paints_[0];
    const bool visible = paint && !paint->invisible();
    std::int32_t running = 0;
    for (std::size_t i = 0; i < touched_.size();) {
        const int x = touched_[i];
        running += cover[x];
        const std::int32_t coverage = running + area[x];
        cover[x] = area[x] = 0;
        // Pixels after this one with nothing of their own have the running coverage (a touched
        // cell whose changes cancelled counts as nothing of its own).
        ++i;
        while (i < touched_.size() && cover[touched_[i]] == 0 && area[touched_[i]] == 0) ++i;
        const int end = i < touched_.size() ? touched_[i] : last + 1;
        if (visible) {
            if (coverage >= full) {
                paintFull(0, x, 1);
            } else if (coverage > 0) {
                std::uint32_t c = paint->color();
                if (!paint->isSolid()) paint->fetch(x, y, 1, &c);
                const auto alpha = std::uint32_t((coverage * 255 + (full >> 1)) >> coverageShift_);
                row_[x] = sourceOver(byteMul(c, alpha), row_[x]);
            }
            if (end > x + 1 && running > 0) {
                if (running >= full) {
                    paintFull(0, x + 1, end - x - 1);
                } else {
                    // An edge along the row: a run at constant partial coverage.
                    const auto alpha = std::uint32_t((running * 255 + (full >> 1)) >> coverageShift_);
                    for (int done = x + 1; done < end; done += kRunPiece) {
                        const int piece = std::min(kRunPiece, end - done);
                        paint->fetch(done, y, piece, colors_.data());
                        for (int k = 0; k < piece; ++k)
                            row_[done + k] = sourceOver(byteMul(colors_[std::size_t(k)], alpha), row_[done + k]);
                    }
                }
            }
        }
    }
}

// Walks the row's sub-scanlines together from left to right. Between two changes on any of
// them every sub-scanline keeps its style, so whole pixels there take one colour (or one mix);
// pixels with changes inside them collect each style's covered length and are laid down once.
void ScanlineRasterizer::paintRow(int y, int subScanlines, int clipLeft, int clipRight)
{
    std::array<std::size_t, kSubScanlines> cursor{};
    std::array<std::int32_t, kSubScanlines> styles;
    styles.fill(kNoStyle);
    row_ = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    y_ = y;
    pendingPixel_ = -1;
    pending_.clear();
    std::int32_t position = clipLeft * 256;
    const std::int32_t end = clipRight * 256;
    const std::span<const std::int32_t> current(styles.data(), std::size_t(subScanlines));
    std::int32_t uniform = kNoStyle;  // the style of every sub-scanline, or kMixed
    while (true) {
        std::int32_t next = end;
        for (int s = 0; s < subScanlines; ++s) {
            const auto& list = changes_[std::size_t(s)];
            if (cursor[std::size_t(s)] < list.size()) next = std::min(next, list[cursor[std::size_t(s)]].x);
        }
        if (next > position) {
            cover(position, next, current, uniform);
            position = next;
        }
        if (position >= end) break;
        for (int s = 0; s < subScanlines; ++s) {
            const auto& list = changes_[std::size_t(s)];
            std::size_t& c = cursor[std::size_t(s)];
            while (c < list.size() && list[c].x == position) styles[std::size_t(s)] = list[c++].style;
        }
        uniform = std::all_of(current.begin(), current.end(), [&](std::int32_t st) { return st == current[0]; })
                      ? current[0]
                      : kMixed;
    }
    flushPending();
}

void ScanlineRasterizer::cover(std::int32_t from, std::int32_t to, std::span<const std::int32_t> styles,
                               std::int32_t uniform)
{
    const bool anything = uniform != kNoStyle;  // a mix always holds some style
    const auto count = std::int32_t(styles.size());
    while (from < to) {
        const int pixel = from >> 8;
        if ((from & 255) == 0 && to - from >= 256) {
            const int endPixel = to >> 8;
            flushPending();
            if (uniform >= 0)
                paintFull(uniform, pixel, endPixel - pixel);
            else if (anything)
                paintWhole(pixel, endPixel - pixel, styles);
            from = endPixel << 8;
            continue;
        }
        const std::int32_t stop = std::min(to, (pixel + 1) << 8);
        if (anything) {
            if (pendingPixel_ != pixel) {
                flushPending();
                pendingPixel_ = pixel;
            }
            if (uniform >= 0) {
                addPending(uniform, (stop - from) * count);
            } else {
                for (std::int32_t s : styles)
                    if (s != kNoStyle) addPending(s, stop - from);
            }
        }
        from = stop;
    }
}

void ScanlineRasterizer::addPending(std::int32_t style, std::int32_t length)
{
    for (auto& [s, coverage] : pending_) {
        if (s == style) {
            coverage += length;
            return;
        }
    }
    pending_.emplace_back(style, length);
}

void ScanlineRasterizer::flushPending()
{
    if (pendingPixel_ < 0) return;
    const int x = pendingPixel_;
    pendingPixel_ = -1;
    auto colorOf = [&](const SpanPaint& paint) {
        std::uint32_t c = paint.color();
        if (!paint.isSolid()) paint.fetch(x, y_, 1, &c);
        return c;
    };
    if (pending_.size() == 1) {
        // The usual edge pixel: one style against what lies below.
        const auto [style, coverage] = pending_.front();
        pending_.clear();
        const SpanPaint* paint = paints_[std::size_t(style)];
        if (!paint || paint->invisible()) return;
        const auto alpha = std::uint32_t((coverage * 255 + (1 << (coverageShift_ - 1))) >> coverageShift_);
        row_[x] = sourceOver(byteMul(colorOf(*paint), alpha), row_[x]);
        return;
    }
    std::uint32_t sum[4] = {0, 0, 0, 0};
    for (const auto& [style, coverage] : pending_) {
        const SpanPaint* paint = paints_[std::size_t(style)];
        if (!paint || paint->invisible()) continue;
        const std::uint32_t c = colorOf(*paint);
        const auto w = std::uint32_t(coverage);
        sum[0] += (c & 0xff) * w;
        sum[1] += ((c >> 8) & 0xff) * w;
        sum[2] += ((c >> 16) & 0xff) * w;
        sum[3] += (c >> 24) * w;
    }
    pending_.clear();
    if (sum[3] == 0 && sum[0] == 0 && sum[1] == 0 && sum[2] == 0) return;
    row_[x] = sourceOver(mixed(sum), row_[x]);
}

std::uint32_t ScanlineRasterizer::mixed(const std::uint32_t* sum) const
{
    const int shift = coverageShift_;
    const std::uint32_t half = 1u << (shift - 1);
    auto channel = [&](int i) { return std::min<std::uint32_t>(255, (sum[i] + half) >> shift); };
    return channel(3) << 24 | channel(2) << 16 | channel(1) << 8 | channel(0);
}

void ScanlineRasterizer::paintWhole(int x, int n, std::span<const std::int32_t> styles)
{
    const bool same = std::all_of(styles.begin(), styles.end(), [&](std::int32_t s) { return s == styles[0]; });
    if (same) {
        paintFull(styles[0], x, n);
        return;
    }
    // Sub-scanlines of different styles (an edge runs along the row): a constant mix.
    std::uint32_t* out = row_ + x;
    for (int done = 0; done < n; done += kRunPiece) {
        const int piece = std::min(kRunPiece, n - done);
        std::vector<std::uint32_t>& sums = mixSums_;
        sums.assign(std::size_t(piece) * 4, 0);
        for (std::size_t i = 0; i < styles.size(); ++i) {
            const std::int32_t style = styles[i];
            if (style == kNoStyle) continue;
            bool seen = false;  // each style once, weighted by its sub-scanlines
            for (std::size_t j = 0; j < i; ++j) seen = seen || styles[j] == style;
            if (seen) continue;
            const SpanPaint* paint = paints_[std::size_t(style)];
            if (!paint || paint->invisible()) continue;
            const auto w = std::uint32_t(256 * std::count(styles.begin(), styles.end(), style));
            paint->fetch(x + done, y_, piece, colors_.data());
            for (int k = 0; k < piece; ++k) {
                const std::uint32_t c = colors_[std::size_t(k)];
                std::uint32_t* a = sums.data() + std::size_t(k) * 4;
                a[0] += (c & 0xff) * w;
                a[1] += ((c >> 8) & 0xff) * w;
                a[2] += ((c >> 16) & 0xff) * w;
                a[3] += (c >> 24) * w;
            }
        }
        for (int k = 0; k < piece; ++k) {
            const std::uint32_t* a = sums.data() + std::size_t(k) * 4;
            if (a[3] == 0 && a[0] == 0 && a[1] == 0 && a[2] == 0) continue;
            out[done + k] = sourceOver(mixed(a), out[done + k]);
        }
    }
}

void ScanlineRasterizer::paintFull(std::int32_t style, int x, int n)
{
    if (style == kNoStyle) return;
    const SpanPaint* paint = paints_[std::size_t(style)];
    if (!paint || paint->invisible()) return;
    std::uint32_t* out = row_ + x;
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
        paint->fetch(x + done, y_, piece, colors_.data());
        if (paint->opaque()) {
            std::copy_n(colors_.data(), piece, out + done);
        } else {
            for (int i = 0; i < piece; ++i) out[done + i] = sourceOver(colors_[std::size_t(i)], out[done + i]);
        }
    }
}

}  // namespace swf::render
