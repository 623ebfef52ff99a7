// The scope chain: locals, closures, With, timelines, target paths and SetTarget.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// function makeCounter() { var n = 0; return function () { n++; return n; } }
void defineMakeCounter(Asm& code)
{
    code.defineFunction("makeCounter", {}, [](Asm& f) {
        f.push({"n", 0}).op(Op::DefineLocal);
        f.defineFunction("", {}, [](Asm& g) {
            g.push({"n"}).get("n").op(Op::Increment).op(Op::SetVariable);
            g.get("n").op(Op::Return);
        });
        f.op(Op::Return);
    });
}

TEST(Scope, ClosuresKeepTheirActivationFromSwf6)
{
    VmFixture t(6);
    Asm code;
    defineMakeCounter(code);
    code.push({"c1"}).callFunction("makeCounter").op(Op::SetVariable);
    code.push({"c2"}).callFunction("makeCounter").op(Op::SetVariable);
    for (const char* c : {"c1", "c1", "c2", "c1"}) code.callFunction(c).op(Op::Trace);
    code.traceVar("n");  // the counters' variable is not a timeline variable
    EXPECT_EQ(t.run(code), (Lines{"1", "2", "1", "3", "undefined"}));
}

TEST(Scope, Swf5FunctionsSeeOnlyTheirTimeline)
{
    VmFixture t(5);
    Asm code;
    code.set("n", 100);
    defineMakeCounter(code);
    code.push({"c1"}).callFunction("makeCounter").op(Op::SetVariable);
    code.callFunction("c1").op(Op::Trace);
    code.traceVar("n");  // the inner function found and changed the timeline's n
    EXPECT_EQ(t.run(code), (Lines{"101", "101"}));
}

TEST(Scope, LocalsShadowTimelineVariablesAndAssignmentsFindTheirScope)
{
    VmFixture t(6);
    Asm code;
    code.set("x", "timeline");
    code.defineFunction("f", {"x"}, [](Asm& f) {
        f.traceVar("x");
        f.set("x", "changed local");
        f.set("y", "new on timeline");  // no local y: goes to the timeline
    });
    code.callFunction("f", {"argument"});
    code.traceVar("x").traceVar("y");
    EXPECT_EQ(t.run(code), (Lines{"argument", "timeline", "new on timeline"}));
}

TEST(Scope, WithPutsAnObjectFirstAndSkipsForUndefined)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", "a", "from o", 1}).op(Op::InitObject).op(Op::SetVariable);
    code.set("a", "from timeline");
    code.get("o").with([](Asm& w) {
        w.traceVar("a");
        w.set("a", "assigned in with");
    });
    code.traceVar("a");
    code.get("o").push({"a"}).op(Op::GetMember).op(Op::Trace);
    code.push({Undefined{}}).with([](Asm& w) { w.trace("never"); });
    EXPECT_EQ(t.run(code), (Lines{"from o", "from timeline", "assigned in with"}));
}

TEST(Scope, JumpOutOfWithLeavesItsScope)
{
    VmFixture t(6);
    Asm skippedInside, skippedOutside;
    skippedInside.trace("skipped inside");
    skippedOutside.trace("skipped outside");
    auto distance = static_cast<std::int16_t>(skippedInside.bytes().size() + skippedOutside.bytes().size());
    Asm code;
    code.push({"o", "a", "inner", 1}).op(Op::InitObject).op(Op::SetVariable);
    code.set("a", "outer");
    code.get("o").with([&](Asm& w) { w.traceVar("a").jumpBy(distance).raw(skippedInside.bytes()); });
    code.raw(skippedOutside.bytes());
    code.traceVar("a");  // back on the timeline's scope
    EXPECT_EQ(t.run(code), (Lines{"inner", "outer"}));
}

TEST(Scope, DefineFunction2RegistersAndPreloads)
{
    VmFixture t(7);
    Asm code;
    using namespace swf::avm1;
    // function f(a /* r3 */, b /* local */) with this in r1, _root in r2.
    code.defineFunction2("f", 4, 0x0001 | 0x0040 | 0x0008 | 0x0020 | 0x0002, {{3, "a"}, {0, "b"}}, [](Asm& f) {
        f.push({Reg{3}}).op(Op::Trace);
        f.traceVar("b");
        f.push({Reg{2}}).op(Op::Trace);
        f.traceVar("a");  // in a register only, not a variable
        f.traceVar("arguments");
    });
    code.callFunction("f", {"A", "B"});
    EXPECT_EQ(t.run(code), (Lines{"A", "B", "_level0", "undefined", "undefined"}));
}

TEST(Scope, ArgumentsAndCallee)
{
    VmFixture t(6);
    Asm code;
    code.defineFunction("f", {}, [](Asm& f) {
        f.get("arguments").push({"length"}).op(Op::GetMember).op(Op::Trace);
        f.get("arguments").push({1}).op(Op::GetMember).op(Op::Trace);
        f.get("arguments").push({"callee"}).op(Op::GetMember).get("f").op(Op::StrictEquals).op(Op::Trace);
    });
    code.callFunction("f", {1, 2, 3});
    EXPECT_EQ(t.run(code), (Lines{"3", "2", "true"}));
}

TEST(Scope, TargetPathsInSlashAndDotSyntax)
{
    VmFixture t(6);
    auto jack = t.host.root->addChild(t.vm(), u"Jack");
    auto bert = jack->addChild(t.vm(), u"Bert");
    jack->addChild(t.vm(), u"Ernie");
    t.host.root->addChild(t.vm(), u"Jill");
    t.vm().setMember(bert->scriptObject(), String("v"), Value(42));
    Asm code;
    code.traceVar("/Jack/Bert:v");
    code.traceVar("_root.Jack.Bert.v");
    code.traceVar("Jack/Bert:v");
    code.push({"/Jack/Bert"}).op(Op::GetVariable).op(Op::TargetPath).op(Op::Trace);
    code.push({"/Jack/Ernie:w", 7}).op(Op::SetVariable);
    code.traceVar("_level0.Jack.Ernie.w");
    code.push({"/Jack/Bert", 11}).op(Op::GetProperty).op(Op::Trace);  // _target
    EXPECT_EQ(t.run(code), (Lines{"42", "42", "42", "_level0.Jack.Bert", "7", "/Jack/Bert"}));
}

TEST(Scope, SetTargetChangesWhereActionsAndVariablesGo)
{
    VmFixture t(6);
    auto jack = t.host.root->addChild(t.vm(), u"Jack");
    auto bert = jack->addChild(t.vm(), u"Bert");
    Asm code;
    code.setTarget("Jack/Bert");
    code.op(Op::Stop);
    code.set("here", 1);
    code.setTarget("Jack/Bert/../../Jill");  // missing: later actions address nothing
    code.op(Op::Play);
    code.setTarget("");
    code.traceVar("here");
    t.run(code);
    EXPECT_EQ(bert->log, (std::vector<std::string>{"stop"}));
    EXPECT_TRUE(t.host.root->log.empty());
    EXPECT_EQ(t.vm().getMember(bert->scriptObject(), String("here")).asNumber(), 1);
}

TEST(Scope, ChildClipsAndVariablesOnTimelines)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"ball");
    Asm code;
    code.get("ball").push({"_x", 12}).op(Op::SetMember);
    code.get("ball").push({"_x"}).op(Op::GetMember).op(Op::Trace);
    code.get("ball").push({"_parent"}).op(Op::GetMember).op(Op::TargetPath).op(Op::Trace);
    code.get("BALL").op(Op::TypeOf).op(Op::Trace);  // instance names ignore case before SWF 7
    EXPECT_EQ(t.run(code), (Lines{"12", "_level0", "movieclip"}));
    EXPECT_EQ(clip->property(DisplayProperty::X), 12);
}

}  // namespace
}  // namespace swf::avm1::testing
