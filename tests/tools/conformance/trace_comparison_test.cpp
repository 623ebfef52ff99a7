#include "tools/conformance/core/trace_comparison.h"

#include <gtest/gtest.h>

namespace conformance {
namespace {

TEST(TraceComparison, NormalisesLineEndsButKeepsTracedCarriageReturns)
{
    EXPECT_TRUE(compareTrace("a\r\nb\r\n", "a\nb\n").matches);
    // Reference logs differ in whether the last line ends in a newline.
    EXPECT_TRUE(compareTrace("a\nb", "a\nb\n").matches);
    EXPECT_TRUE(compareTrace("a\nb\n\n", "a\nb").matches);
    EXPECT_TRUE(compareTrace("", "\n").matches);
    // A CR inside a line is text the movie traced.
    EXPECT_FALSE(compareTrace("\r2\n", "2\n").matches);
    EXPECT_FALSE(compareTrace("a\rb\n", "a\nb\n").matches);
    // An empty line in the middle counts.
    EXPECT_FALSE(compareTrace("a\n\nb\n", "a\nb\n").matches);
}

TEST(TraceComparison, ReportsTheFirstDifferenceAndMissingLines)
{
    const TraceVerdict changed = compareTrace("one\ntwo\nthree\n", "one\n2\nthree\n");
    EXPECT_FALSE(changed.matches);
    EXPECT_EQ(changed.firstDifferentLine, 2);
    EXPECT_EQ(changed.expectedLine, "two");
    EXPECT_EQ(changed.actualLine, "2");

    const TraceVerdict shorter = compareTrace("one\ntwo\n", "one\n");
    EXPECT_FALSE(shorter.matches);
    EXPECT_EQ(shorter.firstDifferentLine, 2);
    EXPECT_EQ(shorter.expectedLine, "two");
    EXPECT_EQ(shorter.actualLineCount, 1);

    const TraceVerdict longer = compareTrace("one\n", "one\nextra\n");
    EXPECT_EQ(longer.firstDifferentLine, 2);
    EXPECT_EQ(longer.actualLine, "extra");
}

TEST(TraceComparison, BareNumbersMayDifferByEpsilon)
{
    Approximations a;
    a.bareNumbers = true;
    a.epsilon = 0.051;
    EXPECT_TRUE(compareTrace("12.3\nx\n", "12.35\nx\n", a).matches);
    EXPECT_FALSE(compareTrace("12.3\n", "12.4\n", a).matches);
    EXPECT_TRUE(compareTrace("NaN\n-Infinity\n", "NaN\n-Infinity\n", a).matches);
    EXPECT_FALSE(compareTrace("NaN\n", "0\n", a).matches);
    EXPECT_FALSE(compareTrace("Infinity\n", "1e308\n", a).matches);
    // Text is still compared exactly, and numbers inside text only with patterns.
    EXPECT_FALSE(compareTrace("x: 1.0\n", "x: 1.01\n", a).matches);
    EXPECT_FALSE(compareTrace("nan\n", "NaN\n", a).matches);
    // Without approximations nothing is loosened.
    EXPECT_FALSE(compareTrace("12.3\n", "12.35\n").matches);
}

TEST(TraceComparison, NumberPatternsLoosenOnlyTheirCaptures)
{
    Approximations a;
    a.epsilon = 0.001;
    a.numberPatterns = {QStringLiteral("angle=([\\d.]+)")};
    EXPECT_TRUE(compareTrace("filter angle=45.0001 q=3\n", "filter angle=45.0 q=3\n", a).matches);
    EXPECT_FALSE(compareTrace("filter angle=45.1 q=3\n", "filter angle=45.0 q=3\n", a).matches);
    // Outside the captures the line must be equal.
    EXPECT_FALSE(compareTrace("filter angle=45.0 q=3\n", "filter angle=45.0 q=4\n", a).matches);
    // Every occurrence is compared.
    EXPECT_TRUE(compareTrace("angle=1.0 angle=2.0\n", "angle=1.0004 angle=1.9996\n", a).matches);
    EXPECT_FALSE(compareTrace("angle=1.0 angle=2.0\n", "angle=1.0 angle=2.5\n", a).matches);
    // A capture that is not a number on one side only is a difference.
    a.numberPatterns = {QStringLiteral("v=(\\S+)")};
    EXPECT_FALSE(compareTrace("v=1.0\n", "v=abc\n", a).matches);
}

}  // namespace
}  // namespace conformance
