#include "swf/avm1/string.h"

#include "swf/avm1/case_mapping.h"

namespace swf::avm1 {

namespace {
const std::u16string kEmpty;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

String::String(std::u16string text)
{
    if (!text.empty()) rep_ = new Rep{std::move(text)};
}

String::String(const char* ascii) : String(asciiToUtf16(ascii)) {}

String String::fromUtf8(std::string_view utf8) { return String(utf8ToUtf16(utf8)); }

const std::u16string& String::str() const { return rep_ ? rep_->text : kEmpty; }

std::string String::toUtf8() const { return utf16ToUtf8(view()); }

std::uint32_t String::foldedHash() const
{
    if (!rep_) return 2166136261u;
    if (!rep_->hashed) {
        std::uint32_t h = 2166136261u;  // FNV-1a over folded code units
        for (char16_t c : rep_->text) {
            h = (h ^ foldCase(c)) * 16777619u;
        }
        rep_->hash = h;
        rep_->hashed = true;
    }
    return rep_->hash;
}

bool String::equalsIgnoreCase(const String& o) const
{
    if (rep_ == o.rep_) return true;
    return avm1::equalsIgnoreCase(view(), o.view());
}

char16_t foldCase(char16_t c) { return c < 0x80 ? foldAscii(c) : toLowerChar(c); }

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp;
        int extra;
        if (b < 0x80) {
            out += char16_t(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= s.size()) {
                ok = false;
                break;
            }
            auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

std::u16string asciiToUtf16(std::string_view ascii)
{
    std::u16string out;
    out.reserve(ascii.size());
    for (char c : ascii) out += char16_t(static_cast<unsigned char>(c));
    return out;
}

}  // namespace swf::avm1
