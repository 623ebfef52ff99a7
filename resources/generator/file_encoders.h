#pragma once
// Encoders that write the three picture kinds byte for byte as the program stores them.

#include <array>
#include <cstdint>

#include <QByteArray>
#include <QImage>

namespace picture_generator {

// A 24-bit uncompressed bottom-up BMP: 14-byte file header, 40-byte information header, no
// colour table, rows padded with zero bytes to a multiple of 4. The resolution is recorded in
// both directions (3780 pixels per metre is 96 dpi; 0 means "not stated").
QByteArray encodeBmp24(const QImage& image, int pixelsPerMetre);

// A 32 x 32 icon of 4 bits per pixel: one directory entry, a 40-byte information header, the
// 16-colour table, the colour pixels and the 1-bit transparency mask (766 bytes in all).
// indices holds one palette index per pixel, row by row from the top; transparent marks the
// pixels whose mask bit is set (their colour index is written as 0, so that the classic
// AND/XOR drawing leaves the screen untouched there).
struct Icon16 {
    static constexpr int size = 32;
    std::array<QRgb, 16> palette{};
    std::array<std::uint8_t, size * size> indices{};
    std::array<bool, size * size> transparent{};
};
QByteArray encodeIco16(const Icon16& icon);

// The 16 colours of the classic VGA palette, in their usual order.
std::array<QRgb, 16> vgaPalette();

// A baseline JFIF 1.01 JPEG: three 8-bit components, luminance sampled 2 x 2 and both chroma
// components 1 x 1, square pixels, and no comment or other application segment.
QByteArray encodeJpeg(const QImage& image, int quality);

} // namespace picture_generator
