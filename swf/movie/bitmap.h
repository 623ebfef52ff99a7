#pragma once
// A decoded bitmap character, ready to draw.

#include <cstdint>
#include <vector>

namespace swf {

struct Bitmap {
    int width = 0;
    int height = 0;
    // Premultiplied ARGB, one 32-bit word a pixel (0xAARRGGBB in the machine's byte order, the
    // layout of QImage::Format_ARGB32_Premultiplied), rows top to bottom without padding.
    std::vector<std::uint32_t> pixels;
    bool opaque = true;  // no pixel has alpha below 255
};

}  // namespace swf
