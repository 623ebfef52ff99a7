#include "swf/avm1/bitmap_pixels.h"

#include <algorithm>
#include <new>
#include <utility>

namespace swf::avm1 {

bool BitmapMemory::reserve(std::size_t bytes)
{
    if (bytes > limit_ || used_ > limit_ - bytes) return false;
    used_ += bytes;
    return true;
}

namespace {

std::uint32_t channel(std::uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

std::uint32_t pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

// Premultiplying rounds to the nearest value; reading back rounds halves down, which is what
// makes 0xAABBCCDD read as 0xAABBCCDC in Flash Player.
std::uint32_t premultiply(std::uint32_t argb)
{
    std::uint32_t a = channel(argb, 24);
    if (a == 255) return argb;
    auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return pack(a, scale(channel(argb, 16)), scale(channel(argb, 8)), scale(channel(argb, 0)));
}

std::uint32_t unpremultiply(std::uint32_t premultiplied)
{
    std::uint32_t a = channel(premultiplied, 24);
    if (a == 255) return premultiplied;
    if (a == 0) return 0;
    auto scale = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + (a - 1) / 2) / a); };
    return pack(a, scale(channel(premultiplied, 16)), scale(channel(premultiplied, 8)), scale(channel(premultiplied, 0)));
}

BitmapPixels::BitmapPixels(int width, int height, bool transparent, std::shared_ptr<BitmapMemory> memory)
    : width_(width), height_(height), transparent_(transparent), memory_(std::move(memory))
{
}

BitmapPixels::~BitmapPixels()
{
    if (memory_) memory_->release(pixels_.size() * sizeof(std::uint32_t));
}

std::shared_ptr<BitmapPixels> BitmapPixels::create(int width, int height, bool transparent, std::uint32_t argb,
                                                   std::shared_ptr<BitmapMemory> memory)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || !memory) return nullptr;
    std::size_t count = std::size_t(width) * std::size_t(height);
    if (!memory->reserve(count * sizeof(std::uint32_t))) return nullptr;
    std::shared_ptr<BitmapPixels> bitmap(new (std::nothrow) BitmapPixels(width, height, transparent, memory));
    if (!bitmap) {
        memory->release(count * sizeof(std::uint32_t));
        return nullptr;
    }
    try {
        bitmap->pixels_.assign(count, bitmap->stored(argb));
    } catch (const std::bad_alloc&) {
        return nullptr;  // the destructor gives back the reservation
    }
    return bitmap;
}

std::shared_ptr<BitmapPixels> BitmapPixels::clone() const
{
    auto copy = create(width_, height_, transparent_, 0, memory_);
    if (copy) copy->pixels_ = pixels_;
    return copy;
}

std::uint32_t BitmapPixels::stored(std::uint32_t argb) const
{
    return transparent_ ? premultiply(argb) : (argb | 0xFF000000u);
}

std::uint32_t BitmapPixels::getPixel32(int x, int y) const
{
    if (!contains(x, y)) return 0;
    return unpremultiply(pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]);
}

void BitmapPixels::setPixel32(int x, int y, std::uint32_t argb)
{
    if (!contains(x, y)) return;
    pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = stored(argb);
    ++generation_;
}

void BitmapPixels::setPixel(int x, int y, std::uint32_t rgb)
{
    if (!contains(x, y)) return;
    std::uint32_t alpha = getPixel32(x, y) & 0xFF000000u;
    setPixel32(x, y, alpha | (rgb & 0xFFFFFFu));
}

BitmapRect BitmapPixels::clip(BitmapRect r) const
{
    // 64-bit arithmetic: script rectangles may hold any 32-bit numbers.
    std::int64_t left = std::max<std::int64_t>(r.x, 0);
    std::int64_t top = std::max<std::int64_t>(r.y, 0);
    std::int64_t right = std::min<std::int64_t>(std::int64_t(r.x) + r.width, width_);
    std::int64_t bottom = std::min<std::int64_t>(std::int64_t(r.y) + r.height, height_);
    if (right <= left || bottom <= top) return {};
    return {int(left), int(top), int(right - left), int(bottom - top)};
}

void BitmapPixels::fillRect(BitmapRect rect, std::uint32_t argb)
{
    BitmapRect r = clip(rect);
    if (r.width == 0) return;
    std::uint32_t value = stored(argb);
    for (int y = r.y; y < r.y + r.height; ++y) {
        auto row = pixels_.begin() + std::ptrdiff_t(y) * width_;
        std::fill(row + r.x, row + r.x + r.width, value);
    }
    ++generation_;
}

void BitmapPixels::copyPixels(const BitmapPixels& source, BitmapRect from, int dx, int dy, bool mergeAlpha)
{
    // Clip the source rectangle to the source, move the destination along, then clip that.
    BitmapRect s = source.clip(from);
    if (s.width == 0) return;
    std::int64_t destX = std::int64_t(dx) + (s.x - from.x);
    std::int64_t destY = std::int64_t(dy) + (s.y - from.y);
    if (destX > width_ || destY > height_ || destX < -std::int64_t(s.width) || destY < -std::int64_t(s.height)) return;
    BitmapRect d = clip({int(destX), int(destY), s.width, s.height});
    if (d.width == 0) return;
    int srcX = s.x + int(d.x - destX);
    int srcY = s.y + int(d.y - destY);

    // Copy through a buffer so that overlapping copies within one bitmap read the old pixels.
    std::vector<std::uint32_t> rows(std::size_t(d.width) * std::size_t(d.height));
    for (int y = 0; y < d.height; ++y) {
        auto in = source.pixels_.begin() + std::ptrdiff_t(srcY + y) * source.width_ + srcX;
        std::copy(in, in + d.width, rows.begin() + std::ptrdiff_t(y) * d.width);
    }
    for (int y = 0; y < d.height; ++y) {
        for (int x = 0; x < d.width; ++x) {
            std::uint32_t src = rows[std::size_t(y) * std::size_t(d.width) + std::size_t(x)];
            std::uint32_t& dst = pixels_[std::size_t(d.y + y) * std::size_t(width_) + std::size_t(d.x + x)];
            if (mergeAlpha && source.transparent_) {
                std::uint32_t inverse = 255 - channel(src, 24);
                auto over = [&](int shift) {
                    return std::min<std::uint32_t>(255, channel(src, shift) + (channel(dst, shift) * inverse + 127) / 255);
                };
                src = pack(over(24), over(16), over(8), over(0));
            }
            // An opaque destination keeps its alpha at 255 and shows the source's colour.
            dst = transparent_ ? src : (unpremultiply(src) | 0xFF000000u);
        }
    }
    ++generation_;
}

void BitmapPixels::scroll(int dx, int dy)
{
    copyPixels(*this, {0, 0, width_, height_}, dx, dy, false);
}

void BitmapPixels::floodFill(int x, int y, std::uint32_t argb)
{
    if (!contains(x, y)) return;
    std::uint32_t target = pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
    std::uint32_t value = stored(argb);
    if (target == value) return;
    // An explicit stack of scanline starting points: no recursion, bounded by the pixel count.
    std::vector<std::pair<int, int>> starts{{x, y}};
    auto at = [this](int px, int py) -> std::uint32_t& {
        return pixels_[std::size_t(py) * std::size_t(width_) + std::size_t(px)];
    };
    while (!starts.empty()) {
        auto [sx, sy] = starts.back();
        starts.pop_back();
        if (at(sx, sy) != target) continue;
        int left = sx;
        while (left > 0 && at(left - 1, sy) == target) --left;
        int right = sx;
        while (right + 1 < width_ && at(right + 1, sy) == target) ++right;
        for (int px = left; px <= right; ++px) at(px, sy) = value;
        // One starting point per run of the target colour in the rows above and below.
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= height_) continue;
            bool inRun = false;
            for (int px = left; px <= right; ++px) {
                bool match = at(px, ny) == target;
                if (match && !inRun) starts.emplace_back(px, ny);
                inRun = match;
            }
        }
    }
    ++generation_;
}

}  // namespace swf::avm1
