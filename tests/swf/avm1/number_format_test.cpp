// Numbers written and read the way Flash Player does it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "swf/avm1/number_format.h"
#include "swf/avm1/string.h"

namespace swf::avm1 {
namespace {

std::string fmt(double d) { return utf16ToUtf8(formatNumber(d)); }
double num(const char* s, int version) { return stringToNumber(asciiToUtf16(s), version); }
double pint(const char* s, int radix = 0) { return parseIntPrefix(asciiToUtf16(s), radix); }

TEST(NumberFormat, FifteenSignificantDigitsRounded)
{
    EXPECT_EQ(fmt(0.1 + 0.2), "0.3");
    EXPECT_EQ(fmt(127.0 / 255), "0.498039215686275");
    EXPECT_EQ(fmt(M_E), "2.71828182845905");
    EXPECT_EQ(fmt(std::sqrt(3.0)), "1.73205080756888");
    EXPECT_EQ(fmt(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(fmt(123456789012345.0), "123456789012345");
    EXPECT_EQ(fmt(-42.5), "-42.5");
}

TEST(NumberFormat, ExponentFormsAndOddValues)
{
    EXPECT_EQ(fmt(1e15), "1e+15");
    EXPECT_EQ(fmt(1e21), "1e+21");
    EXPECT_EQ(fmt(8.64e15), "8.64e+15");
    EXPECT_EQ(fmt(4.94065645841247e-324), "4.94065645841247e-324");
    EXPECT_EQ(fmt(0.0001), "0.0001");
    EXPECT_EQ(fmt(-0.0), "0");
    EXPECT_EQ(fmt(std::nan("")), "NaN");
    EXPECT_EQ(fmt(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(fmt(-std::numeric_limits<double>::infinity()), "-Infinity");
}

TEST(NumberFormat, RadixUsesTheIntegerPart)
{
    EXPECT_EQ(utf16ToUtf8(formatNumberRadix(255, 16)), "ff");
    EXPECT_EQ(utf16ToUtf8(formatNumberRadix(-255, 16)), "-ff");
    EXPECT_EQ(utf16ToUtf8(formatNumberRadix(5.9, 2)), "101");
}

TEST(StringToNumber, HexAndOctalOnlyFromSwf6AtTheVeryStart)
{
    EXPECT_TRUE(std::isnan(num("0x2", 5)));
    EXPECT_EQ(num("0x2", 6), 2);
    EXPECT_EQ(num("0x-2", 6), -2);
    EXPECT_TRUE(std::isnan(num(" 0x2", 6)));
    EXPECT_TRUE(std::isnan(num("-0x2", 7)));
    EXPECT_EQ(num("030", 5), 30);
    EXPECT_EQ(num("030", 6), 24);
    EXPECT_EQ(num(" 030", 6), 30);
    EXPECT_EQ(num("030912", 6), 30912);
}

TEST(StringToNumber, DecimalGrammar)
{
    EXPECT_EQ(num("\t\n \r-2", 7), -2);
    EXPECT_EQ(num(".2", 7), 0.2);
    EXPECT_EQ(num("1.", 7), 1);
    EXPECT_EQ(num("030e12", 7), 3e13);
    EXPECT_TRUE(std::isnan(num("--2", 7)));
    EXPECT_TRUE(std::isnan(num("- 2", 7)));
    EXPECT_TRUE(std::isnan(num("Infinity", 7)));
    EXPECT_TRUE(std::isnan(num("", 7)));
    EXPECT_TRUE(std::isnan(num("12abc", 5)));
}

TEST(StringToNumber, Swf4ReadsTheLeadingNumberAndDefaultsToZero)
{
    EXPECT_EQ(num("12abc", 4), 12);
    EXPECT_EQ(num("abc", 4), 0);
    EXPECT_EQ(num("", 4), 0);
}

TEST(ParseInt, PrefixesSignsAndRadix)
{
    EXPECT_EQ(pint("0x123"), 291);
    EXPECT_EQ(pint("0x2", 10), 2);             // a hex prefix wins over the radix
    EXPECT_EQ(pint("0x100", 36), 1296);        // ... but the digits follow the radix
    EXPECT_EQ(pint(" 0x100", 36), 1540944);    // after spaces "0x" is just digits
    EXPECT_TRUE(std::isnan(pint("-0x100")));
    EXPECT_EQ(pint("-0x100", 36), 1540944);
    EXPECT_EQ(pint("0x -100"), -256);
    EXPECT_EQ(pint("077"), 63);
    EXPECT_EQ(pint("  077"), 77);
    EXPECT_EQ(pint("077 "), 77);
    EXPECT_EQ(pint("-0100"), -64);
    EXPECT_EQ(pint("-0100z"), -100);
    EXPECT_EQ(pint("12aaa"), 12);
    EXPECT_TRUE(std::isnan(pint("++1")));
    EXPECT_TRUE(std::isnan(pint("0x")));
    EXPECT_TRUE(std::isnan(pint("")));
}

TEST(ParseFloat, LongestDecimalPrefix)
{
    EXPECT_EQ(parseFloatPrefix(u"  3.5abc"), 3.5);
    EXPECT_EQ(parseFloatPrefix(u"030e12"), 3e13);
    EXPECT_EQ(parseFloatPrefix(u"0x2"), 0);
    EXPECT_TRUE(std::isnan(parseFloatPrefix(u"Infinity")));
}

}  // namespace
}  // namespace swf::avm1
