#include "swf/format/text_encoding.h"

#include <iconv.h>

#include <array>
#include <optional>

namespace swf {
namespace {

// Length of the valid UTF-8 sequence at `i`, or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(std::span<const std::uint8_t> b, std::size_t i)
{
    std::uint8_t c = b[i];
    if (c < 0x80) return 1;
    std::size_t n;
    char32_t min;
    if ((c & 0xe0) == 0xc0) { n = 2; min = 0x80; }
    else if ((c & 0xf0) == 0xe0) { n = 3; min = 0x800; }
    else if ((c & 0xf8) == 0xf0) { n = 4; min = 0x10000; }
    else return 0;
    if (i + n > b.size()) return 0;
    char32_t v = c & (0x7f >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b[i + k] & 0xc0) != 0x80) return 0;
        v = (v << 6) | (b[i + k] & 0x3f);
    }
    if (v < min || v > 0x10ffff || (v >= 0xd800 && v <= 0xdfff)) return 0;
    return n;
}

// The one character of `utf8` when it holds exactly one from the basic plane.
std::optional<char16_t> singleBmpCharacter(const std::string& utf8)
{
    auto u = std::span(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size());
    if (u.empty() || utf8SequenceLength(u, 0) != u.size()) return std::nullopt;
    switch (u.size()) {
    case 1: return u[0];
    case 2: return static_cast<char16_t>(((u[0] & 0x1f) << 6) | (u[1] & 0x3f));
    case 3: return static_cast<char16_t>(((u[0] & 0x0f) << 12) | ((u[1] & 0x3f) << 6) | (u[2] & 0x3f));
    default: return std::nullopt;
    }
}

}  // namespace

bool isValidUtf8(std::span<const std::uint8_t> b)
{
    for (std::size_t i = 0; i < b.size();) {
        std::size_t n = utf8SequenceLength(b, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

std::string sanitizeUtf8(std::span<const std::uint8_t> b)
{
    std::string out;
    out.reserve(b.size());
    for (std::size_t i = 0; i < b.size();) {
        std::size_t n = utf8SequenceLength(b, i);
        if (n == 0) {
            appendUtf8(out, 0xfffd);
            ++i;
        } else {
            out.append(reinterpret_cast<const char*>(b.data() + i), n);
            i += n;
        }
    }
    return out;
}

struct TextDecoder::Converter {
    static inline const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);
    iconv_t cd = kClosed;        // GBK to UTF-8
    iconv_t reverse = kClosed;   // UTF-8 to GBK, opened on first need
    Converter() { cd = iconv_open("UTF-8", "GBK"); }
    ~Converter()
    {
        if (ok()) iconv_close(cd);
        if (reverse != kClosed) iconv_close(reverse);
    }
    bool ok() const { return cd != kClosed; }
    // The GBK bytes of one character, or nothing when GBK has no such character.
    std::optional<std::string> toGbk(char32_t c)
    {
        if (reverse == kClosed) reverse = iconv_open("GBK", "UTF-8");
        if (reverse == kClosed) return std::nullopt;
        std::string utf8;
        appendUtf8(utf8, c);
        char* in = utf8.data();
        std::size_t inLeft = utf8.size();
        std::array<char, 8> buffer{};
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(reverse, nullptr, nullptr, nullptr, nullptr);
        if (iconv(reverse, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return std::nullopt;
        return std::string(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
    }
};

TextDecoder::TextDecoder(int swfVersion) : version_(swfVersion) {}
TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder&&) noexcept = default;
TextDecoder& TextDecoder::operator=(TextDecoder&&) noexcept = default;

std::string TextDecoder::decode(std::span<const std::uint8_t> bytes)
{
    if (version_ >= 6) {
        if (isValidUtf8(bytes)) return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
        return sanitizeUtf8(bytes);
    }
    if (isValidUtf8(bytes)) return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    return decodeCodePage(bytes);
}

std::string TextDecoder::decodeCodePage(std::span<const std::uint8_t> bytes)
{
    if (!gbk_) gbk_ = std::make_unique<Converter>();
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 4);
    std::size_t i = 0;
    std::array<char, 256> buffer{};
    while (i < bytes.size()) {
        if (bytes[i] < 0x80) {
            out += static_cast<char>(bytes[i++]);
            continue;
        }
        bool converted = false;
        if (gbk_->ok() && i + 1 < bytes.size()) {
            // One double-byte character at a time: simple, and a bad pair costs only itself.
            char in[2] = {static_cast<char>(bytes[i]), static_cast<char>(bytes[i + 1])};
            char* inPtr = in;
            std::size_t inLeft = 2;
            char* outPtr = buffer.data();
            std::size_t outLeft = buffer.size();
            iconv(gbk_->cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
            if (iconv(gbk_->cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                inLeft == 0) {
                out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
                i += 2;
                converted = true;
            }
        }
        if (!converted) {
            // Not a GBK character: read the byte as Latin-1 (0x80 is the euro sign in 936).
            appendUtf8(out, bytes[i] == 0x80 ? 0x20ac : bytes[i]);
            ++i;
        }
    }
    return out;
}

std::string TextDecoder::encode(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        // A surrogate pair is one character; a lone surrogate has no encoding.
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] < 0xe000)
            c = 0x10000 + ((c - 0xd800) << 10) + (text[++i] - 0xdc00);
        if (version_ >= 6) {
            appendUtf8(out, (c >= 0xd800 && c < 0xe000) ? 0xfffd : c);
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (!gbk_) gbk_ = std::make_unique<Converter>();
        if (auto bytes = gbk_->toGbk(c); bytes && bytes->size() == 2)
            out += *bytes;
        else
            out += '?';
    }
    return out;
}

char16_t TextDecoder::decodeCode(std::uint16_t code)
{
    if (version_ >= 6 || code < 0x80) return static_cast<char16_t>(code);
    if (code < 0x100) {
        std::uint8_t b = static_cast<std::uint8_t>(code);
        if (auto c = singleBmpCharacter(decodeCodePage({&b, 1}))) return *c;
        return static_cast<char16_t>(code);
    }
    std::uint8_t pair[2] = {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code & 0xff)};
    // A pair that is not one GBK character is taken as UCS-2, as some tools wrote it.
    if (auto c = singleBmpCharacter(decodeCodePage(pair))) return *c;
    return static_cast<char16_t>(code);
}

}  // namespace swf
