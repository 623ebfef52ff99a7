#include "swf/runtime/loaded_text.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "swf/avm1/string.h"
#include "swf/format/text_encoding.h"

namespace swf::runtime {
namespace {

std::u16string decodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned hi = bigEndian ? bytes[i] : bytes[i + 1];
        const unsigned lo = bigEndian ? bytes[i + 1] : bytes[i];
        out += static_cast<char16_t>(hi << 8 | lo);
    }
    return out;
}

// The code page a character at a time, through the decoder of old movies' font codes: a pair
// it cannot place comes back as the pair's own value, and then the lead byte stands alone.
std::u16string decodeCodePage(std::span<const std::uint8_t> bytes)
{
    TextDecoder decoder(5);
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        if (lead >= 0x80 && i + 1 < bytes.size()) {
            const auto pair = static_cast<std::uint16_t>(lead << 8 | bytes[i + 1]);
            if (const char16_t c = decoder.decodeCode(pair); c != pair) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += decoder.decodeCode(lead);
        ++i;
    }
    return out;
}

}  // namespace

std::u16string decodeLoadedText(std::span<const std::uint8_t> bytes, bool useCodepage)
{
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return avm1::utf8ToUtf16(sanitizeUtf8(bytes.subspan(3)));
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return decodeUtf16(bytes.subspan(2), false);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return decodeUtf16(bytes.subspan(2), true);
    if (useCodepage) return decodeCodePage(bytes);
    // The decoder of old movies' strings applies the rule: UTF-8 when valid, else the code page.
    TextDecoder decoder(5);
    return avm1::utf8ToUtf16(decoder.decode(bytes));
}

std::variant<LoadedText, std::string> readLoadedText(const std::string& path, bool useCodepage, std::size_t maxBytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "cannot open " + path;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return "cannot read " + path;
    if (size > maxBytes)
        return path + " is larger than " + std::to_string(maxBytes >> 20) + " MiB (" + std::to_string(size) + " bytes)";
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return "cannot read " + path;
    return LoadedText{decodeLoadedText(bytes, useCodepage), bytes.size()};
}

}  // namespace swf::runtime
