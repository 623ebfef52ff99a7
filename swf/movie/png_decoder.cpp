// PNG through libpng's simplified API (no setjmp needed on our side).

#include <png.h>

#include <string>

#include "swf/format/reader.h"
#include "swf/movie/bitmap_decoder.h"

namespace swf {

Bitmap decodePng(std::span<const std::uint8_t> data)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        throw FormatError(FormatError::Kind::Corrupt, std::string("PNG cannot be read: ") + image.message, 0);
    try {
        checkBitmapSize(image.width, image.height);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        throw FormatError(FormatError::Kind::Corrupt, std::string("PNG cannot be decoded: ") + image.message, 0);
    Bitmap bmp;
    bmp.width = static_cast<int>(image.width);
    bmp.height = static_cast<int>(image.height);
    bmp.pixels.resize(static_cast<std::size_t>(bmp.width) * bmp.height);
    bool opaque = true;
    for (std::size_t i = 0; i < bmp.pixels.size(); ++i) {
        const std::uint8_t* p = rgba.data() + 4 * i;
        bmp.pixels[i] = premultiply(p[0], p[1], p[2], p[3]);
        if (p[3] != 255) opaque = false;
    }
    bmp.opaque = opaque;
    return bmp;
}

}  // namespace swf
