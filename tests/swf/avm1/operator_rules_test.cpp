// Operator and built-in rules that differ from ECMA-262 or between SWF versions: relational
// comparison of objects, conversion of objects whose toString answers a number, split limits,
// enumeration's end marker, property numbers, tellTarget resolution and TextSnapshot.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// name = {valueOf: function () { trace(name + ".valueOf"); return result; }}
void objectWithValueOf(Asm& code, const std::string& name, PushItem result)
{
    code.push({name}).push({"valueOf"}).defineFunction("", {}, [name, result](Asm& f) {
        f.trace(name + ".valueOf").push({result}).op(Op::Return);
    });
    code.push({1}).op(Op::InitObject).op(Op::SetVariable);
}

TEST(OperatorRules, LessThanComparesValueOfResultsAndObjectsThatStayObjectsAreNotLess)
{
    VmFixture t(7);
    Asm code;
    objectWithValueOf(code, "one", 1);
    objectWithValueOf(code, "none", Undefined{});
    code.push({"plain", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("plain").push({0}).op(Op::Less2).op(Op::Trace);       // false, not undefined
    code.get("plain").get("one").op(Op::Less2).op(Op::Trace);      // right side never converted
    code.get("one").get("plain").op(Op::Less2).op(Op::Trace);      // left converted, then false
    code.push({0}).get("one").op(Op::Less2).op(Op::Trace);         // 0 < 1
    code.get("one").get("none").op(Op::Less2).op(Op::Trace);       // 1 < NaN
    EXPECT_EQ(t.run(code), (Lines{"false", "false", "one.valueOf", "false", "one.valueOf", "true", "one.valueOf",
                                  "none.valueOf", "undefined"}));
}

TEST(OperatorRules, ToStringAnsweringANumberLeavesTheObjectWithoutText)
{
    VmFixture t(6);
    Asm code;
    code.push({"c", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("c").push({"toString"}).defineFunction("", {}, [](Asm& f) { f.push({4}).op(Op::Return); });
    code.op(Op::SetMember);
    code.push({"two"}).get("c").op(Op::Add2).op(Op::Trace);
    code.get("c").push({1}).op(Op::Add2).op(Op::Trace);
    // A toString answering text is used as it is.
    code.get("c").push({"toString"}).defineFunction("", {}, [](Asm& f) { f.push({"four"}).op(Op::Return); });
    code.op(Op::SetMember);
    code.push({"two"}).get("c").op(Op::Add2).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"two[type Object]", "[type Object]1", "twofour"}));
}

// trace(text.split(separator, limit).length) and the first part.
Lines splitParts(int version, const std::string& text, const std::string& separator, int limit)
{
    VmFixture t(version);
    Asm code;
    code.push({limit, separator, 2, text}).push({"split"}).op(Op::CallMethod);
    code.push({"parts"}).op(Op::StackSwap).op(Op::SetVariable);
    code.get("parts").push({"length"}).op(Op::GetMember).op(Op::Trace);
    code.get("parts").push({0}).op(Op::GetMember).op(Op::TypeOf).op(Op::Trace);
    return t.run(code);
}

TEST(OperatorRules, SplitLimitsPerVersion)
{
    // SWF 5 splits at one character only; any other separator gives the whole text, even at limit 0.
    EXPECT_EQ(splitParts(5, "", "", 0), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(5, "f", "", 0), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(5, "a,b", "ab", 0), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(5, "", "x", 0), (Lines{"0", "undefined"}));
    EXPECT_EQ(splitParts(5, "f", "x", 0), (Lines{"0", "undefined"}));
    EXPECT_EQ(splitParts(5, "a,b,c", ",", 2), (Lines{"2", "string"}));
    // SWF 6: an empty text split at a separator is one empty part whatever the limit.
    EXPECT_EQ(splitParts(6, "", "x", 0), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(6, "", "x", -1), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(6, "", "", 0), (Lines{"0", "undefined"}));
    EXPECT_EQ(splitParts(6, "f", "x", 0), (Lines{"0", "undefined"}));
    EXPECT_EQ(splitParts(6, "f", "x", 1), (Lines{"1", "string"}));
    EXPECT_EQ(splitParts(6, "abc", "", 2), (Lines{"2", "string"}));
}

TEST(OperatorRules, EnumerationEndsWithUndefinedAndIsFiniteNeedsAnArgument)
{
    VmFixture t(6);
    Asm code;
    code.push({"a", 1, 1}).op(Op::InitObject).op(Op::Enumerate2);
    code.op(Op::Trace).op(Op::TypeOf).op(Op::Trace);
    code.callFunction("isFinite").op(Op::Trace);
    code.callFunction("isFinite", {Undefined{}}).op(Op::Trace);  // undefined is 0 in SWF 6
    EXPECT_EQ(t.run(code), (Lines{"a", "undefined", "false", "true"}));
}

TEST(OperatorRules, PropertyNumbersTruncateTowardZero)
{
    VmFixture t(5);
    Asm code;
    code.push({"", -0.8}).op(Op::GetProperty).op(Op::TypeOf).op(Op::Trace);
    code.push({"", -1}).op(Op::GetProperty).op(Op::TypeOf).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"number", "undefined"}));
}

TEST(OperatorRules, TellTargetResolvesClipsByPathAndOtherObjectsByText)
{
    VmFixture t(6);
    auto first = t.host.root->addChild(t.vm(), u"twin", 1);
    auto second = t.host.root->addChild(t.vm(), u"twin", 2);
    t.host.root->addChild(t.vm(), u"box", 3);
    Asm code;
    code.set("where", "root");
    t.vm().setMember(first->scriptObject(), String("where"), Value("first"));
    t.vm().setMember(second->scriptObject(), String("where"), Value("second"));
    t.vm().setMember(t.root(), String("secondTwin"), Value(second->scriptObject()));
    // The second clip of a name is found again by its path, which leads to the first one.
    code.get("secondTwin").op(Op::SetTarget2).traceVar("where").setTarget("");
    // An object names its target with toString().
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"toString"}).defineFunction("", {}, [](Asm& f) { f.push({"box"}).op(Op::Return); });
    code.op(Op::SetMember);
    code.get("o").op(Op::SetTarget2).push({"", 13}).op(Op::GetProperty).op(Op::Trace).setTarget("");
    EXPECT_EQ(t.run(code), (Lines{"first", "box"}));
}

TEST(OperatorRules, UnknownTargetLeavesVariablesOnTheRootTimeline)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"clip");
    t.vm().setMember(t.root(), String("n"), Value("root"));
    t.vm().setMember(clip->scriptObject(), String("n"), Value("clip"));
    Asm code;
    code.traceVar("n");
    code.setTarget("nowhere").traceVar("n").setTarget("");
    code.setTarget("//").traceVar("n").setTarget("");
    code.push({Undefined{}}).op(Op::SetTarget2).traceVar("n").setTarget("");
    t.host.traces.clear();
    t.vm().beginFrame();
    t.vm().runActions(code.block(6), clip->scriptObject());
    EXPECT_EQ(t.host.traces, (Lines{"clip", "root", "root", "clip"}));
}

TEST(OperatorRules, TextSnapshotWithoutClipHasNoCharacters)
{
    VmFixture t(6);
    Asm code;
    code.push({"s", 0, "TextSnapshot"}).op(Op::NewObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("s"); }, "getCount").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "findText", {0, "a", false}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "getText", {0, 10}).op(Op::TypeOf).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "getSelected", {0, 10}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "getTextRunInfo", {0, 10}).push({"length"}).op(Op::GetMember).op(Op::Trace);
    // SWF 6 movies see the methods in for..in.
    code.get("TextSnapshot").push({"prototype"}).op(Op::GetMember).op(Op::Enumerate2);
    code.op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"0", "-1", "string", "false", "0", "getTextRunInfo"}));
}

}  // namespace
}  // namespace swf::avm1::testing
