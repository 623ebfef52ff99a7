// GIF through giflib: the first image only, drawn onto the logical screen, with the
// transparent colour of its graphic control block.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "swf/format/reader.h"
#include "swf/movie/bitmap_decoder.h"

namespace swf {
namespace {

struct MemorySource {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buf, int len)
{
    auto* src = static_cast<MemorySource*>(gif->UserData);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(len), src->data.size() - src->pos);
    std::memcpy(buf, src->data.data() + src->pos, n);
    src->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int err = 0;
        DGifCloseFile(gif, &err);
    }
};

[[noreturn]] void fail(const std::string& what)
{
    throw FormatError(FormatError::Kind::Corrupt, "GIF cannot be decoded: " + what, 0);
}

}  // namespace

Bitmap decodeGif(std::span<const std::uint8_t> data)
{
    MemorySource src{data};
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&src, readFromMemory, &err));
    if (!gif) fail(GifErrorString(err) ? GifErrorString(err) : "bad header");
    int width = gif->SWidth, height = gif->SHeight;
    int transparent = -1;
    while (true) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) fail("bad record");
        if (type == TERMINATE_RECORD_TYPE) fail("no image");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) fail("bad extension");
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4 && (ext[1] & 1)) transparent = ext[4];
            while (ext) {
                if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) fail("bad extension");
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) fail("bad image descriptor");
        const GifImageDesc& desc = gif->Image;
        if (width <= 0 || height <= 0) {
            width = desc.Left + desc.Width;
            height = desc.Top + desc.Height;
        }
        checkBitmapSize(width, height);
        checkBitmapSize(desc.Width, desc.Height);
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!map) fail("no colour table");
        Bitmap bmp;
        bmp.width = width;
        bmp.height = height;
        bmp.pixels.assign(static_cast<std::size_t>(width) * height, 0u);
        std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
        // Interlaced images store rows in four passes.
        std::vector<int> order;
        if (desc.Interlace) {
            static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < desc.Height; y += step[pass]) order.push_back(y);
        } else {
            for (int y = 0; y < desc.Height; ++y) order.push_back(y);
        }
        for (int y : order) {
            if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) break;  // keep rows read
            int dy = desc.Top + y;
            if (dy < 0 || dy >= height) continue;
            for (int x = 0; x < desc.Width; ++x) {
                int dx = desc.Left + x;
                if (dx < 0 || dx >= width) continue;
                int index = line[static_cast<std::size_t>(x)];
                if (index == transparent || index >= map->ColorCount) continue;
                const GifColorType& c = map->Colors[index];
                bmp.pixels[static_cast<std::size_t>(dy) * width + dx] = premultiply(c.Red, c.Green, c.Blue, 255);
            }
        }
        bmp.opaque = std::all_of(bmp.pixels.begin(), bmp.pixels.end(),
                                 [](std::uint32_t p) { return (p >> 24) == 255; });
        return bmp;
    }
}

}  // namespace swf
