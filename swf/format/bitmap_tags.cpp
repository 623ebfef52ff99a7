#include "swf/format/bitmap_tags.h"

#include <algorithm>

namespace swf {

ImageFormat detectImageFormat(std::span<const std::uint8_t> d)
{
    static constexpr std::uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    if (d.size() >= 8 && std::equal(png, png + 8, d.begin())) return ImageFormat::Png;
    if (d.size() >= 6 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8' &&
        (d[4] == '9' || d[4] == '7') && d[5] == 'a')
        return ImageFormat::Gif;
    if (d.size() >= 2 && d[0] == 0xff && (d[1] == 0xd8 || d[1] == 0xd9)) return ImageFormat::Jpeg;
    return ImageFormat::Unknown;
}

JpegBitmapTag decodeJpegBitmap(ByteReader r, int jpegVersion)
{
    JpegBitmapTag t;
    t.jpegVersion = jpegVersion;
    t.id = r.u16();
    if (jpegVersion <= 2) {
        t.imageData = r.rest();
        return t;
    }
    std::uint32_t alphaOffset = r.u32();
    if (jpegVersion == 4) t.deblock = r.u16() / 256.0;
    if (alphaOffset > r.remaining())
        r.fail(FormatError::Kind::Corrupt, "JPEG alpha offset past the end of the tag");
    t.imageData = r.bytes(alphaOffset);
    t.alphaData = r.rest();
    return t;
}

LosslessBitmapTag decodeLosslessBitmap(ByteReader r, int losslessVersion)
{
    LosslessBitmapTag t;
    t.losslessVersion = losslessVersion;
    t.id = r.u16();
    t.format = r.u8();
    t.width = r.u16();
    t.height = r.u16();
    if (t.format == 3) t.colorTableSize = r.u8() + 1;
    else if (t.format != 5 && !(t.format == 4 && losslessVersion == 1))
        r.fail(FormatError::Kind::Corrupt, "unknown lossless bitmap format " + std::to_string(t.format));
    t.zlibData = r.rest();
    return t;
}

std::vector<std::uint8_t> cleanJpegData(std::span<const std::uint8_t> d)
{
    std::vector<std::uint8_t> out(d.begin(), d.end());
    // Walk the markers up to the first frame header, looking for EOI followed by SOI.
    std::size_t i = 0;
    while (i + 1 < out.size()) {
        if (out[i] != 0xff) break;  // not at a marker: leave the rest alone
        std::uint8_t m = out[i + 1];
        if (m == 0xff) { ++i; continue; }  // fill byte
        if (m == 0xd9 && i + 3 < out.size() && out[i + 2] == 0xff && out[i + 3] == 0xd8) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(i),
                      out.begin() + static_cast<std::ptrdiff_t>(i + 4));
            break;
        }
        if (m == 0xc0 || m == 0xc1 || m == 0xc2 || m == 0xda) break;  // frame header or scan
        if (m == 0xd8 || m == 0xd9 || (m >= 0xd0 && m <= 0xd7) || m == 0x01) {
            i += 2;
            continue;
        }
        if (i + 3 >= out.size()) break;
        std::size_t len = (static_cast<std::size_t>(out[i + 2]) << 8) | out[i + 3];
        if (len < 2) break;
        i += 2 + len;
    }
    if (out.size() < 2 || out[out.size() - 2] != 0xff || out.back() != 0xd9) {
        out.push_back(0xff);
        out.push_back(0xd9);
    }
    return out;
}

std::vector<std::uint8_t> mergeJpegTables(std::span<const std::uint8_t> tables,
                                          std::span<const std::uint8_t> image)
{
    std::vector<std::uint8_t> img = cleanJpegData(image);
    if (tables.size() < 4) return img;
    std::vector<std::uint8_t> tab = cleanJpegData(tables);
    // Tables without their EOI, then the image without its SOI.
    if (tab.size() >= 2 && tab[tab.size() - 2] == 0xff && tab.back() == 0xd9) tab.resize(tab.size() - 2);
    std::size_t skip = img.size() >= 2 && img[0] == 0xff && img[1] == 0xd8 ? 2 : 0;
    tab.insert(tab.end(), img.begin() + static_cast<std::ptrdiff_t>(skip), img.end());
    return tab;
}

}  // namespace swf
