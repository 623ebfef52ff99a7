#include "swf/avm1/text_encoding.h"

#include "swf/avm1/string.h"

namespace swf::avm1 {

namespace {
int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool keptByEscape(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
}  // namespace

std::u16string urlEscape(std::u16string_view text, bool utf8)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    auto emitByte = [&](unsigned b) {
        out += u'%';
        out += kHex[(b >> 4) & 0xF];
        out += kHex[b & 0xF];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (keptByEscape(c)) {
            out += c;
        } else if (c < 0x80 || (!utf8 && c < 0x100)) {
            emitByte(c);
        } else {
            std::string bytes = utf16ToUtf8(text.substr(i, (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) ? 2 : 1));
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) ++i;
            for (char b : bytes) emitByte(static_cast<unsigned char>(b));
        }
    }
    return out;
}

std::u16string urlUnescape(std::u16string_view text, bool utf8)
{
    std::string bytes;  // runs of %XX bytes are decoded together (UTF-8 sequences)
    std::u16string out;
    auto flush = [&] {
        if (bytes.empty()) return;
        if (utf8) {
            out += utf8ToUtf16(bytes);
        } else {
            for (char b : bytes) out += char16_t(static_cast<unsigned char>(b));
        }
        bytes.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'%') {
            // "%XX" is a byte; a broken escape drops the '%' with the characters it spoils.
            int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            if (hi < 0) {
                ++i;
                continue;
            }
            int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            i += 2;
            if (lo >= 0) bytes += static_cast<char>(hi * 16 + lo);
            continue;
        }
        flush();
        out += c == u'+' ? u' ' : c;
    }
    flush();
    return out;
}

std::vector<std::pair<std::u16string, std::u16string>> decodeFormVariables(std::u16string_view text, bool utf8)
{
    std::vector<std::pair<std::u16string, std::u16string>> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t amp = text.find(u'&', start);
        if (amp == std::u16string_view::npos) amp = text.size();
        std::u16string pair(text.substr(start, amp - start));
        start = amp + 1;
        if (pair.empty()) continue;
        for (auto& ch : pair)
            if (ch == u'+') ch = u' ';
        const std::size_t eq = pair.find(u'=');
        std::u16string name = urlUnescape(std::u16string_view(pair).substr(0, eq), utf8);
        std::u16string value = eq == std::u16string::npos ? std::u16string() : urlUnescape(std::u16string_view(pair).substr(eq + 1), utf8);
        if (!name.empty()) out.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

}  // namespace swf::avm1
