#include "swf/avm1/number_format.h"

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
    if (radix < 2 || radix > 36 || radix == 10 || !std::isfinite(n)) return formatNumber(n);
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
    std::size_t i = 0;
    while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
    if (version >= 6 && i == 0 && s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
        double v = 0;
        for (std::size_t k = 2; k < s.size(); ++k) {
            int d = digitValue(s[k]);
            if (d >= 16) return unparsable;
            v = v * 16 + d;
        }
        return v;
    }
    if (version <= 4) {
        // SWF 4 reads the leading number and ignores the rest.
        std::size_t n = decimalPrefix(s, i);
        return n == 0 ? 0.0 : parseDecimal(s.substr(i, n));
    }
    std::size_t n = decimalPrefix(s, i);
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
    std::size_t i = 0;
    while (i < s.size() && isAsciiWhitespace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (radix == 0) {
        if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
            radix = 16;
            i += 2;
        } else if (i + 1 < s.size() && s[i] == u'0') {
            radix = 8;
        } else {
            radix = 10;
        }
    } else if (radix == 16 && i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        i += 2;
    }
    if (radix < 2 || radix > 36) return kNaN;
    double v = 0;
    std::size_t digits = 0;
    for (; i < s.size(); ++i) {
        int d = digitValue(s[i]);
        if (d >= radix) break;
        v = v * radix + d;
        ++digits;
    }
    if (digits == 0) return kNaN;
    return negative ? -v : v;
}

}  // namespace swf::avm1
