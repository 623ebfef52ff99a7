// Conversions, equality and comparison under the rules of each SWF version.

#include <gtest/gtest.h>

#include <cmath>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// trace(a OP b) for a binary action.
std::string binary(int version, PushItem a, PushItem b, std::uint8_t op)
{
    VmFixture t(version);
    Asm code;
    code.push({a, b}).op(op).op(Op::Trace);
    return t.runOne(code);
}

TEST(Conversion, UndefinedToStringAndNumberByVersion)
{
    EXPECT_EQ(binary(6, "x", Undefined{}, Op::Add2), "x");
    EXPECT_EQ(binary(7, "x", Undefined{}, Op::Add2), "xundefined");
    EXPECT_EQ(binary(6, 1, Undefined{}, Op::Add2), "1");    // undefined -> 0
    EXPECT_EQ(binary(7, 1, Undefined{}, Op::Add2), "NaN");  // undefined -> NaN
    EXPECT_EQ(binary(6, 1, Null{}, Op::Multiply), "0");
    EXPECT_EQ(binary(7, 1, Null{}, Op::Multiply), "NaN");
}

TEST(Conversion, StringToBooleanByVersion)
{
    for (int version : {5, 6, 7}) {
        VmFixture t(version);
        Asm code;
        code.push({"abc"}).op(Op::Not).op(Op::Not).op(Op::Trace);
        code.push({"1"}).op(Op::Not).op(Op::Not).op(Op::Trace);
        code.push({""}).op(Op::Not).op(Op::Not).op(Op::Trace);
        Lines expected = version >= 7 ? Lines{"true", "true", "false"} : Lines{"false", "true", "false"};
        EXPECT_EQ(t.run(code), expected) << "SWF " << version;
    }
}

TEST(Conversion, Swf4ComparisonsGiveNumbersAndDivisionByZeroAnError)
{
    EXPECT_EQ(binary(4, 1, 2, Op::Less), "1");
    EXPECT_EQ(binary(5, 1, 2, Op::Less), "true");
    EXPECT_EQ(binary(4, 1, 0, Op::Divide), "#ERROR#");
    EXPECT_EQ(binary(5, 1, 0, Op::Divide), "Infinity");
    // SWF 4 keeps numbers as text: NaN reads back as 0.
    EXPECT_EQ(binary(4, std::nan(""), 1, Op::Add), "1");
    EXPECT_EQ(binary(5, std::nan(""), 1, Op::Add), "NaN");
}

TEST(Conversion, ObjectsConvertThroughValueOfThenToString)
{
    VmFixture t(6);
    Asm code;
    // o = {valueOf: function () { return 5 }}; trace(o + 1); trace("" + o)
    code.push({"o"}).push({"valueOf"}).defineFunction("", {}, [](Asm& f) { f.push({5}).op(Op::Return); });
    code.push({1}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({1}).op(Op::Add2).op(Op::Trace);
    code.push({""}).get("o").op(Op::Add2).op(Op::Trace);
    // p = {}; p.valueOf returns p itself: the text is used.
    code.push({"p", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.push({""}).get("p").op(Op::Add2).op(Op::Trace);
    // q has no conversion methods at all: undefined.
    code.push({"q", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("q").push({"__proto__", Undefined{}}).op(Op::SetMember);
    code.push({"<"}).get("q").op(Op::Add2).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"6", "5", "[object Object]", "<"}));
}

TEST(Conversion, LeftOperandConvertsFirst)
{
    VmFixture t(5);
    Asm code;
    for (const char* name : {"a", "b"}) {
        code.push({name}).push({"valueOf"}).defineFunction("", {}, [name](Asm& f) {
            f.trace(name).push({1}).op(Op::Return);
        });
        code.push({1}).op(Op::InitObject).op(Op::SetVariable);
    }
    code.get("a").get("b").op(Op::Add).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"a", "b", "2"}));
}

TEST(Equality, LooseEqualsFollowsTheAbstractAlgorithm)
{
    EXPECT_EQ(binary(6, Null{}, Undefined{}, Op::Equals2), "true");
    EXPECT_EQ(binary(6, "1", 1, Op::Equals2), "true");
    EXPECT_EQ(binary(6, true, 1, Op::Equals2), "true");
    EXPECT_EQ(binary(6, "abc", "ABC", Op::Equals2), "false");
    EXPECT_EQ(binary(6, 0, Null{}, Op::Equals2), "false");
    EXPECT_EQ(binary(6, 0, "", Op::Equals2), "false");  // "" is NaN from SWF 5 on
}

TEST(Equality, StrictEqualsNeedsTheSameType)
{
    EXPECT_EQ(binary(7, "1", 1, Op::StrictEquals), "false");
    EXPECT_EQ(binary(7, 1.0, 1, Op::StrictEquals), "true");
    EXPECT_EQ(binary(7, Null{}, Undefined{}, Op::StrictEquals), "false");
}

TEST(Equality, GlobalObjectHasNoConversionAndEqualsUndefined)
{
    VmFixture t(7);
    Asm code;
    code.get("_global").push({Undefined{}}).op(Op::Equals2).op(Op::Trace);
    EXPECT_EQ(t.runOne(code), "true");
}

TEST(Comparison, Less2AndGreater)
{
    EXPECT_EQ(binary(7, 1, 2, Op::Less2), "true");
    EXPECT_EQ(binary(7, "10", "9", Op::Less2), "true");  // two strings compare as text
    EXPECT_EQ(binary(7, 10, "9", Op::Less2), "false");
    EXPECT_EQ(binary(7, 1, "x", Op::Less2), "undefined");
    EXPECT_EQ(binary(7, 2, 1, Op::Greater), "true");
    EXPECT_EQ(binary(7, Undefined{}, 1, Op::Greater), "undefined");
    EXPECT_EQ(binary(6, "b", "a", Op::StringGreater), "true");
    EXPECT_EQ(binary(5, "B", "a", Op::StringLess), "true");
}

TEST(Comparison, BitOperationsUseInt32)
{
    EXPECT_EQ(binary(6, 4294967295.0, 0, Op::BitOr), "-1");
    EXPECT_EQ(binary(6, -1, 28, Op::BitURShift), "15");
    EXPECT_EQ(binary(6, 1, 33, Op::BitLShift), "2");
    EXPECT_EQ(binary(6, -8, 1, Op::BitRShift), "-4");
}

TEST(Conversion, ToIntegerIsInt32)
{
    VmFixture t(6);
    Asm code;
    code.push({3e13}).op(Op::ToInteger).op(Op::Trace);
    code.push({"x"}).op(Op::ToInteger).op(Op::Trace);
    code.push({-2.7}).op(Op::ToInteger).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"-346562560", "0", "-2"}));
}

TEST(Conversion, TypeOf)
{
    VmFixture t(6);
    Asm code;
    for (PushItem v : {PushItem(1), PushItem("s"), PushItem(true), PushItem(Null{}), PushItem(Undefined{})}) {
        code.push({v}).op(Op::TypeOf).op(Op::Trace);
    }
    code.get("this").op(Op::TypeOf).op(Op::Trace);
    code.get("Object").op(Op::TypeOf).op(Op::Trace);
    code.push({0}).op(Op::InitObject).op(Op::TypeOf).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"number", "string", "boolean", "null", "undefined", "movieclip", "function", "object"}));
}

TEST(Conversion, IdentifiersAreCaseInsensitiveBeforeSwf7)
{
    for (int version : {6, 7}) {
        VmFixture t(version);
        Asm code;
        code.set("Score", 3).traceVar("score");
        EXPECT_EQ(t.runOne(code), version == 6 ? "3" : (version >= 7 ? "undefined" : "")) << version;
    }
}

TEST(Conversion, MovieClipConvertsToItsPath)
{
    VmFixture t(6);
    t.host.root->addChild(t.vm(), u"clip");
    Asm code;
    code.push({"<"}).get("clip").op(Op::Add2).op(Op::Trace);
    code.get("clip").op(Op::ToNumber).op(Op::Trace);
    code.get("clip").op(Op::TargetPath).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"<_level0.clip", "NaN", "_level0.clip"}));
}

}  // namespace
}  // namespace swf::avm1::testing
