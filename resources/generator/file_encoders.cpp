#include "file_encoders.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace picture_generator {
namespace {

void putU16(QByteArray& out, unsigned value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void putU32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

// BITMAPINFOHEADER with no compression.
void putInfoHeader(QByteArray& out, int width, int height, int bitCount, std::uint32_t imageBytes,
                   int pixelsPerMetre)
{
    putU32(out, 40);
    putU32(out, std::uint32_t(width));
    putU32(out, std::uint32_t(height));
    putU16(out, 1);
    putU16(out, unsigned(bitCount));
    putU32(out, 0);
    putU32(out, imageBytes);
    putU32(out, std::uint32_t(pixelsPerMetre));
    putU32(out, std::uint32_t(pixelsPerMetre));
    putU32(out, 0);
    putU32(out, 0);
}

} // namespace

QByteArray encodeBmp24(const QImage& source, int pixelsPerMetre)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = std::uint32_t(stride) * std::uint32_t(height);

    QByteArray out;
    out.reserve(int(54 + imageBytes));
    out.append("BM", 2);
    putU32(out, 54 + imageBytes);
    putU16(out, 0);
    putU16(out, 0);
    putU32(out, 54);
    putInfoHeader(out, width, height, 24, imageBytes, pixelsPerMetre);
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            out.append(char(qBlue(row[x])));
            out.append(char(qGreen(row[x])));
            out.append(char(qRed(row[x])));
        }
        out.append(QByteArray(stride - width * 3, '\0'));
    }
    return out;
}

std::array<QRgb, 16> vgaPalette()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QByteArray encodeIco16(const Icon16& icon)
{
    constexpr int n = Icon16::size;
    constexpr int colourRow = n / 2;  // two pixels a byte
    constexpr int maskRow = n / 8;    // one bit a pixel, 4 bytes: already a multiple of 4
    constexpr std::uint32_t imageBytes = 40 + 16 * 4 + colourRow * n + maskRow * n;

    QByteArray out;
    // ICONDIR and its one ICONDIRENTRY.
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, 1);
    out.append(char(n));
    out.append(char(n));
    out.append(char(16));
    out.append(char(0));
    putU16(out, 1);
    putU16(out, 4);
    putU32(out, imageBytes);
    putU32(out, 6 + 16);

    // The image: its height counts the colour pixels and the mask together.
    putInfoHeader(out, n, 2 * n, 4, colourRow * n + maskRow * n, 0);
    for (QRgb colour : icon.palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append(char(0));
    }
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; x += 2) {
            auto index = [&](int px) {
                const int i = y * n + px;
                return icon.transparent[i] ? 0 : (icon.indices[i] & 0x0F);
            };
            out.append(char((index(x) << 4) | index(x + 1)));
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        for (int byte = 0; byte < maskRow; ++byte) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (icon.transparent[y * n + byte * 8 + bit])
                    bits |= 0x80u >> bit;
            }
            out.append(char(bits));
        }
    }
    if (out.size() != 6 + 16 + int(imageBytes))
        throw std::logic_error("icon encoder wrote the wrong length");
    return out;
}

QByteArray encodeJpeg(const QImage& source, int quality)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);

    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &buffer, &length);

    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);  // TRUE keeps the tables baseline (8-bit)
    cinfo.optimize_coding = TRUE;             // optimal Huffman tables are still baseline
    cinfo.write_JFIF_header = TRUE;
    cinfo.JFIF_major_version = 1;
    cinfo.JFIF_minor_version = 1;
    cinfo.density_unit = 0;  // aspect ratio only: square pixels
    cinfo.X_density = 1;
    cinfo.Y_density = 1;
    cinfo.write_Adobe_marker = FALSE;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    QByteArray out(reinterpret_cast<const char*>(buffer), int(length));
    std::free(buffer);
    return out;
}

} // namespace picture_generator
