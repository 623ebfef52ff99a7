#pragma once
// Numbers as Flash Player writes and reads them: 15 significant digits, exponent form from
// 1e+15 up and below 1e-4, -0 written as 0; string-to-number parsing with the per-version
// rules (hexadecimal only from SWF 6, unparsable text is 0 in SWF 4 and NaN later).

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace swf::avm1 {

// A script number as an int (depths, frames, indices): NaN is 0, others are truncated and held
// to int's range, since a script may pass any number and a double outside that range does not
// convert.
inline int toClampedInt(double d)
{
    if (std::isnan(d)) return 0;
    return static_cast<int>(std::clamp(std::trunc(d), -2147483648.0, 2147483647.0));
}

std::u16string formatNumber(double n);
// Number.prototype.toString(radix) for radix 2..36 other than 10 (integer part only).
std::u16string formatNumberRadix(double n, int radix);

// ToNumber of a string for code of SWF `version`.
double stringToNumber(std::u16string_view s, int version);
// parseFloat: the longest leading decimal number, NaN if there is none.
double parseFloatPrefix(std::u16string_view s);
// parseInt: radix 0 means detect (0x -> 16, leading 0 -> 8, else 10). NaN if no digits.
double parseIntPrefix(std::u16string_view s, int radix);

bool isAsciiWhitespace(char16_t c);

}  // namespace swf::avm1
