#pragma once
// A scanline rasterizer for shape fills that paints every fill of a drawing layer in one pass.
//
// Each edge carries the style on its left and the style on its right (the SWF edge model's
// fill0 and fill1; a plain path has its one style on the right of edges that run clockwise).
// Along each sub-scanline the crossings are sorted and every style keeps a winding number;
// between two crossings exactly one style paints (the winding one of highest rank) or none. So
// the styles partition the plane: neighbouring fills share their antialiased edge pixels
// exactly, with no background seam and no extra pass.
//
// Antialiasing: four sub-scanlines per pixel row, and on each of them the exact covered length
// of every pixel (1/256 pixel steps), as the reference player's high quality (4x4 supersampling)
// looks. Pixels a style covers fully are painted straight into the target; pixels shared by
// edges collect each style's colour times its coverage and are composited once (source over).
// Without antialiasing a pixel belongs to the style at its centre.
//
// A single style (strokes, glyphs, bitmaps, one-fill shapes) needs no sorting: crossings add
// their winding change to per-pixel cells, and a running sum along the row gives the sweep's
// coverage (see fillOneStyle for where it may differ).
//
// The rasterizer keeps its buffers between fills: one object serves a whole frame (or movie)
// without allocating once its buffers have grown.

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QTransform>

namespace swf::render {

class SpanPaint;

// The pixels of a premultiplied ARGB32 (or RGB32) image.
struct RasterTarget {
    std::uint32_t* pixels = nullptr;
    int stride = 0;  // in pixels
    int width = 0, height = 0;

    // Empty (null pixels) when the image has another format.
    static RasterTarget of(QImage& image);
    bool valid() const { return pixels != nullptr && width > 0 && height > 0; }
};

enum class FillRule : std::uint8_t { EvenOdd, NonZero };

class ScanlineRasterizer {
public:
    static constexpr int kNoStyle = -1;
    // Largest deviation of flattened curves from the true curve, in device pixels.
    static constexpr double kFlatness = 0.25;

    // Drops the edges (keeps the buffers).
    void reset();
    bool empty() const { return edges_.empty(); }
    std::size_t edgeCount() const { return edges_.size(); }

    // An edge in device pixels with `left` and `right` the styles on either side, seen along the
    // edge with y pointing down (kNoStyle for none).
    void addLine(QPointF a, QPointF b, int left, int right);
    void addQuad(QPointF a, QPointF control, QPointF b, int left, int right);
    void addCubic(QPointF a, QPointF c1, QPointF c2, QPointF b, int left, int right);
    // Every subpath of `path` mapped through `transform`, each closed with a straight segment,
    // with `style` on the right of its edges (inside a clockwise contour).
    void addPath(const QPainterPath& path, const QTransform& transform, int style);

    // The pixels the fills since the last call may have changed (a bounding rectangle, exact to
    // the rows and to the first and last edge of each), and starts collecting anew.
    QRect takePainted();

    // Paints the styles' regions into `target` within `clip`. `paints[s]` paints style s (a null
    // entry claims its region but paints nothing); where several styles wind, the one of highest
    // `rank[s]` (empty: highest index) owns the place.
    void fill(const RasterTarget& target, QRect clip, FillRule rule, bool antialias,
              std::span<const SpanPaint* const> paints, std::span<const int> rank = {});

private:
    static constexpr int kSubScanlines = 4;
    static constexpr int kSubScanlineShift = 2;  // log2(kSubScanlines)
    static constexpr std::int32_t kMixed = -2;   // sub-scanlines of a row in different styles

    struct Edge {
        double x0, y0, y1, slope;  // top point, bottom y, dx/dy; y0 < y1
        std::int32_t left, right;  // styles as seen going down
        std::int32_t dir;          // +1 drawn downward, -1 drawn upward
    };
    // The edge's styles travel with it, so that the sweep reads one packed list.
    struct ActiveEdge {
        double x, step;            // x at the current sub-scanline, and per sub-scanline
        std::int32_t lastSub;      // last sub-scanline it crosses
        std::int32_t left, right;  // styles as seen going down
        std::int32_t dir;          // +1 drawn downward, -1 drawn upward
    };
    // From x (1/256 pixel) on, the sub-scanline belongs to `style`.
    struct Change {
        std::int32_t x, style;
    };

    void fillOneStyle(int subScanlines, int clipLeft, int clipRight, int bottom, bool antialias);
    void sortTouched();
    void advance(std::int64_t sub, int subScanlines);
    void sweepSubScanline(std::vector<Change>& changes, int clipLeft, int clipRight, bool antialias);
    template <FillRule Rule>
    void sweepStyles(std::vector<Change>& changes, int clipLeft, int clipRight, bool antialias);
    // Adds `delta` to a style's winding; keeps the set of styles that wind and the top one.
    // Inline: the sweep calls it twice per edge and sub-scanline.
    template <FillRule Rule>
    void toggle(std::int32_t style, std::int32_t delta)
    {
        if (style < 0) return;
        std::int32_t& w = winding_[std::size_t(style)];
        const bool was = Rule == FillRule::NonZero ? w != 0 : (w & 1) != 0;
        w += delta;
        const bool is = Rule == FillRule::NonZero ? w != 0 : (w & 1) != 0;
        if (was == is) return;
        if (is) {
            winners_.push_back(style);
            if (top_ == kNoStyle || ranksAbove(style, top_)) top_ = style;
        } else {
            stopWinning(style);
        }
    }
    void stopWinning(std::int32_t style);
    bool ranksAbove(std::int32_t a, std::int32_t b) const
    {
        return rank_.empty() ? a > b : rank_[std::size_t(a)] > rank_[std::size_t(b)];
    }
    std::int32_t topStyle() const;
    void paintRow(int y, int subScanlines, int clipLeft, int clipRight);
    void paintCells(int y, int clipRight);
    // `uniform`: the one style of all `styles`, or kMixed.
    void cover(std::int32_t from, std::int32_t to, std::span<const std::int32_t> styles, std::int32_t uniform);
    // Adds covered length to the pending pixel's share of `style` (a handful of styles at most).
    void addPending(std::int32_t style, std::int32_t length)
    {
        for (auto& [s, coverage] : pending_) {
            if (s == style) {
                coverage += length;
                return;
            }
        }
        pending_.emplace_back(style, length);
    }
    void flushPending()
    {
        if (pendingPixel_ >= 0) paintPending();
    }
    void paintPending();
    void paintWhole(int x, int n, std::span<const std::int32_t> styles);
    void paintFull(std::int32_t style, int x, int n);
    std::uint32_t mixed(const std::uint32_t* sums) const;

    std::vector<Edge> edges_;
    double minY_ = 0, maxY_ = 0;

    // State of one fill() call.
    RasterTarget target_;
    FillRule rule_ = FillRule::EvenOdd;
    int coverageShift_ = 8;  // a fully covered pixel has coverage 1 << coverageShift_
    std::span<const SpanPaint* const> paints_;
    std::span<const int> rank_;
    std::size_t nextEdge_ = 0;
    double endSample_ = 0;  // first sub-scanline below the clip
    std::uint32_t* row_ = nullptr;
    int y_ = 0;
    int pendingPixel_ = -1;  // the pixel whose coverage pending_ collects
    QRect painted_;          // see takePainted()

    // Buffers kept between calls.
    std::vector<std::uint64_t> order_;  // first sub-scanline << 32 | edge index
    std::vector<ActiveEdge> active_;    // by x
    std::vector<ActiveEdge> incoming_;  // edges joining at the current sub-scanline
    std::vector<std::int32_t> winding_;  // per style
    std::vector<std::int32_t> winners_;  // styles that wind at the sweep position
    std::int32_t top_ = kNoStyle;        // the highest ranked of them
    std::array<std::vector<Change>, kSubScanlines> changes_;
    std::vector<std::pair<std::int32_t, std::int32_t>> pending_;  // style, covered length
    std::vector<std::uint32_t> colors_;   // fetched colours of a run
    std::vector<std::uint32_t> mixSums_;  // channel sums of a mixed run
    // An edge crossing the current row.
    struct CellEdge {
        double x, step;                 // x at nextSub, and per sub-scanline
        std::int64_t nextSub, lastSub;  // next sub-scanline to cross, and the last one
        std::int32_t delta;             // its winding change from left to right
    };
    // Per pixel and sub-scanline: the winding change times a pixel's width from this pixel on,
    // and the correction for the part of this pixel left of the crossings.
    struct Cell {
        std::array<std::int32_t, kSubScanlines> cover{}, area{};
    };

    std::vector<CellEdge> cellEdges_;   // crossing the current row
    std::vector<Cell> cells_;           // by pixel; all zero between rows
    std::vector<std::uint8_t> cellUsed_;  // by pixel: listed in touched_ (zero between rows)
    std::vector<std::int32_t> touched_;  // cells of the row that crossings changed
};

}  // namespace swf::render
