#pragma once
// Pixel decoding of the bitmap tags: JPEG (libjpeg, with JPEGTables and alpha planes), PNG
// (libpng), GIF (giflib, first frame) and the lossless formats. Each function throws
// FormatError (TooLarge past Flash Player's bitmap limits, Corrupt for undecodable data); the
// loader then drops that one character.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/bitmap_tags.h"
#include "swf/movie/bitmap.h"

namespace swf {

// Throws FormatError::TooLarge when a bitmap of this size exceeds the player's limits.
void checkBitmapSize(std::int64_t width, std::int64_t height, std::int64_t offset = 0);

// JPEG data as the tag stores it (cleaned here). `alpha` is a zlib alpha plane (JPEG3/4), used
// when it inflates to exactly width x height bytes.
Bitmap decodeJpeg(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> alpha = {});
Bitmap decodePng(std::span<const std::uint8_t> png);
Bitmap decodeGif(std::span<const std::uint8_t> gif);
Bitmap decodeLossless(const LosslessBitmapTag& tag);
// Any DefineBits/JPEG2/3/4 tag: picks JPEG, PNG or GIF by signature. `jpegTables` is the file's
// JPEGTables body (DefineBits only).
Bitmap decodeJpegBitmapTag(const JpegBitmapTag& tag, std::span<const std::uint8_t> jpegTables = {});

// zlib data inflated to at most `maxSize` bytes; what the stream holds up to the first error.
std::vector<std::uint8_t> inflateUpTo(std::span<const std::uint8_t> data, std::size_t maxSize);

// 0xAARRGGBB premultiplied from straight (not premultiplied) components.
inline std::uint32_t premultiply(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a)
{
    if (a == 255) return 0xff000000u | (r << 16) | (g << 8) | b;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}
// 0xAARRGGBB from components that are meant to be premultiplied already: colour is clamped to
// alpha, since some files are not and would otherwise glow in transparent areas.
inline std::uint32_t clampPremultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a)
{
    if (r > a) r = a;
    if (g > a) g = a;
    if (b > a) b = a;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace swf
