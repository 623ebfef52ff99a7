#pragma once
// The outer layer of a SWF file: signature, version, declared length, decompression (zlib or
// LZMA) and the movie header (frame rectangle, rate and count). Produces the uncompressed file
// that the tag stream is read from.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/limits.h"

namespace swf {

enum class Compression : std::uint8_t { None, Zlib, Lzma };

struct SwfHeader {
    Compression compression = Compression::None;
    int version = 0;
    std::uint32_t fileLength = 0;  // as declared; not trusted
    Rect frameSize;                // twips
    double frameRate = 0;          // frames per second, 8.8 fixed as stored (may be 0)
    std::uint16_t frameCount = 0;  // as declared
};

struct SwfFile {
    SwfHeader header;
    // The whole file without compression: the 8-byte prefix, the movie header and the tags.
    std::vector<std::uint8_t> data;
    std::size_t tagsOffset = 0;    // where the first tag starts in `data`
    // The compressed stream or the file ended before the declared length: the tags read from
    // `data` may stop early.
    bool truncated = false;
    std::vector<std::string> warnings;
};

// Reads the signature and decompresses. Throws FormatError: Unsupported for data that is not a
// SWF, Truncated when not even the movie header is present, Corrupt for a compressed stream that
// fails before anything usable came out, TooLarge past `maxSize` decompressed bytes.
SwfFile readSwfFile(std::span<const std::uint8_t> bytes,
                    std::size_t maxSize = limits::kMaxDecompressedSize);

// True when `bytes` start with a SWF signature (FWS, CWS or ZWS).
bool hasSwfSignature(std::span<const std::uint8_t> bytes);

const char* compressionName(Compression c);  // "FWS", "CWS", "ZWS"

}  // namespace swf
