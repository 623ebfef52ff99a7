// Built-in classes: Array (sorting with flags), String, Date, Math and the global functions.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// trace(array.method(args...)) for an array literal made of `items`.
Asm arrayCall(std::initializer_list<PushItem> items, const std::string& method, std::initializer_list<PushItem> args)
{
    Asm code;
    std::vector<PushItem> v(items);
    code.callMethod(
        [&](Asm& a) {
            for (auto it = v.rbegin(); it != v.rend(); ++it) a.push({*it});
            a.push({static_cast<int>(v.size())}).op(Op::InitArray);
        },
        method, args);
    return code;
}

std::string traceOf(int version, Asm code)
{
    VmFixture t(version);
    code.op(Op::Trace);
    return t.runOne(code);
}

TEST(ArraySort, DefaultIsTextOrderAndFlagsChangeIt)
{
    EXPECT_EQ(traceOf(6, arrayCall({10, 9, 100, 1}, "sort", {})), "1,10,100,9");
    EXPECT_EQ(traceOf(6, arrayCall({10, 9, 100, 1}, "sort", {16})), "1,9,10,100");        // NUMERIC
    EXPECT_EQ(traceOf(6, arrayCall({10, 9, 100, 1}, "sort", {16 | 2})), "100,10,9,1");    // | DESCENDING
    EXPECT_EQ(traceOf(6, arrayCall({"b", "C", "a"}, "sort", {})), "C,a,b");
    EXPECT_EQ(traceOf(6, arrayCall({"b", "C", "a"}, "sort", {1})), "a,b,C");              // CASEINSENSITIVE
    EXPECT_EQ(traceOf(6, arrayCall({"b", "C", "a"}, "sort", {8})), "1,2,0");              // RETURNINDEXEDARRAY
    EXPECT_EQ(traceOf(6, arrayCall({"b", "a", "b"}, "sort", {4})), "0");                  // UNIQUESORT fails
    EXPECT_EQ(traceOf(6, arrayCall({"b", "a", "c"}, "sort", {4})), "a,b,c");
}

TEST(ArraySort, ComparatorFunctionAndStability)
{
    VmFixture t(6);
    Asm code;
    // [3, 1, 2].sort(function (a, b) { return b - a })
    code.defineFunction("", {"a", "b"}, [](Asm& f) { f.get("b").get("a").op(Op::Subtract).op(Op::Return); });
    code.push({1});  // one argument: the function
    code.push({1, 2, 1, 3, 4}).op(Op::InitArray).push({"sort"}).op(Op::CallMethod).op(Op::Trace);
    EXPECT_EQ(t.runOne(code), "3,2,1,1");
}

TEST(ArraySort, InconsistentComparatorIsHarmless)
{
    VmFixture t(6);
    Asm code;
    code.defineFunction("", {"a", "b"}, [](Asm& f) { f.push({1}).op(Op::Return); });  // always "greater"
    code.push({1});
    for (int i = 0; i < 50; ++i) code.push({i});
    code.push({50}).op(Op::InitArray).push({"sort"}).op(Op::CallMethod).push({"length"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.runOne(code), "50");
}

TEST(ArraySort, SortOnFieldsWithFlags)
{
    VmFixture t(6);
    Asm code;
    // [{n: "b", v: 2}, {n: "a", v: 10}, {n: "c", v: 1}]
    code.push({"n", "c", "v", 1, 2}).op(Op::InitObject);
    code.push({"n", "a", "v", 10, 2}).op(Op::InitObject);
    code.push({"n", "b", "v", 2, 2}).op(Op::InitObject);
    code.push({3}).op(Op::InitArray).push({"list"}).op(Op::StackSwap).op(Op::SetVariable);
    auto names = [](Asm& a) {
        // trace(list[0].n + list[1].n + list[2].n)
        for (int i = 0; i < 3; ++i) a.get("list").push({i}).op(Op::GetMember).push({"n"}).op(Op::GetMember);
        a.op(Op::Add2).op(Op::Add2).op(Op::Trace);
    };
    code.callMethod([](Asm& a) { a.get("list"); }, "sortOn", {"n"}).op(Op::Pop);
    names(code);
    code.callMethod([](Asm& a) { a.get("list"); }, "sortOn", {"v", 16}).op(Op::Pop);
    names(code);
    code.callMethod([](Asm& a) { a.get("list"); }, "sortOn", {"v"}).op(Op::Pop);  // as text: "1" < "10" < "2"
    names(code);
    EXPECT_EQ(t.run(code), (Lines{"abc", "cba", "cab"}));
}

TEST(ArrayMethods, SpliceSliceConcatJoinReverse)
{
    EXPECT_EQ(traceOf(6, arrayCall({1, 2, 3, 4, 5}, "slice", {1, -1})), "2,3,4");
    EXPECT_EQ(traceOf(6, arrayCall({1, 2, 3, 4, 5}, "splice", {1, 2, "x"})), "2,3");
    EXPECT_EQ(traceOf(6, arrayCall({1, 2}, "concat", {3, "4"})), "1,2,3,4");
    EXPECT_EQ(traceOf(6, arrayCall({1, 2, 3}, "join", {"-"})), "1-2-3");
    EXPECT_EQ(traceOf(6, arrayCall({1, 2, 3}, "reverse", {})), "3,2,1");
    EXPECT_EQ(traceOf(7, arrayCall({1, Undefined{}, Null{}}, "join", {})), "1,undefined,null");
    EXPECT_EQ(traceOf(6, arrayCall({1, Undefined{}, Null{}}, "join", {})), "1,,null");
}

TEST(ArrayMethods, LengthAndHugeIndicesStaySparse)
{
    VmFixture t(6);
    Asm code;
    code.push({"a", 0}).op(Op::InitArray).op(Op::SetVariable);
    code.get("a").push({4000000000.0, "far"}).op(Op::SetMember);
    code.get("a").push({"length"}).op(Op::GetMember).op(Op::Trace);
    code.get("a").push({4000000000.0}).op(Op::GetMember).op(Op::Trace);
    code.get("a").push({"length", 2}).op(Op::SetMember);
    code.get("a").push({"length"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"4000000001", "far", "2"}));
    EXPECT_TRUE(t.warnings.empty());
}

std::string stringCall(int version, const char* text, const std::string& method, std::initializer_list<PushItem> args)
{
    VmFixture t(version);
    Asm code;
    code.callMethod([&](Asm& a) { a.push({text}); }, method, args).op(Op::Trace);
    return t.runOne(code);
}

TEST(StringMethods, Extraction)
{
    EXPECT_EQ(stringCall(6, "hello world", "substr", {-5, 3}), "wor");
    EXPECT_EQ(stringCall(6, "hello world", "substring", {5, 0}), "hello");
    EXPECT_EQ(stringCall(6, "hello world", "slice", {-5}), "world");
    EXPECT_EQ(stringCall(6, "hello", "charAt", {1}), "e");
    EXPECT_EQ(stringCall(6, "hello", "charAt", {9}), "");
    EXPECT_EQ(stringCall(6, "hello", "charCodeAt", {0}), "104");
    EXPECT_EQ(stringCall(6, "hello", "charCodeAt", {9}), "NaN");
    EXPECT_EQ(stringCall(6, "a,b,,c", "split", {","}), "a,b,,c");
    EXPECT_EQ(stringCall(6, "abc", "split", {""}), "a,b,c");
    EXPECT_EQ(stringCall(5, "abc", "split", {""}), "abc");
    EXPECT_EQ(stringCall(6, "banana", "indexOf", {"an", 2}), "3");
    EXPECT_EQ(stringCall(6, "banana", "lastIndexOf", {"an"}), "3");
    EXPECT_EQ(stringCall(6, "Grüße", "toUpperCase", {}), "GRÜßE");
}

TEST(StringMethods, Swf4StringActions)
{
    VmFixture t(4);
    Asm code;
    code.push({"hello", 2, 3}).op(Op::StringExtract).op(Op::Trace);
    code.push({"hello"}).op(Op::StringLength).op(Op::Trace);
    code.push({"A"}).op(Op::CharToAscii).op(Op::Trace);
    code.push({66}).op(Op::AsciiToChar).op(Op::Trace);
    code.push({"ab", "cd"}).op(Op::StringAdd).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"ell", "5", "65", "B", "abcd"}));
}

TEST(StringMethods, Swf5StringActionsCountInTheBytesOldTextIsReadIn)
{
    // Old files are read as UTF-8 when valid, else GBK: the byte-counting actions see GBK bytes.
    VmFixture t(5);
    Asm code;
    code.push({"\xe4\xb8\xad" "a"}).op(Op::StringLength).op(Op::Trace);
    code.push({"\xe4\xb8\xad" "a"}).op(Op::MBStringLength).op(Op::Trace);
    code.push({"\xe4\xb8\xad" "a", 1, 2}).op(Op::StringExtract).op(Op::Trace);
    code.push({"\xe4\xb8\xad"}).op(0x36).op(Op::Trace);  // MBCharToAscii: lead * 256 + trail
    code.push({0xd6d0}).op(0x37).op(Op::Trace);            // MBAsciiToChar
    code.push({"\xc3\xa9"}).op(Op::CharToAscii).op(Op::Trace);  // e-acute: GBK lead byte 0xA8
    EXPECT_EQ(t.run(code), (Lines{"3", "2", "\xe4\xb8\xad", "54992", "\xe4\xb8\xad", "168"}));
}

TEST(DateClass, UtcAndLocalFieldsFollowTheHostTimeZone)
{
    VmFixture t(7);
    t.host.zoneOffsetMinutes = 345;  // +05:45
    Asm code;
    // d = new Date(Date.UTC(2001, 1, 2, 22, 20, 6))
    code.push({"d"});
    code.callMethod([](Asm& a) { a.get("Date"); }, "UTC", {2001, 1, 2, 22, 20, 6});
    code.push({1, "Date"}).op(Op::NewObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("d"); }, "toString").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("d"); }, "getUTCDate").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("d"); }, "getDate").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("d"); }, "getTimezoneOffset").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("d"); }, "setHours", {0}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("d"); }, "getUTCHours").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("d"); }, "getTime").op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"Sat Feb 3 04:05:06 GMT+0545 2001", "2", "3", "-345", "18", "981138006000"}));
}

TEST(DateClass, ComponentsOverflowAndInvalidDates)
{
    VmFixture t(7);
    Asm code;
    // new Date(2000, 12, 1).getFullYear(): month 12 of 2000 is January 2001
    code.push({0, 1, 12, 2000, 3, "Date"}).op(Op::NewObject).push({"getFullYear"}).op(Op::CallMethod).op(Op::Trace);
    // new Date("x").getMonth()
    code.push({0, "x", 1, "Date"}).op(Op::NewObject).push({"getMonth"}).op(Op::CallMethod).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"2001", "NaN"}));
}

TEST(MathAndGlobals, Functions)
{
    VmFixture t(6);
    Asm code;
    code.callMethod([](Asm& a) { a.get("Math"); }, "round", {-2.5}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("Math"); }, "max", {1, 7, 3}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("Math"); }, "min", {}).op(Op::Trace);
    code.callFunction("escape", {"a b&ü"}).op(Op::Trace);
    code.callFunction("unescape", {"%41%20%C3%BC"}).op(Op::Trace);
    code.callFunction("isNaN", {"x"}).op(Op::Trace);
    code.callFunction("isFinite", {"12"}).op(Op::Trace);
    code.push({16, 1}).push({255, 1, "Number"}).op(Op::NewObject).push({"toString"}).op(Op::CallMethod).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"-2", "7", "Infinity", "a%20b%26%C3%BC", "A ü", "true", "true", "ff"}));
}

}  // namespace
}  // namespace swf::avm1::testing

namespace swf::avm1::testing {
namespace {

// String.prototype.toString and valueOf replaced by functions answering other text.
void replaceStringConversions(Asm& code)
{
    for (const char* name : {"toString", "valueOf"}) {
        code.get("String").push({"prototype"}).op(Op::GetMember).push({name});
        code.defineFunction("", {}, [](Asm& f) { f.push({"REPLACED"}).op(Op::Return); });
        code.op(Op::SetMember);
    }
}

TEST(StringObjects, NativeArgumentsReadTheirOwnTextEvenWithReplacedMethods)
{
    VmFixture t(6);
    Asm code;
    code.push({"s"}).push({"10", 1, "String"}).op(Op::NewObject).op(Op::SetVariable);
    replaceStringConversions(code);
    code.push({"s"}).op(Op::GetVariable).push({1, "parseInt"}).op(Op::CallFunction).op(Op::Trace);
    code.push({"s"}).op(Op::GetVariable).push({1, "parseFloat"}).op(Op::CallFunction).op(Op::Trace);
    // An explicit call still reaches the replacement.
    code.callMethod([](Asm& a) { a.get("s"); }, "toString").op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"10", "10", "REPLACED"}));
}

TEST(StringObjects, BorrowedConversionMethodsDoNotRecurseWithoutEnd)
{
    VmFixture t(6);
    Asm code;
    code.push({"o"}).push({0, "Object"}).op(Op::NewObject).op(Op::SetVariable);
    for (const char* name : {"toString", "valueOf"}) {
        code.get("o").push({name}).get("String").push({"prototype"}).op(Op::GetMember).push({name}).op(Op::GetMember);
        code.op(Op::SetMember);
    }
    code.get("o").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("o"); }, "valueOf").push({"o"}).op(Op::GetVariable).op(Op::StrictEquals).op(Op::Trace);
    code.trace("after");
    EXPECT_EQ(t.run(code), (Lines{"[type Object]", "true", "after"}));
    EXPECT_TRUE(t.lastRunOk);
}

TEST(StringSplit, Swf5MatchesOnlySingleCharacterSeparators)
{
    auto splitLength = [](int version, const char* text, const char* sep) {
        Asm code;
        code.callMethod([&](Asm& a) { a.push({text}); }, "split", {sep}).push({"length"}).op(Op::GetMember);
        return traceOf(version, code);
    };
    EXPECT_EQ(splitLength(5, "wallawalla", "la"), "1");
    EXPECT_EQ(splitLength(6, "wallawalla", "la"), "3");
    EXPECT_EQ(splitLength(5, "a,b,c", ","), "3");
}

}  // namespace
}  // namespace swf::avm1::testing
