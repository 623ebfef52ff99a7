#pragma once
// Strings of the file to UTF-8. SWF 6 and later store UTF-8 (decoded leniently: bad sequences
// become U+FFFD). SWF 5 and earlier store the author's code page, which the file does not name;
// we take text that is valid UTF-8 as it is and decode the rest as GBK (code page 936), with
// bytes that GBK cannot place read as Latin-1 so that Western text still reads.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace swf {

bool isValidUtf8(std::span<const std::uint8_t> bytes);
// Copies valid sequences and replaces each invalid byte with U+FFFD.
std::string sanitizeUtf8(std::span<const std::uint8_t> bytes);
void appendUtf8(std::string& out, char32_t c);

// Decodes the strings of one file. Holds a code page converter, so keep one per load rather
// than one per string; not shared between threads.
class TextDecoder {
public:
    explicit TextDecoder(int swfVersion);
    ~TextDecoder();
    TextDecoder(TextDecoder&&) noexcept;
    TextDecoder& operator=(TextDecoder&&) noexcept;

    int version() const { return version_; }
    std::string decode(std::span<const std::uint8_t> bytes);
    std::string decode(std::string_view bytes)
    {
        return decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    }
    // The Unicode character of a font code table entry. SWF 6+: the code is UCS-2. SWF 5 and
    // earlier: a code page character; 16-bit codes hold a double-byte character as
    // lead * 256 + trail.
    char16_t decodeCode(std::uint16_t code);
    // The bytes a file of this version stores for `text`: UTF-8 for SWF 6 and later; for older
    // files ASCII as it is, a GBK double-byte character where GBK has one, else '?' (as the
    // system code page does for a character it lacks). The multibyte string actions of old
    // scripts count and cut text in these bytes.
    std::string encode(std::u16string_view text);

private:
    std::string decodeCodePage(std::span<const std::uint8_t> bytes);

    struct Converter;
    int version_;
    std::unique_ptr<Converter> gbk_;  // opened on first need
};

}  // namespace swf
