#pragma once
// Decoders of the bitmap tags into their raw parts (image data and alpha spans, lossless
// headers), plus the byte-level JPEG fixes that files need before a JPEG decoder sees them.
// Pixels are decoded by the movie layer.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/reader.h"

namespace swf {

enum class ImageFormat : std::uint8_t { Jpeg, Png, Gif, Unknown };
ImageFormat detectImageFormat(std::span<const std::uint8_t> data);

struct JpegBitmapTag {
    std::uint16_t id = 0;
    int jpegVersion = 1;  // 1 DefineBits (uses JPEGTables), 2, 3 or 4 for DefineBitsJPEG2/3/4
    std::span<const std::uint8_t> imageData;  // JPEG, or PNG/GIF from SWF 8
    std::span<const std::uint8_t> alphaData;  // JPEG3/4: zlib alpha plane; may be empty
    double deblock = 0;                       // JPEG4
};

struct LosslessBitmapTag {
    std::uint16_t id = 0;
    int losslessVersion = 1;  // DefineBitsLossless (no alpha) or DefineBitsLossless2
    std::uint8_t format = 0;  // 3 colour-mapped, 4 15-bit RGB, 5 24/32-bit
    std::uint16_t width = 0, height = 0;
    int colorTableSize = 0;   // entries, format 3 only (1..256)
    std::span<const std::uint8_t> zlibData;
};

// `jpegVersion` 1..4 as above.
JpegBitmapTag decodeJpegBitmap(ByteReader body, int jpegVersion);
LosslessBitmapTag decodeLosslessBitmap(ByteReader body, int losslessVersion);

// JPEG data as a strict decoder wants it: the erroneous FF D9 FF D8 pair removed from the
// markers before the first frame header, and an EOI appended when missing.
std::vector<std::uint8_t> cleanJpegData(std::span<const std::uint8_t> data);
// DefineBits data joined to the file's JPEGTables: the tables without their EOI, then the image
// without its SOI. Either part is cleaned first; without usable tables the image stands alone.
std::vector<std::uint8_t> mergeJpegTables(std::span<const std::uint8_t> tables,
                                          std::span<const std::uint8_t> image);

}  // namespace swf
