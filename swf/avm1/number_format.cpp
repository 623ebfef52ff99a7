#include "swf/avm1/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "swf/avm1/string.h"

namespace swf::avm1 {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 99;
}

// Length of the longest prefix of `s` (from `i`) that is a decimal number; 0 if none.
std::size_t decimalPrefix(std::u16string_view s, std::size_t i)
{
    std::size_t start = i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i - start;
}

double parseDecimal(std::u16string_view s)
{
    std::string ascii;
    ascii.reserve(s.size());
    for (char16_t c : s) ascii += static_cast<char>(c);
    return std::strtod(ascii.c_str(), nullptr);
}
}  // namespace

bool isAsciiWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string formatNumber(double n)
{
    if (std::isnan(n)) return u"NaN";
    if (std::isinf(n)) return n > 0 ? u"Infinity" : u"-Infinity";
    if (n == 0) return u"0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", n);
    if (std::isinf(std::strtod(buf, nullptr))) {
        // Rounding up would name a number beyond the largest double: cut the digits instead.
        char wide[48];
        std::snprintf(wide, sizeof wide, "%.20e", n);
        std::string w(wide);
        std::size_t e = w.find('e');
        std::string mantissa = w.substr(0, 16);  // "d." plus 14 digits
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
        std::snprintf(buf, sizeof buf, "%se%s", mantissa.c_str(), w.substr(e + 1).c_str());
    }
    std::string s(buf);
    // printf pads the exponent to two digits ("1e-05"); Flash writes "1e-5".
    auto e = s.find('e');
    if (e != std::string::npos) {
        std::size_t digits = e + 2;  // after 'e' and the sign
        while (digits + 1 < s.size() && s[digits] == '0') s.erase(digits, 1);
    }
    return asciiToUtf16(s);
}

std::u16string formatNumberRadix(double n, int radix)
{
    if (radix < 2 || radix > 36 || radix == 10) return formatNumber(n);
    if (!std::isfinite(n)) {
        // The player's integer conversion makes these -2147483648, whose negation overflows:
        // the remainders stay negative and come out as the characters below '0'.
        std::int32_t v = std::numeric_limits<std::int32_t>::min();
        std::u16string out;
        do {
            out.insert(out.begin(), char16_t(u'0' + v % radix));
            v /= radix;
        } while (v != 0);
        return u"-" + out;
    }
    // Flash converts to a 32-bit integer first.
    double t = std::trunc(n);
    auto v = static_cast<std::int64_t>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(std::fmod(t, 4294967296.0)))));
    bool negative = v < 0;
    std::uint64_t u = static_cast<std::uint64_t>(negative ? -v : v);
    std::u16string out;
    do {
        int d = static_cast<int>(u % static_cast<std::uint64_t>(radix));
        out.insert(out.begin(), char16_t(d < 10 ? u'0' + d : u'a' + d - 10));
        u /= static_cast<std::uint64_t>(radix);
    } while (u > 0);
    if (negative) out.insert(out.begin(), u'-');
    return out;
}

double stringToNumber(std::u16string_view s, int version)
{
    const double unparsable = version <= 4 ? 0.0 : kNaN;
    if (version >= 6 && s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
        // Hexadecimal right at the start; a sign may follow the prefix ("0x-2").
        std::size_t k = 2;
        bool negative = false;
        if (k < s.size() && (s[k] == u'-' || s[k] == u'+')) negative = s[k++] == u'-';
        if (k == s.size()) return unparsable;
        double v = 0;
        for (; k < s.size(); ++k) {
            int d = digitValue(s[k]);
            if (d >= 16) return unparsable;
            v = v * 16 + d;
        }
        return negative ? -v : v;
    }
    if (version >= 6 && s.size() > 1 && s[0] == u'0' &&
        std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'7'; })) {
        // A leading zero followed only by octal digits is octal.
        double v = 0;
        for (char16_t c : s) v = v * 8 + (c - u'0');
        return v;
    }
    std::size_t i = 0;
    while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
    std::size_t n = decimalPrefix(s, i);
    if (version <= 4) {
        // SWF 4 reads the leading number and ignores the rest.
        return n == 0 ? 0.0 : parseDecimal(s.substr(i, n));
    }
    if (n == 0 || i + n != s.size()) return unparsable;
    return parseDecimal(s.substr(i, n));
}

double parseFloatPrefix(std::u16string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
    std::size_t n = decimalPrefix(s, i);
    if (n == 0) return kNaN;
    return parseDecimal(s.substr(i, n));
}

double parseIntPrefix(std::u16string_view s, int radix)
{
    auto isHexPrefix = [&](std::size_t at) {
        return at + 1 < s.size() && s[at] == u'0' && (s[at + 1] == u'x' || s[at + 1] == u'X');
    };
    auto digits = [&](std::size_t i, int base, bool negative) {
        if (base < 2 || base > 36) return kNaN;
        double v = 0;
        std::size_t count = 0;
        for (; i < s.size(); ++i) {
            int d = digitValue(s[i]);
            if (d >= base) break;
            v = v * base + d;
            ++count;
        }
        if (count == 0) return kNaN;
        return negative ? -v : v;
    };
    auto skipSpaceAndSign = [&](std::size_t& i, bool& negative) {
        while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    };
    bool negative = false;
    // "0x" at the very start: hexadecimal unless a radix is given; spaces and a sign may follow.
    if (isHexPrefix(0)) {
        std::size_t i = 2;
        skipSpaceAndSign(i, negative);
        return digits(i, radix == 0 ? 16 : radix, negative);
    }
    // A sign right before "0x" drops both the sign and the zero: the digits start at the 'x'.
    if (s.size() > 2 && (s[0] == u'+' || s[0] == u'-') && isHexPrefix(1)) {
        return digits(2, radix == 0 ? 10 : radix, false);
    }
    std::size_t i = 0;
    while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
    const bool leadingSpace = i > 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    if (radix == 0) {
        // Octal only when everything after an optional sign is octal digits with a leading 0.
        bool octal = !leadingSpace && i + 1 < s.size() && s[i] == u'0' &&
                     std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i), s.end(),
                                 [](char16_t c) { return c >= u'0' && c <= u'7'; });
        radix = octal ? 8 : 10;
    }
    return digits(i, radix, negative);
}

}  // namespace swf::avm1
