#include <zlib.h>

#include <algorithm>
#include <string>

#include "swf/format/limits.h"
#include "swf/format/reader.h"
#include "swf/movie/bitmap_decoder.h"

namespace swf {

void checkBitmapSize(std::int64_t width, std::int64_t height, std::int64_t offset)
{
    if (width <= 0 || height <= 0)
        throw FormatError(FormatError::Kind::Corrupt, "bitmap has no pixels (" + std::to_string(width) +
                          "x" + std::to_string(height) + ")", offset);
    if (width > limits::kMaxBitmapSide || height > limits::kMaxBitmapSide ||
        width * height > limits::kMaxBitmapPixels)
        throw FormatError(FormatError::Kind::TooLarge,
                          "bitmap of " + std::to_string(width) + "x" + std::to_string(height) +
                              " pixels exceeds the player's limits",
                          offset);
}

std::vector<std::uint8_t> inflateUpTo(std::span<const std::uint8_t> data, std::size_t maxSize)
{
    std::vector<std::uint8_t> out;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return out;
    out.resize(std::min<std::size_t>(maxSize, std::max<std::size_t>(data.size() * 4, 4096)));
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), 0xffffffffu));
    std::size_t produced = 0;
    while (produced < maxSize) {
        if (produced == out.size()) out.resize(std::min(maxSize, out.size() * 2));
        zs.next_out = out.data() + produced;
        zs.avail_out = static_cast<uInt>(out.size() - produced);
        int rc = inflate(&zs, Z_NO_FLUSH);
        produced = out.size() - zs.avail_out;
        if (rc != Z_OK) break;  // stream end, damage, or input exhausted
    }
    inflateEnd(&zs);
    out.resize(produced);
    return out;
}

Bitmap decodeJpegBitmapTag(const JpegBitmapTag& tag, std::span<const std::uint8_t> jpegTables)
{
    switch (detectImageFormat(tag.imageData)) {
    case ImageFormat::Png:
        return decodePng(tag.imageData);
    case ImageFormat::Gif:
        return decodeGif(tag.imageData);
    default:
        break;
    }
    if (tag.jpegVersion == 1) {
        std::vector<std::uint8_t> merged = mergeJpegTables(jpegTables, tag.imageData);
        return decodeJpeg(merged);
    }
    return decodeJpeg(tag.imageData, tag.alphaData);
}

Bitmap decodeLossless(const LosslessBitmapTag& tag)
{
    checkBitmapSize(tag.width, tag.height);
    const std::size_t w = tag.width, h = tag.height;
    const bool alpha = tag.losslessVersion == 2;
    std::size_t tableBytes = 0, stride = 0;
    switch (tag.format) {
    case 3:
        tableBytes = static_cast<std::size_t>(tag.colorTableSize) * (alpha ? 4 : 3);
        stride = (w + 3) & ~std::size_t(3);
        break;
    case 4:
        stride = (w * 2 + 3) & ~std::size_t(3);
        break;
    case 5:
        stride = w * 4;
        break;
    default:
        throw FormatError(FormatError::Kind::Corrupt, "unknown lossless bitmap format", 0);
    }
    std::size_t expected = tableBytes + stride * h;
    std::vector<std::uint8_t> raw = inflateUpTo(tag.zlibData, expected);
    if (raw.size() < tableBytes + stride)
        throw FormatError(FormatError::Kind::Corrupt, "lossless bitmap data is damaged or empty", 0);
    // Rows the stream does not hold stay transparent (alpha) or black.
    raw.resize(expected, 0);

    Bitmap bmp;
    bmp.width = tag.width;
    bmp.height = tag.height;
    bmp.pixels.resize(w * h);
    bool opaque = true;
    if (tag.format == 3) {
        std::uint32_t table[256];
        const std::size_t n = static_cast<std::size_t>(tag.colorTableSize);
        for (std::size_t i = 0; i < 256; ++i) {
            if (i >= n) {
                table[i] = alpha ? 0u : 0xff000000u;  // index past the table
                continue;
            }
            const std::uint8_t* c = raw.data() + i * (alpha ? 4 : 3);
            table[i] = alpha ? clampPremultiplied(c[0], c[1], c[2], c[3]) : premultiply(c[0], c[1], c[2], 255);
        }
        for (std::size_t y = 0; y < h; ++y) {
            const std::uint8_t* row = raw.data() + tableBytes + y * stride;
            std::uint32_t* out = bmp.pixels.data() + y * w;
            for (std::size_t x = 0; x < w; ++x) out[x] = table[row[x]];
        }
    } else if (tag.format == 4) {
        for (std::size_t y = 0; y < h; ++y) {
            const std::uint8_t* row = raw.data() + y * stride;
            std::uint32_t* out = bmp.pixels.data() + y * w;
            for (std::size_t x = 0; x < w; ++x) {
                std::uint32_t v = (static_cast<std::uint32_t>(row[2 * x]) << 8) | row[2 * x + 1];
                std::uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[x] = premultiply((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2), 255);
            }
        }
    } else {
        for (std::size_t y = 0; y < h; ++y) {
            const std::uint8_t* row = raw.data() + y * stride;
            std::uint32_t* out = bmp.pixels.data() + y * w;
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint8_t* p = row + 4 * x;
                out[x] = alpha ? clampPremultiplied(p[1], p[2], p[3], p[0]) : premultiply(p[1], p[2], p[3], 255);
            }
        }
    }
    if (alpha)
        for (std::uint32_t p : bmp.pixels)
            if ((p >> 24) != 255) { opaque = false; break; }
    bmp.opaque = opaque;
    return bmp;
}

}  // namespace swf
