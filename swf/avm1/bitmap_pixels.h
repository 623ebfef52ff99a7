#pragma once
// The pixels of a script-made bitmap (BitmapData): 32-bit ARGB kept premultiplied by alpha, as
// Flash Player keeps them, so that reading a pixel back gives the player's rounded colours. The
// bytes of every bitmap of one VM are counted against a shared budget; a bitmap that would pass
// it is refused. No Qt here: the renderer reads premultiplied() directly.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/limits.h"

namespace swf::avm1 {

using limits::kMaxScriptBitmapBytes;

class BitmapMemory {
public:
    explicit BitmapMemory(std::size_t limit = kMaxScriptBitmapBytes) : limit_(limit) {}
    // False (and nothing reserved) if `bytes` more would pass the limit.
    bool reserve(std::size_t bytes);
    void release(std::size_t bytes) { used_ -= bytes < used_ ? bytes : used_; }
    std::size_t used() const { return used_; }
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::size_t used_ = 0;
};

struct BitmapRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Colour conversions between straight ARGB (what scripts read and write) and the stored form.
std::uint32_t premultiply(std::uint32_t argb);
std::uint32_t unpremultiply(std::uint32_t premultiplied);

class BitmapPixels {
public:
    // Flash Player 8 bitmaps are 1 to 2880 pixels on each side.
    static constexpr int kMaxSide = 2880;

    // A bitmap filled with `argb` (alpha forced opaque unless transparent); null when the size
    // is out of range or the memory budget refuses it.
    static std::shared_ptr<BitmapPixels> create(int width, int height, bool transparent, std::uint32_t argb,
                                                std::shared_ptr<BitmapMemory> memory);
    // A copy sharing the same budget; null when the budget refuses it.
    std::shared_ptr<BitmapPixels> clone() const;

    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;
    ~BitmapPixels();

    int width() const { return width_; }
    int height() const { return height_; }
    bool transparent() const { return transparent_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Straight ARGB; 0 outside the bitmap.
    std::uint32_t getPixel32(int x, int y) const;
    // Straight ARGB in; outside the bitmap nothing happens. Opaque bitmaps ignore alpha.
    void setPixel32(int x, int y, std::uint32_t argb);
    // Sets the colour and keeps the pixel's alpha.
    void setPixel(int x, int y, std::uint32_t rgb);
    void fillRect(BitmapRect rect, std::uint32_t argb);
    // Copies `from` of `source` (which may be this bitmap) to (dx, dy), clipped to both bitmaps.
    // With mergeAlpha the source is drawn over the destination, otherwise it replaces it.
    void copyPixels(const BitmapPixels& source, BitmapRect from, int dx, int dy, bool mergeAlpha);
    // Moves the content by (dx, dy); the uncovered area keeps its old pixels.
    void scroll(int dx, int dy);
    // Fills the 4-connected area of the colour at (x, y) with `argb`.
    void floodFill(int x, int y, std::uint32_t argb);

    // Premultiplied ARGB rows, top to bottom, for drawing.
    const std::vector<std::uint32_t>& premultiplied() const { return pixels_; }
    // Grows with every change, so that a drawn copy knows when it is stale.
    std::uint64_t generation() const { return generation_; }

private:
    BitmapPixels(int width, int height, bool transparent, std::shared_ptr<BitmapMemory> memory);
    std::uint32_t stored(std::uint32_t argb) const;
    BitmapRect clip(BitmapRect r) const;

    int width_;
    int height_;
    bool transparent_;
    std::vector<std::uint32_t> pixels_;
    std::shared_ptr<BitmapMemory> memory_;
    std::uint64_t generation_ = 0;
};

}  // namespace swf::avm1
