#include "swf/render/scanline_rasterizer.h"

#include <algorithm>
#include <cmath>
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

void ScanlineRasterizer::stopWinning(std::int32_t style)
{
    auto it = std::find(winners_.begin(), winners_.end(), style);
    if (it != winners_.end()) {
        *it = winners_.back();
        winners_.pop_back();
    }
    if (style == top_) top_ = topStyle();
}

std::int32_t ScanlineRasterizer::topStyle() const
{
    if (winners_.empty()) return kNoStyle;
    std::int32_t best = winners_.front();
    for (std::size_t i = 1; i < winners_.size(); ++i)
        if (ranksAbove(winners_[i], best)) best = winners_[i];
    return best;
}

void ScanlineRasterizer::sweepSubScanline(std::vector<Change>& changes, int clipLeft, int clipRight, bool antialias)
{
    changes.clear();
    if (active_.size() < 2) return;
    if (rule_ == FillRule::NonZero)
        sweepStyles<FillRule::NonZero>(changes, clipLeft, clipRight, antialias);
    else
        sweepStyles<FillRule::EvenOdd>(changes, clipLeft, clipRight, antialias);
}

template <FillRule Rule>
void ScanlineRasterizer::sweepStyles(std::vector<Change>& changes, int clipLeft, int clipRight, bool antialias)
{
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
    top_ = kNoStyle;
    for (const ActiveEdge& a : active_) {
        toggle<Rule>(a.right, a.dir);
        toggle<Rule>(a.left, -a.dir);
        if (top_ != current) change(a, top_);
    }
    // Malformed outlines may leave windings behind; each sub-scanline starts afresh. With no
    // style left winding every count is zero (non-zero rule) or even, which the even-odd rule
    // reads as zero, so well-formed rows skip the pass.
    if (!winners_.empty()) {
        for (const ActiveEdge& a : active_) {
            if (a.left >= 0) winding_[std::size_t(a.left)] = 0;
            if (a.right >= 0) winding_[std::size_t(a.right)] = 0;
        }
        winners_.clear();
    }
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
        incoming_.push_back({e.x0 + (ys - e.y0) * e.slope, e.slope / subScanlines, std::int32_t(last), e.left,
                             e.right, e.dir});
    }
    if (incoming_.empty()) return;
    auto byX = [](const ActiveEdge& a, const ActiveEdge& b) { return a.x < b.x; };
    std::sort(incoming_.begin(), incoming_.end(), byX);
    // Merged in place from the back: edges left of every newcomer stay where they are. Ties keep
    // the active edge first, as a forward merge would.
    std::size_t from = active_.size(), in = incoming_.size();
    active_.resize(from + in);
    std::size_t to = active_.size();
    while (in > 0) {
        if (from > 0 && active_[from - 1].x > incoming_[in - 1].x)
            active_[--to] = active_[--from];
        else
            active_[--to] = incoming_[--in];
    }
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
    if (paints.size() == 1) {
        fillOneStyle(subScanlines, clipLeft, clipRight, clip.bottom(), antialias);
        return;
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
            paintRow(y, subScanlines, clipLeft, clipRight);
        }
        if (active_.empty() && nextEdge_ == order_.size()) break;
    }
}

// One style: no sorting and no sweep. Each edge crossing a sub-scanline adds its winding change
// to the pixel it lies in: the change in whole pixel widths from that pixel on (`cover`) and a
// correction for the part of the pixel left of the crossing (`area`), kept per sub-scanline. A
// running sum along the row then gives each sub-scanline's winding times the covered length in
// every pixel, to which the fill rule applies. Away from edges and wherever a pixel's windings on
// a sub-scanline stay within two neighbouring values (one crossing, or two that cancel: slivers,
// thin strokes) that is the swept result exactly. Where contours of the style overlap inside one
// pixel (a stroke's outline at its joins) the rule sees the pixel's summed winding, so such a
// pixel may come out a little more covered than the sweep would make it; ordering those crossings
// costs more than the rest of the fill (measured), and the pixels lie on the shape's edge.
void ScanlineRasterizer::fillOneStyle(int subScanlines, int clipLeft, int clipRight, int bottom, bool antialias)
{
    if (cells_.size() < std::size_t(clipRight) + 2) {
        cells_.assign(std::size_t(clipRight) + 2, Cell{});
        cellUsed_.assign(std::size_t(clipRight) + 2, 0);
    }
    Cell* cells = cells_.data();
    std::uint8_t* used = cellUsed_.data();
    const double left = clipLeft, right = clipRight;
    cellEdges_.clear();
    int y = int(std::int64_t(order_.front() >> 32) / subScanlines);
    while (y <= bottom) {
        const std::int64_t rowFirst = std::int64_t(y) * subScanlines, rowEnd = rowFirst + subScanlines;
        // Edges join the row they first cross, with their x at that sub-scanline and the winding
        // change they bring as the row is crossed from left to right.
        while (nextEdge_ < order_.size() && std::int64_t(order_[nextEdge_] >> 32) < rowEnd) {
            const std::uint64_t entry = order_[nextEdge_++];
            const Edge& e = edges_[std::uint32_t(entry)];
            const std::int32_t delta = (e.right == 0 ? e.dir : 0) - (e.left == 0 ? e.dir : 0);
            if (delta == 0) continue;
            const auto firstSub = std::int64_t(entry >> 32);
            const auto last = std::int64_t(std::min(std::ceil(e.y1 * subScanlines - 0.5), endSample_)) - 1;
            const double ys = (double(firstSub) + 0.5) / subScanlines;
            cellEdges_.push_back({e.x0 + (ys - e.y0) * e.slope, e.slope / subScanlines, firstSub, last, delta});
        }
        if (cellEdges_.empty()) {
            if (nextEdge_ == order_.size()) break;
            y = int(std::int64_t(order_[nextEdge_] >> 32) / subScanlines);  // skip rows no edge crosses
            continue;
        }
        touched_.clear();
        // Every edge steps through the row's sub-scanlines it crosses (in no particular order);
        // the edges that end in the row leave.
        for (std::size_t i = 0; i < cellEdges_.size();) {
            CellEdge& e = cellEdges_[i];
            const std::int64_t to = std::min(e.lastSub, rowEnd - 1);
            for (std::int64_t sub = e.nextSub; sub <= to; ++sub) {
                // Crossings outside the clip still count for the winding; they only move to its
                // border (NaN from overflowing huge coordinates goes left).
                const double x = !(e.x > left) ? left : e.x > right ? right : e.x;
                e.x += e.step;
                const auto fixed = antialias ? std::int32_t(x * 256) : std::int32_t(std::ceil(x - 0.5)) * 256;
                const int px = fixed >> 8;
                const auto k = std::size_t(sub - rowFirst);
                Cell& c = cells[px];
                c.cover[k] += e.delta * 256;
                c.area[k] -= e.delta * (fixed & 255);
                if (!used[px]) {
                    used[px] = 1;
                    touched_.push_back(px);
                }
            }
            e.nextSub = rowEnd;
            if (e.lastSub < rowEnd) {
                e = cellEdges_.back();
                cellEdges_.pop_back();
            } else {
                ++i;
            }
        }
        paintCells(y, clipRight);
        if (cellEdges_.empty() && nextEdge_ == order_.size()) break;
        ++y;
    }
}

namespace {

// The fill rule on a winding number times a covered length (one sub-scanline of one pixel).
std::int32_t ruled(std::int32_t w, bool nonZero)
{
    const std::int32_t a = w < 0 ? -w : w;
    if (nonZero) return a > 256 ? 256 : a;
    const std::int32_t folded = a & 511;
    return folded > 256 ? 512 - folded : folded;
}

}  // namespace

// Orders the row's touched cells by x: a narrow row is walked cell by cell, a wide one sorted,
// so that it costs its edges, not its width (sorting costs more than walking a few dozen cells).
void ScanlineRasterizer::sortTouched()
{
    if (touched_.empty()) return;
    const auto [lowest, highest] = std::minmax_element(touched_.begin(), touched_.end());
    const int first = *lowest, last = *highest;
    constexpr int kWalkedCellsPerCell = 8;
    if (last - first < kWalkedCellsPerCell * int(touched_.size())) {
        touched_.clear();
        for (int x = first; x <= last; ++x)
            if (cellUsed_[std::size_t(x)]) touched_.push_back(x);
    } else {
        std::sort(touched_.begin(), touched_.end());
    }
}

// Resolves the row's cells from left to right: each touched pixel has its own coverage, and the
// pixels up to the next touched one share the running coverage (none, full, or an edge running
// along the row).
void ScanlineRasterizer::paintCells(int y, int clipRight)
{
    row_ = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    y_ = y;
    sortTouched();
    const bool nonZero = rule_ == FillRule::NonZero;
    auto apply = [nonZero](std::int32_t w) { return ruled(w, nonZero); };
    const std::int32_t full = 1 << coverageShift_;
    const SpanPaint* paint = paints_[0];
    const bool visible = paint && !paint->invisible();
    std::array<std::int32_t, kSubScanlines> running{};
    int paintedFrom = clipRight, paintedTo = -1;
    for (std::size_t i = 0; i < touched_.size();) {
        const int x = touched_[i];
        Cell& cell = cells_[std::size_t(x)];
        // Sub-scanlines past the row's count (aliased fills use one) stay zero.
        std::int32_t coverage = 0, runCoverage = 0;
        for (std::size_t k = 0; k < kSubScanlines; ++k) {
            running[k] += cell.cover[k];
            runCoverage += apply(running[k]);
            coverage += apply(running[k] + cell.area[k]);
        }
        cell = Cell{};
        cellUsed_[std::size_t(x)] = 0;
        ++i;
        if (x >= clipRight) break;  // crossings right of the clip gather on its border
        const int end = i < touched_.size() ? std::min(touched_[i], clipRight) : clipRight;
        if (coverage > 0 || runCoverage > 0) {
            paintedFrom = std::min(paintedFrom, x);
            paintedTo = std::max(paintedTo, runCoverage > 0 ? end - 1 : x);
        }
        if (!visible) continue;
        if (coverage >= full) {
            paintFull(0, x, 1);
        } else if (coverage > 0) {
            std::uint32_t c = paint->color();
            if (!paint->isSolid()) paint->fetch(x, y, 1, &c);
            const auto alpha = std::uint32_t((coverage * 255 + (full >> 1)) >> coverageShift_);
            row_[x] = sourceOver(byteMul(c, alpha), row_[x]);
        }
        if (end > x + 1 && runCoverage > 0) {
            if (runCoverage >= full) {
                paintFull(0, x + 1, end - x - 1);
            } else {
                // An edge along the row: a run at constant partial coverage.
                const auto alpha = std::uint32_t((runCoverage * 255 + (full >> 1)) >> coverageShift_);
                for (int done = x + 1; done < end; done += kRunPiece) {
                    const int piece = std::min(kRunPiece, end - done);
                    paint->fetch(done, y, piece, colors_.data());
                    for (int k = 0; k < piece; ++k)
                        row_[done + k] = sourceOver(byteMul(colors_[std::size_t(k)], alpha), row_[done + k]);
                }
            }
        }
    }
    if (paintedTo >= paintedFrom)
        painted_ = painted_.united(QRect(QPoint(paintedFrom, y), QPoint(paintedTo, y)));
}

// Walks the row's sub-scanlines together from left to right. Between two changes on any of
// them every sub-scanline keeps its style, so whole pixels there take one colour (or one mix);
// pixels with changes inside them collect each style's covered length and are laid down once.
void ScanlineRasterizer::paintRow(int y, int subScanlines, int clipLeft, int clipRight)
{
    std::array<const Change*, kSubScanlines> cursor{};
    std::array<std::int32_t, kSubScanlines> styles;
    styles.fill(kNoStyle);
    row_ = target_.pixels + std::size_t(y) * std::size_t(target_.stride);
    y_ = y;
    pendingPixel_ = -1;
    pending_.clear();
    std::int32_t position = clipLeft * 256;
    const std::int32_t end = clipRight * 256;
    // Every list ends in a change at the row's end, so the walk needs no bounds checks (changes
    // lie within the clip: none is past `end`).
    for (int s = 0; s < subScanlines; ++s) {
        auto& list = changes_[std::size_t(s)];
        list.push_back({end, kNoStyle});
        cursor[std::size_t(s)] = list.data();
    }
    const std::span<const std::int32_t> current(styles.data(), std::size_t(subScanlines));
    std::int32_t uniform = kNoStyle;  // the style of every sub-scanline, or kMixed
    while (true) {
        std::int32_t next = cursor[0]->x;
        for (int s = 1; s < subScanlines; ++s) next = std::min(next, cursor[std::size_t(s)]->x);
        if (next > position) {
            cover(position, next, current, uniform);
            position = next;
        }
        if (position >= end) break;
        bool same = true;
        for (int s = 0; s < subScanlines; ++s) {
            const Change*& c = cursor[std::size_t(s)];
            while (c->x == position) styles[std::size_t(s)] = (c++)->style;
            same = same && styles[std::size_t(s)] == styles[0];
        }
        uniform = same ? styles[0] : kMixed;
    }
    for (int s = 0; s < subScanlines; ++s) changes_[std::size_t(s)].pop_back();
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

void ScanlineRasterizer::paintPending()
{
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
