#include "swf/format/swf_file.h"

#include <algorithm>
#include <array>

#include <lzma.h>
#include <zlib.h>

#include "swf/format/reader.h"
#include "swf/format/records.h"

namespace swf {
namespace {

constexpr std::size_t kPrefixSize = 8;
constexpr std::size_t kChunk = 64 * 1024;

struct Inflated {
    bool streamEnded = false;   // the compressed stream reached its proper end
    bool failed = false;        // the stream was damaged (data up to the damage is kept)
    bool hitLimit = false;      // output reached `limit` with input left over
    std::string error;
};

// Grows `out` by up to kChunk bytes without passing `limit`; returns the writable window.
std::span<std::uint8_t> growOutput(std::vector<std::uint8_t>& out, std::size_t limit)
{
    std::size_t old = out.size();
    std::size_t add = std::min(kChunk + old / 2, limit - old);
    out.resize(old + add);
    return {out.data() + old, add};
}

Inflated inflateZlib(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit)
{
    Inflated result;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        result.failed = true;
        result.error = "zlib could not start";
        return result;
    }
    zs.next_in = const_cast<Bytef*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t produced = out.size();
    while (true) {
        if (produced == limit) {
            // Probe whether the stream holds more than the limit.
            std::array<std::uint8_t, 1> probe{};
            zs.next_out = probe.data();
            zs.avail_out = 1;
            if (zs.avail_in == 0 && inLeft > 0) {
                zs.avail_in = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
                inLeft -= zs.avail_in;
            }
            int rc = inflate(&zs, Z_NO_FLUSH);
            if (rc == Z_STREAM_END && zs.avail_out == 1) result.streamEnded = true;
            else if (zs.avail_out == 0) result.hitLimit = true;
            break;
        }
        auto window = growOutput(out, limit);
        zs.next_out = window.data();
        zs.avail_out = static_cast<uInt>(window.size());
        if (zs.avail_in == 0) {
            zs.avail_in = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
            inLeft -= zs.avail_in;
        }
        int rc = inflate(&zs, Z_NO_FLUSH);
        produced += window.size() - zs.avail_out;
        out.resize(produced);
        if (rc == Z_STREAM_END) {
            result.streamEnded = true;
            break;
        }
        if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0) break;  // input ran out
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            result.failed = true;
            result.error = zs.msg ? zs.msg : "zlib data error";
            break;
        }
    }
    inflateEnd(&zs);
    return result;
}

// The SWF form of LZMA: UI32 compressed length (ignored), 5 property bytes, raw LZMA1 data that
// may or may not end with an end marker. Decoded as a .lzma stream of unknown size, stopping at
// `limit` bytes or at the end of the input.
Inflated inflateLzma(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
                     std::size_t limit)
{
    Inflated result;
    if (in.size() < 9) {
        result.failed = true;
        result.error = "LZMA properties missing";
        return result;
    }
    std::array<std::uint8_t, 13> alone{};
    std::copy_n(in.begin() + 4, 5, alone.begin());
    std::fill(alone.begin() + 5, alone.end(), 0xff);  // size unknown
    // The decoder allocates the whole dictionary; no distance can reach back further than the
    // output we accept, so a larger dictionary is cut to that.
    std::uint32_t dict = static_cast<std::uint32_t>(alone[1]) | (static_cast<std::uint32_t>(alone[2]) << 8) |
                         (static_cast<std::uint32_t>(alone[3]) << 16) | (static_cast<std::uint32_t>(alone[4]) << 24);
    std::uint32_t cap = static_cast<std::uint32_t>(std::max<std::size_t>(limit, 4096));
    if (dict > cap) {
        for (int i = 0; i < 4; ++i) alone[1 + i] = static_cast<std::uint8_t>(cap >> (8 * i));
    }
    lzma_stream zs = LZMA_STREAM_INIT;
    // The dictionary is what the decoder allocates; bound it like the output.
    if (lzma_alone_decoder(&zs, limits::kMaxDecompressedSize) != LZMA_OK) {
        result.failed = true;
        result.error = "LZMA decoder could not start";
        return result;
    }
    auto payload = in.subspan(9);
    lzma_ret rc = LZMA_OK;
    std::size_t produced = out.size();
    // The synthesised .lzma header goes in first, then the payload.
    zs.next_in = alone.data();
    zs.avail_in = alone.size();
    bool payloadFed = false;
    auto feed = [&] {
        if (zs.avail_in == 0 && !payloadFed) {
            zs.next_in = payload.data();
            zs.avail_in = payload.size();
            payloadFed = true;
        }
    };
    while (true) {
        if (produced == limit) {
            if (zs.avail_in > 0) {
                std::array<std::uint8_t, 1> probe{};
                zs.next_out = probe.data();
                zs.avail_out = 1;
                rc = lzma_code(&zs, LZMA_RUN);
                if (zs.avail_out == 0) result.hitLimit = true;
                else if (rc == LZMA_STREAM_END) result.streamEnded = true;
            }
            break;
        }
        auto window = growOutput(out, limit);
        zs.next_out = window.data();
        zs.avail_out = window.size();
        feed();
        rc = lzma_code(&zs, LZMA_RUN);
        if (rc == LZMA_OK && zs.avail_in == 0 && !payloadFed) {
            feed();
            rc = lzma_code(&zs, LZMA_RUN);
        }
        produced += window.size() - zs.avail_out;
        out.resize(produced);
        if (rc == LZMA_STREAM_END) {
            result.streamEnded = true;
            break;
        }
        if (rc == LZMA_OK && zs.avail_in == 0 && payloadFed && zs.avail_out > 0) break;  // input ran out
        if (rc == LZMA_BUF_ERROR) break;
        if (rc != LZMA_OK) {
            result.failed = true;
            result.error = rc == LZMA_MEMLIMIT_ERROR ? "LZMA dictionary too large" : "LZMA data error";
            break;
        }
    }
    lzma_end(&zs);
    return result;
}

}  // namespace

bool hasSwfSignature(std::span<const std::uint8_t> b)
{
    return b.size() >= 3 && (b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') && b[1] == 'W' &&
           b[2] == 'S';
}

const char* compressionName(Compression c)
{
    switch (c) {
    case Compression::None: return "FWS";
    case Compression::Zlib: return "CWS";
    case Compression::Lzma: return "ZWS";
    }
    return "?";
}

SwfFile readSwfFile(std::span<const std::uint8_t> bytes, std::size_t maxSize)
{
    if (!hasSwfSignature(bytes))
        throw FormatError(FormatError::Kind::Unsupported, "not a SWF file (no FWS/CWS/ZWS signature)", 0);
    ByteReader prefix(bytes);
    prefix.skip(3);
    if (bytes.size() < kPrefixSize)
        throw FormatError(FormatError::Kind::Truncated, "SWF header ends early", static_cast<std::int64_t>(bytes.size()));

    SwfFile file;
    SwfHeader& h = file.header;
    h.compression = bytes[0] == 'F' ? Compression::None
                  : bytes[0] == 'C' ? Compression::Zlib
                                    : Compression::Lzma;
    h.version = prefix.u8();
    h.fileLength = prefix.u32();

    // The declared length bounds what decompression may produce; a length that cannot even hold
    // the prefix is no bound at all, so the cap alone applies then.
    std::size_t declared = h.fileLength >= kPrefixSize ? h.fileLength : maxSize;
    std::size_t limit = std::min<std::size_t>(declared, maxSize);
    if (limit < kPrefixSize) limit = kPrefixSize;

    if (h.compression == Compression::None) {
        // Uncompressed: the data is all here; the tags are read to the End tag or the data's end.
        if (bytes.size() > maxSize)
            throw FormatError(FormatError::Kind::TooLarge, "SWF file larger than the size limit", 0);
        file.data.assign(bytes.begin(), bytes.end());
        if (h.fileLength != bytes.size())
            file.warnings.push_back("declared file length " + std::to_string(h.fileLength) +
                                    " differs from the data's " + std::to_string(bytes.size()));
        if (h.fileLength > bytes.size()) file.truncated = true;
    } else {
        file.data.reserve(std::min<std::size_t>(limit, bytes.size() * 4 + kChunk));
        file.data.assign(bytes.begin(), bytes.begin() + kPrefixSize);
        auto body = bytes.subspan(kPrefixSize);
        Inflated r = h.compression == Compression::Zlib ? inflateZlib(body, file.data, limit)
                                                        : inflateLzma(body, file.data, limit);
        if (r.hitLimit) {
            if (declared > maxSize)
                throw FormatError(FormatError::Kind::TooLarge,
                                  "decompressed movie exceeds the size limit of " +
                                      std::to_string(maxSize) + " bytes",
                                  static_cast<std::int64_t>(file.data.size()));
            file.warnings.push_back("compressed data continues past the declared file length");
        }
        if (r.failed) {
            if (file.data.size() <= kPrefixSize)
                throw FormatError(FormatError::Kind::Corrupt,
                                  std::string("compressed data is damaged: ") + r.error,
                                  static_cast<std::int64_t>(kPrefixSize));
            file.warnings.push_back("compressed data is damaged after " +
                                    std::to_string(file.data.size()) + " bytes: " + r.error);
            file.truncated = true;
        } else if (file.data.size() < declared && declared <= maxSize) {
            file.truncated = true;
            file.warnings.push_back("compressed data ends after " + std::to_string(file.data.size()) +
                                    " of " + std::to_string(declared) + " declared bytes");
        }
    }

    ByteReader r(file.data);
    r.seek(kPrefixSize);
    h.frameSize = readRect(r);
    h.frameRate = r.u16() / 256.0;
    h.frameCount = r.u16();
    file.tagsOffset = r.position();
    return file;
}

}  // namespace swf
