#pragma once
// The script string: immutable UTF-16 text shared by reference count, so that values copy in
// constant time. Identifiers compare case-sensitively from SWF 7 on and ASCII case-insensitively
// before, so the string caches a hash of its case-folded form for property lookups.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace swf::avm1 {

class String {
public:
    String() noexcept = default;
    String(std::u16string text);  // NOLINT: implicit by design, text is the payload
    String(const char* ascii);    // NOLINT: literals in native code ("length", "prototype")
    String(std::u16string_view text) : String(std::u16string(text)) {}
    String(const char16_t* text) : String(std::u16string(text)) {}  // NOLINT
    static String fromUtf8(std::string_view utf8);  // invalid sequences become U+FFFD

    String(const String& o) noexcept : rep_(o.rep_) { retain(); }
    String(String&& o) noexcept : rep_(o.rep_) { o.rep_ = nullptr; }
    String& operator=(const String& o) noexcept
    {
        if (rep_ != o.rep_) {
            o.retain();
            release();
            rep_ = o.rep_;
        }
        return *this;
    }
    String& operator=(String&& o) noexcept
    {
        if (this != &o) {
            release();
            rep_ = o.rep_;
            o.rep_ = nullptr;
        }
        return *this;
    }
    ~String() { release(); }

    const std::u16string& str() const;
    std::u16string_view view() const { return str(); }
    std::size_t size() const { return rep_ ? rep_->text.size() : 0; }
    bool empty() const { return size() == 0; }
    char16_t operator[](std::size_t i) const { return rep_->text[i]; }
    std::string toUtf8() const;

    // Hash of the case-folded text; equal for names that match case-insensitively.
    std::uint32_t foldedHash() const;
    bool equalsIgnoreCase(const String& o) const;
    bool equals(const String& o, bool caseSensitive) const
    {
        return caseSensitive ? *this == o : equalsIgnoreCase(o);
    }
    bool isSameObject(const String& o) const { return rep_ == o.rep_; }

    friend bool operator==(const String& a, const String& b)
    {
        return a.rep_ == b.rep_ || a.view() == b.view();
    }
    friend bool operator<(const String& a, const String& b) { return a.view() < b.view(); }

private:
    struct Rep {
        std::u16string text;
        std::uint32_t refs = 1;
        mutable std::uint32_t hash = 0;
        mutable bool hashed = false;
    };
    void retain() const noexcept
    {
        if (rep_) ++rep_->refs;
    }
    void release() noexcept
    {
        if (rep_ && --rep_->refs == 0) delete rep_;
        rep_ = nullptr;
    }

    Rep* rep_ = nullptr;
};

// ASCII case folding (frame labels).
inline char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
// Case folding of identifiers before SWF 7: the player lower-cases every letter it knows.
char16_t foldCase(char16_t c);
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view utf8);
std::u16string asciiToUtf16(std::string_view ascii);

}  // namespace swf::avm1
