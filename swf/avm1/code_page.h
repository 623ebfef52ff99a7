#pragma once
// Text of SWF 5 and older files is in the playing machine's ANSI code page, which nothing in the
// file names. The VM is told which code page to assume (GBK on a simplified-Chinese system,
// windows-1252 on a Western one) and converts through iconv. The multibyte string actions of
// SWF 4 need the same table to count and split double-byte characters.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace swf::avm1 {

class CodePage {
public:
    // `name` is an iconv encoding name ("WINDOWS-1252", "GBK", "SHIFT_JIS"). An unknown name
    // falls back to windows-1252 semantics (every byte maps to one character).
    explicit CodePage(std::string name = "WINDOWS-1252");
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    const std::string& name() const { return name_; }
    // Bytes of the code page to text; bytes that do not decode become U+FFFD.
    std::u16string decode(std::span<const std::uint8_t> bytes) const;
    // Text to bytes; characters the code page lacks become '?'.
    std::string encode(std::u16string_view text) const;
    // True if the code page uses lead bytes (double-byte character sets).
    bool isMultiByte() const { return multiByte_; }

private:
    struct Converters;
    std::string name_;
    std::unique_ptr<Converters> conv_;
    bool multiByte_ = false;
};

}  // namespace swf::avm1
