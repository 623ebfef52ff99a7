// Try/catch/finally, throw across calls, jumps and WaitForFrame skipping.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

TEST(ControlFlow, CatchBindsTheThrownValueAndFinallyAlwaysRuns)
{
    VmFixture t(7);
    Asm code;
    code.tryCatch([](Asm& a) { a.trace("try").push({"oops"}).op(Op::Throw).trace("not reached"); }, "e",
                  [](Asm& a) { a.push({"caught "}).get("e").op(Op::Add2).op(Op::Trace); },
                  [](Asm& a) { a.trace("finally"); });
    code.trace("after");
    EXPECT_EQ(t.run(code), (Lines{"try", "caught oops", "finally", "after"}));
}

TEST(ControlFlow, ThrowUnwindsThroughCallsAndFinallyBlocks)
{
    VmFixture t(7);
    Asm code;
    code.defineFunction("inner", {}, [](Asm& f) {
        f.tryCatch([](Asm& a) { a.push({"deep"}).op(Op::Throw); }, "", nullptr, [](Asm& a) { a.trace("inner finally"); });
        f.trace("not reached");
    });
    code.tryCatch([](Asm& a) { a.callFunction("inner").op(Op::Pop); }, "e",
                  [](Asm& a) { a.push({"outer caught "}).get("e").op(Op::Add2).op(Op::Trace); }, nullptr);
    EXPECT_EQ(t.run(code), (Lines{"inner finally", "outer caught deep"}));
}

TEST(ControlFlow, ReturnInsideTryRunsFinallyAndKeepsTheValue)
{
    VmFixture t(7);
    Asm code;
    code.defineFunction("f", {}, [](Asm& f) {
        f.tryCatch([](Asm& a) { a.push({"value"}).op(Op::Return); }, "", nullptr, [](Asm& a) { a.trace("finally"); });
        f.trace("not reached");
    });
    code.callFunction("f").op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"finally", "value"}));
}

TEST(ControlFlow, UncaughtThrowEndsTheScriptWithAWarning)
{
    VmFixture t(7);
    Asm code;
    code.trace("before").push({"boom"}).op(Op::Throw).trace("after");
    EXPECT_EQ(t.run(code), (Lines{"before"}));
    ASSERT_EQ(t.warnings.size(), 1u);
    EXPECT_NE(t.warnings[0].find("boom"), std::string::npos);
    // The next script runs normally.
    Asm next;
    next.trace("next script");
    EXPECT_EQ(t.run(next), (Lines{"next script"}));
}

TEST(ControlFlow, LoopsWithLabels)
{
    VmFixture t(6);
    Asm code;
    Asm::Label top = code.label(), done = code.label();
    code.set("i", 0).set("sum", 0);
    code.bind(top).get("i").push({5}).op(Op::Less2).op(Op::Not).ifTrue(done);
    code.push({"sum"}).get("sum").get("i").op(Op::Add2).op(Op::SetVariable);
    code.push({"i"}).get("i").op(Op::Increment).op(Op::SetVariable).jump(top);
    code.bind(done).traceVar("sum");
    EXPECT_EQ(t.runOne(code), "10");
}

TEST(ControlFlow, WaitForFrameSkipsWhenTheFrameIsNotLoaded)
{
    VmFixture t(4);
    t.host.root->setProperty(DisplayProperty::FramesLoaded, 1);
    Asm code;
    code.action(0x8A, {4, 0, 2});  // WaitForFrame frame 5 (zero-based 4), skip 2 actions
    code.trace("skipped");  // a push and a trace
    code.trace("runs");
    code.action(0x8A, {0, 0, 1});  // frame 1 is loaded: nothing skipped
    code.trace("loaded");
    EXPECT_EQ(t.run(code), (Lines{"runs", "loaded"}));
}

TEST(ControlFlow, CallRunsAnotherFramesActionsAsASubroutine)
{
    VmFixture t(5);
    Asm frame3;
    frame3.trace("frame 3 code").set("fromFrame3", 1);
    t.host.root->frameScripts[3] = {frame3.block(5)};
    Asm code;
    code.push({3}).action(Op::Call, {});  // Call carries a (zero) length field
    code.push({"_root:3"}).action(Op::Call, {});
    code.traceVar("fromFrame3");
    EXPECT_EQ(t.run(code), (Lines{"frame 3 code", "frame 3 code", "1"}));
}

}  // namespace
}  // namespace swf::avm1::testing
