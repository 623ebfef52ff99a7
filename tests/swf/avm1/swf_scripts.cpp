#include "swf_scripts.h"

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "swf/format/reader.h"

namespace swf::avm1::testing {

namespace {
std::vector<std::uint8_t> inflateAll(std::span<const std::uint8_t> in, std::size_t expected)
{
    std::vector<std::uint8_t> out(expected);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("zlib init failed");
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int r = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    if (r != Z_STREAM_END && r != Z_OK && r != Z_BUF_ERROR) throw std::runtime_error("bad zlib data");
    return out;
}
}  // namespace

SwfScripts loadSwfScripts(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot open " + path);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (file.size() < 8) throw std::runtime_error("not a SWF file");
    SwfScripts s;
    s.version = file[3];
    ByteReader head(file);
    head.skip(4);
    std::uint32_t length = head.u32();
    if (length > (256u << 20)) throw std::runtime_error("file too large");
    auto body = std::make_shared<std::vector<std::uint8_t>>();
    if (file[0] == 'F') {
        body->assign(file.begin() + 8, file.end());
    } else if (file[0] == 'C') {
        *body = inflateAll(std::span<const std::uint8_t>(file).subspan(8), length > 8 ? length - 8 : 0);
    } else {
        throw std::runtime_error("unsupported compression");
    }
    ByteReader r(*body);
    BitReader bits(r);
    unsigned nbits = bits.ub(5);
    for (int i = 0; i < 4; ++i) bits.sb(nbits);
    bits.align();
    s.frameRate = r.u16() / 256.0;
    s.frameCount = r.u16();
    s.frames.emplace_back();
    std::size_t initCount = 0;
    while (!r.atEnd()) {
        std::uint16_t header = r.u16();
        std::size_t code = header >> 6;
        std::size_t len = header & 0x3F;
        if (len == 0x3F) len = r.u32();
        if (len > r.remaining()) len = r.remaining();
        std::size_t start = r.position();
        r.skip(len);
        if (code == 0) break;
        if (code == 1) {
            s.frames.emplace_back();
            initCount = 0;
        } else if (code == 12) {
            s.frames.back().push_back(ActionBlock::inBuffer(body, start, len, s.version));
        } else if (code == 65 && len >= 4) {
            s.maxRecursion = (*body)[start] | ((*body)[start + 1] << 8);
        } else if (code == 59 && len >= 2) {
            // Init actions go before the frame's DoActions.
            auto& frame = s.frames.back();
            frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(initCount++),
                         ActionBlock::inBuffer(body, start + 2, len - 2, s.version));
        }
    }
    if (s.frames.back().empty() && s.frames.size() > 1) s.frames.pop_back();
    return s;
}

}  // namespace swf::avm1::testing
