#include "swf/avm1/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace swf::avm1 {

namespace {
const iconv_t kBad = reinterpret_cast<iconv_t>(-1);

// windows-1252 bytes 0x80..0x9F; the rest of the page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
}  // namespace

struct CodePage::Converters {
    iconv_t toUtf16 = kBad;
    iconv_t fromUtf16 = kBad;
    ~Converters()
    {
        if (toUtf16 != kBad) iconv_close(toUtf16);
        if (fromUtf16 != kBad) iconv_close(fromUtf16);
    }
};

CodePage::CodePage(std::string name) : name_(std::move(name)), conv_(std::make_unique<Converters>())
{
    conv_->toUtf16 = iconv_open("UTF-16LE", name_.c_str());
    conv_->fromUtf16 = iconv_open(name_.c_str(), "UTF-16LE");
    if (conv_->toUtf16 == kBad || conv_->fromUtf16 == kBad) {
        conv_ = std::make_unique<Converters>();  // fall back to the built-in table
        name_ = "WINDOWS-1252";
        return;
    }
    // A double-byte set decodes some two-byte sequence to one character.
    const std::uint8_t probe[2] = {0x81, 0x40};
    multiByte_ = decode(probe).size() == 1;
}

CodePage::~CodePage() = default;

std::u16string CodePage::decode(std::span<const std::uint8_t> bytes) const
{
    std::u16string out;
    if (conv_->toUtf16 == kBad) {
        out.reserve(bytes.size());
        for (std::uint8_t b : bytes) {
            out += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b);
        }
        return out;
    }
    iconv(conv_->toUtf16, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buf(bytes.size() * 2 + 8);
    auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = buf.data();
        std::size_t outLeft = buf.size();
        std::size_t r = iconv(conv_->toUtf16, &in, &inLeft, &o, &outLeft);
        for (char* p = buf.data(); p + 1 < o; p += 2) {
            out += char16_t(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
        }
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: one replacement character per bad byte.
            out += u'\uFFFD';
            ++in;
            --inLeft;
            iconv(conv_->toUtf16, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string CodePage::encode(std::u16string_view text) const
{
    std::string out;
    if (conv_->fromUtf16 == kBad) {
        for (char16_t c : text) {
            char byte = '?';
            if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
                byte = static_cast<char>(c);
            } else {
                for (int i = 0; i < 32; ++i) {
                    if (kCp1252High[i] == c && c != 0xFFFD) byte = static_cast<char>(0x80 + i);
                }
            }
            out += byte;
        }
        return out;
    }
    iconv(conv_->fromUtf16, nullptr, nullptr, nullptr, nullptr);
    for (char16_t c : text) {
        char inBytes[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        char outBytes[8];
        char* in = inBytes;
        std::size_t inLeft = 2;
        char* o = outBytes;
        std::size_t outLeft = sizeof outBytes;
        if (iconv(conv_->fromUtf16, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
            out += '?';
            iconv(conv_->fromUtf16, nullptr, nullptr, nullptr, nullptr);
        } else {
            out.append(outBytes, static_cast<std::size_t>(o - outBytes));
        }
    }
    return out;
}

}  // namespace swf::avm1
