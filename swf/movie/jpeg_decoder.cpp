// JPEG through libjpeg. libjpeg reports fatal errors through a callback that must not return;
// it longjmps back into decodeJpegPixels, whose C++ objects are all created before setjmp and
// outlive the jump, so no destructor is skipped.

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "swf/format/limits.h"
#include "swf/format/reader.h"
#include "swf/movie/bitmap_decoder.h"

namespace swf {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr, int) {}  // warnings about damaged data: decode what is there

struct Progress {
    jpeg_progress_mgr base;
    bool tooManyScans = false;
};

void onProgress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* p = reinterpret_cast<Progress*>(cinfo->progress);
    if (d->is_decompressor && d->input_scan_number > limits::kMaxJpegScans) {
        p->tooManyScans = true;
        ERREXIT(cinfo, JERR_NOT_COMPILED);  // abort through onError
    }
}

struct Decoded {
    bool ok = false;
    std::string error;
    bool tooLarge = false;
};

// Fills `out` (pixels, width, height). All state lives in the caller's objects.
Decoded decodeJpegPixels(const std::vector<std::uint8_t>& data, Bitmap& out, std::vector<std::uint8_t>& row)
{
    Decoded result;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Progress progress{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    if (setjmp(err.jump)) {
        result.error = progress.tooManyScans ? "JPEG has too many scans" : std::string("JPEG data cannot be decoded: ") + err.message;
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    jpeg_create_decompress(&cinfo);
    progress.base.progress_monitor = onProgress;
    cinfo.progress = &progress.base;
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    std::int64_t w = cinfo.image_width, h = cinfo.image_height;
    if (w <= 0 || h <= 0 || w > limits::kMaxBitmapSide || h > limits::kMaxBitmapSide ||
        w * h > limits::kMaxBitmapPixels) {
        result.tooLarge = w > 0 && h > 0;
        result.error = "JPEG of " + std::to_string(w) + "x" + std::to_string(h) +
                       " pixels exceeds the player's limits";
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    bool inverted = cmyk && cinfo.saw_Adobe_marker;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0xff000000u);
    row.resize(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        std::size_t y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        std::uint32_t* dst = out.pixels.data() + y * out.width;
        for (std::size_t x = 0; x < cinfo.output_width; ++x) {
            std::uint32_t r, g, b;
            if (cmyk) {
                const std::uint8_t* p = row.data() + 4 * x;
                std::uint32_t c = p[0], m = p[1], yy = p[2], k = p[3];
                if (!inverted) { c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k; }
                r = c * k / 255;
                g = m * k / 255;
                b = yy * k / 255;
            } else {
                const std::uint8_t* p = row.data() + 3 * x;
                r = p[0];
                g = p[1];
                b = p[2];
            }
            dst[x] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    result.ok = true;
    return result;
}

}  // namespace

Bitmap decodeJpeg(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> alpha)
{
    std::vector<std::uint8_t> data = cleanJpegData(jpeg);
    Bitmap bmp;
    std::vector<std::uint8_t> row;
    Decoded d = decodeJpegPixels(data, bmp, row);
    if (!d.ok)
        throw FormatError(d.tooLarge ? FormatError::Kind::TooLarge : FormatError::Kind::Corrupt, d.error, 0);
    if (!alpha.empty()) {
        std::size_t n = bmp.pixels.size();
        std::vector<std::uint8_t> plane = inflateUpTo(alpha, n + 1);
        if (plane.size() == n) {  // otherwise the image stays opaque
            bool opaque = true;
            for (std::size_t i = 0; i < n; ++i) {
                std::uint32_t a = plane[i];
                std::uint32_t p = bmp.pixels[i];
                bmp.pixels[i] = clampPremultiplied((p >> 16) & 255, (p >> 8) & 255, p & 255, a);
                if (a != 255) opaque = false;
            }
            bmp.opaque = opaque;
        }
    }
    return bmp;
}

}  // namespace swf
