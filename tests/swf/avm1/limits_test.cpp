// Limits and bad input: endless loops, deep recursion, malformed byte code, stack underflow,
// and the collector reclaiming cycles without freeing what is still reachable.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

bool warnedAbout(const VmFixture& t, const std::string& word)
{
    for (const std::string& w : t.warnings) {
        if (w.find(word) != std::string::npos) return true;
    }
    return false;
}

TEST(Limits, EndlessLoopIsStoppedByTheActionBudget)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.actionBudget = 10'000;
    VmFixture t(6, limits);
    Asm code;
    Asm::Label top = code.label();
    code.trace("start").bind(top).jump(top);
    EXPECT_EQ(t.run(code), (Lines{"start"}));
    EXPECT_FALSE(t.lastRunOk);
    EXPECT_TRUE(warnedAbout(t, "too long"));
    // The budget is per frame: the next frame's scripts run again.
    Asm next;
    next.trace("next frame");
    EXPECT_EQ(t.run(next), (Lines{"next frame"}));
}

// An interval that starts two more each time it fires doubles the timers every frame; past the
// limit, setInterval gives no timer (id 0) with one warning, and each frame stays bounded.
TEST(Limits, TimersThatMultiplyStopAtTheTimerLimit)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.maxTimers = 40;
    VmFixture t(6, limits);
    Asm code;
    code.set("calls", 0);
    code.defineFunction("grow", {}, [](Asm& f) {
        f.push({"calls"}).get("calls").op(Op::Increment).op(Op::SetVariable);
        for (int i = 0; i < 2; ++i) f.push({0}).get("grow").push({2, "setInterval"}).op(Op::CallFunction).op(Op::Pop);
    });
    code.push({"first"}).push({0}).get("grow").push({2, "setInterval"}).op(Op::CallFunction).op(Op::SetVariable);
    t.run(code);
    EXPECT_EQ(t.vm().getMember(t.root(), String("first")).asNumber(), 1);
    double before = 0;
    for (int frame = 1; frame <= 20; ++frame) {
        t.host.now = frame * 10.0;
        t.vm().runTimers();
        double calls = t.vm().getMember(t.root(), String("calls")).asNumber();
        EXPECT_LE(calls - before, 40) << "frame " << frame;  // at most the waiting timers fire
        before = calls;
    }
    int reports = 0;
    for (const std::string& w : t.warnings) reports += w.find("timer limit") != std::string::npos;
    EXPECT_EQ(reports, 1);
    // Past the limit a new interval gets id 0.
    Asm more;
    more.push({0}).get("grow").push({2, "setInterval"}).op(Op::CallFunction).op(Op::Trace);
    EXPECT_EQ(t.run(more), (Lines{"0"}));
}

TEST(Limits, OnlyTheScriptThatRanTooLongIsStopped)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.actionBudget = 10'000;
    VmFixture t(6, limits);
    Asm endless;
    Asm::Label top = endless.label();
    endless.bind(top).jump(top);
    Asm next;
    for (int i = 0; i < 100; ++i) next.push({i}).op(Op::Pop);
    next.trace("ran");
    // Both in the same frame: the second script still has its allowance.
    t.vm().beginFrame();
    EXPECT_FALSE(t.vm().runActions(endless.block(6), t.root()));
    EXPECT_TRUE(t.vm().runActions(next.block(6), t.root()));
    EXPECT_EQ(t.host.traces, (Lines{"ran"}));
    EXPECT_TRUE(warnedAbout(t, "too long"));
}

// A script that loops for ever would otherwise cost the whole time limit on every frame it runs
// in, freezing the movie: once stopped for its time, its code is not run again.
TEST(Limits, CodeStoppedForItsTimeDoesNotRunAgain)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.actionBudget = 10'000;
    VmFixture t(6, limits);
    Asm define;  // a handler the host calls by name, e.g. onEnterFrame
    define.defineFunction("spin", {}, [](Asm& f) {
        Asm::Label again = f.label();
        f.trace("handler").bind(again).jump(again);
    });
    t.run(define);
    Asm endless;
    Asm::Label top = endless.label();
    endless.trace("frame script").bind(top).jump(top);
    const ActionBlock frameScript = endless.block(6);
    for (int frame = 0; frame < 3; ++frame) {
        t.vm().beginFrame();
        EXPECT_FALSE(t.vm().runActions(frameScript, t.root()));
    }

    for (int frame = 0; frame < 3; ++frame) {
        t.vm().beginFrame();
        t.vm().callMethod(t.root(), String("spin"), {});
    }
    EXPECT_EQ(t.host.traces, (Lines{"frame script", "handler"}));

    // Other scripts, and a script that finishes, go on running.
    Asm quick;
    quick.trace("quick");
    const ActionBlock quickScript = quick.block(6);
    for (int frame = 0; frame < 2; ++frame) {
        t.vm().beginFrame();
        EXPECT_TRUE(t.vm().runActions(quickScript, t.root()));
    }
    EXPECT_EQ(t.host.traces, (Lines{"frame script", "handler", "quick", "quick"}));
}

TEST(Limits, TimeLimitStopsAScriptWithoutACountLimit)
{
    ScriptLimits limits;
    limits.actionBudget = 0;
    limits.timeoutSeconds = 0.05;
    VmFixture t(6, limits);
    Asm code;
    Asm::Label top = code.label();
    code.bind(top).jump(top);
    t.run(code);
    EXPECT_FALSE(t.lastRunOk);
    EXPECT_TRUE(warnedAbout(t, "too long"));
}

TEST(Limits, RecursionIsCappedAtTheConfiguredDepth)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.maxRecursion = 64;
    VmFixture t(6, limits);
    Asm code;
    // function f(n) { depth = n; f(n + 1) }  f(1)
    code.defineFunction("f", {"n"}, [](Asm& f) {
        f.push({"depth"}).get("n").op(Op::SetVariable);
        f.get("n").push({1}).op(Op::Add2).push({1, "f"}).op(Op::CallFunction).op(Op::Pop);
    });
    code.callFunction("f", {1});
    code.trace("after");  // the whole script stops
    EXPECT_TRUE(t.run(code).empty());
    EXPECT_TRUE(warnedAbout(t, "recursion"));
    // The timeline frame counts as one level: 63 calls ran.
    EXPECT_EQ(t.vm().getMember(t.root(), String("depth")).asNumber(), 63);
}

TEST(Limits, DefaultDepthAllowsTwoHundredFiftyFiveCalls)
{
    VmFixture t(6);
    Asm code;
    code.defineFunction("f", {"n"}, [](Asm& f) {
        f.push({"depth"}).get("n").op(Op::SetVariable);
        f.get("n").push({1}).op(Op::Add2).push({1, "f"}).op(Op::CallFunction).op(Op::Pop);
    });
    code.callFunction("f", {1});
    t.run(code);
    EXPECT_EQ(t.vm().getMember(t.root(), String("depth")).asNumber(), 255);
}

TEST(Limits, NativeRecursionThroughToStringIsStopped)
{
    VmFixture t(6);
    Asm code;
    // a = []; a[0] = a; trace("" + a)
    code.push({"a", 0}).op(Op::InitArray).op(Op::SetVariable);
    code.get("a").push({0}).get("a").op(Op::SetMember);
    code.push({""}).get("a").op(Op::Add2).op(Op::Trace);
    t.run(code);
    EXPECT_FALSE(t.lastRunOk);
}

TEST(Limits, OperandStackIsBounded)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.maxStackValues = 1000;
    VmFixture t(6, limits);
    Asm code;
    Asm::Label top = code.label();
    code.bind(top).push({1}).jump(top);
    t.run(code);
    EXPECT_TRUE(warnedAbout(t, "stack"));
}

TEST(Limits, StringsThatDoubleForeverAreStopped)
{
    ScriptLimits limits = VmFixture::deterministicLimits();
    limits.maxStringLength = 1 << 16;
    VmFixture t(6, limits);
    Asm code;
    Asm::Label top = code.label();
    code.set("s", "x");
    code.bind(top).push({"s"}).get("s").get("s").op(Op::Add2).op(Op::SetVariable).jump(top);
    t.run(code);
    EXPECT_FALSE(t.lastRunOk);
    EXPECT_TRUE(warnedAbout(t, "memory"));
    EXPECT_LE(t.vm().getMember(t.root(), String("s")).asString().size(), 1u << 16);
}

TEST(MalformedCode, UnderflowReadsUndefined)
{
    VmFixture t(7);
    Asm code;
    code.op(Op::Add2).op(Op::Trace);
    code.op(Op::Trace);
    code.defineFunction("f", {}, [](Asm& f) { f.op(Op::Pop).op(Op::Pop).op(Op::Trace); });
    code.push({"kept"}).callFunction("f").op(Op::Pop).op(Op::Trace);  // f cannot pop the caller's values
    EXPECT_EQ(t.run(code), (Lines{"NaN", "undefined", "undefined", "kept"}));
}

TEST(MalformedCode, JumpOutsideTheCodeEndsTheBlock)
{
    VmFixture t(6);
    Asm code;
    code.trace("before").jumpBy(3000).trace("after");
    EXPECT_EQ(t.run(code), (Lines{"before"}));
    EXPECT_TRUE(warnedAbout(t, "jump"));
    Asm back;
    back.trace("once").jumpBy(-500);
    EXPECT_EQ(t.run(back), (Lines{"once"}));
}

TEST(MalformedCode, TruncatedActionsAndBadLengths)
{
    VmFixture t(6);
    Asm code;
    code.trace("ok");
    code.raw({Op::Push, 0x40, 0x00, 0x00, 'x'});  // length runs past the end
    t.run(code);
    EXPECT_TRUE(t.lastRunOk);
    EXPECT_TRUE(warnedAbout(t, "length"));

    Asm badType;
    badType.raw({Op::Push, 0x02, 0x00, 0x0C, 0x01}).trace("after");  // unknown push type 12
    EXPECT_TRUE(t.run(badType).empty());

    Asm shortBody;
    shortBody.raw({Op::DefineFunction, 0x05, 0x00, 'f', 0, 0, 0, 0xFF}).trace("after");  // size missing
    t.run(shortBody);

    Asm hugeBody;
    hugeBody.raw({Op::DefineFunction, 0x06, 0x00, 'f', 0, 0, 0, 0xFF, 0x7F});  // body past the end
    t.run(hugeBody);

    Asm shortTry;
    shortTry.raw({Op::Try, 0x07, 0x00, 0x03, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00});
    t.run(shortTry);
    EXPECT_GE(t.warnings.size(), 4u);
}

TEST(MalformedCode, RandomBytesNeverCrash)
{
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(state >> 16);
    };
    for (int round = 0; round < 300; ++round) {
        ScriptLimits limits = VmFixture::deterministicLimits();
        limits.actionBudget = 5000;
        VmFixture t(5 + round % 4, limits);
        std::vector<std::uint8_t> bytes(20 + round % 200);
        for (auto& b : bytes) b = next();
        Asm code;
        code.raw(bytes);
        t.run(code);
        t.vm().collectGarbage();
    }
    SUCCEED();
}

TEST(Garbage, CyclesAreReclaimedAndReachableObjectsSurvive)
{
    VmFixture t(6);
    t.vm().collectGarbage();
    std::size_t baseline = t.vm().heapSize();
    Asm code;
    // 200 pairs of objects pointing at each other, dropped right away; one kept in `keep`.
    for (int i = 0; i < 200; ++i) {
        code.push({"a", 0}).op(Op::InitObject).op(Op::SetVariable);
        code.push({"b", 0}).op(Op::InitObject).op(Op::SetVariable);
        code.get("a").push({"other"}).get("b").op(Op::SetMember);
        code.get("b").push({"other"}).get("a").op(Op::SetMember);
    }
    code.push({"keep", "value", 42, 1}).op(Op::InitObject).op(Op::SetVariable);
    code.push({"a", Null{}}).op(Op::SetVariable).push({"b", Null{}}).op(Op::SetVariable);
    t.run(code);
    EXPECT_GT(t.vm().heapSize(), baseline + 400);
    t.vm().collectGarbage();
    EXPECT_LT(t.vm().heapSize(), baseline + 20);
    Asm check;
    check.get("keep").push({"value"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.runOne(check), "42");
}

TEST(Garbage, ClosuresKeepTheirScopeAliveAcrossCollections)
{
    VmFixture t(6);
    Asm make;
    make.defineFunction("makeCounter", {}, [](Asm& f) {
        f.push({"n", 0}).op(Op::DefineLocal);
        f.defineFunction("", {}, [](Asm& g) {
            g.push({"n"}).get("n").op(Op::Increment).op(Op::SetVariable).get("n").op(Op::Return);
        });
        f.op(Op::Return);
    });
    make.push({"counter"}).callFunction("makeCounter").op(Op::SetVariable);
    t.run(make);
    Asm call;
    call.callFunction("counter").op(Op::Trace);
    EXPECT_EQ(t.runOne(call), "1");
    t.vm().collectGarbage();
    EXPECT_EQ(t.runOne(call), "2");
}

TEST(Garbage, ScriptObjectsLiveAsLongAsTheirNodes)
{
    VmFixture t(6);
    auto node = std::make_shared<FakeClip>(u"loose", 6);  // held by the "runtime" only
    node->attach(t.vm());
    t.vm().setMember(node->scriptObject(), String("kept"), Value(5));
    t.vm().collectGarbage();
    EXPECT_EQ(t.vm().getMember(node->scriptObject(), String("kept")).asNumber(), 5);
    std::size_t before = t.vm().heapSize();
    node.reset();
    t.vm().collectGarbage();
    EXPECT_LT(t.vm().heapSize(), before);
}

TEST(Garbage, RemovedClipsDoNotDangle)
{
    VmFixture t(6);
    auto child = t.host.root->addChild(t.vm(), u"kid");
    Asm keep;
    keep.push({"ref"}).get("kid").op(Op::SetVariable);
    t.run(keep);
    t.host.root->removeChild(child.get());
    child.reset();  // the runtime dropped the node
    t.vm().collectGarbage();
    Asm use;
    use.get("ref").push({"_x"}).op(Op::GetMember).op(Op::Trace);
    use.get("ref").op(Op::TypeOf).op(Op::Trace);
    EXPECT_EQ(t.run(use), (Lines{"undefined", "movieclip"}));
}

}  // namespace
}  // namespace swf::avm1::testing
