#pragma once
// Text files scripts load (loadVariables, LoadVars, XML): read from disk with a size cap and
// decoded to the VM's UTF-16. The decoding is the one the engine uses for text whose encoding
// is not named: a byte order mark decides when there is one (UTF-8, UTF-16 LE or BE); without
// one, valid UTF-8 is read as UTF-8 and anything else as the code page (GBK). A movie that sets
// System.useCodepage asks for the code page whatever the bytes (a mark still decides).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "swf/format/limits.h"

namespace swf::runtime {

using limits::kMaxLoadedTextBytes;

struct LoadedText {
    std::u16string text;
    std::size_t bytes = 0;  // size of the file, as getBytesLoaded/getBytesTotal report it
};

std::u16string decodeLoadedText(std::span<const std::uint8_t> bytes, bool useCodepage = false);

// Reads the file at `path`; an error message when it cannot be read or exceeds `maxBytes`.
std::variant<LoadedText, std::string> readLoadedText(const std::string& path, bool useCodepage = false,
                                                     std::size_t maxBytes = kMaxLoadedTextBytes);

}  // namespace swf::runtime
