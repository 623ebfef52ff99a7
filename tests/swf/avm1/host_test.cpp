// The host interface: display properties, timeline control, requests leaving the movie,
// input state, timers, event handlers and registered classes.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

TEST(Host, PropertiesByIndexAndByName)
{
    VmFixture t(5);
    auto clip = t.host.root->addChild(t.vm(), u"box");
    Asm code;
    code.push({"box", 0, 30}).op(Op::SetProperty);               // _x
    code.push({"box", 6, "50"}).op(Op::SetProperty);             // _alpha from text
    code.push({"box", 0, "oops"}).op(Op::SetProperty);           // not a number: ignored
    code.push({"box", 0}).op(Op::GetProperty).op(Op::Trace);
    code.get("box").push({"_alpha"}).op(Op::GetMember).op(Op::Trace);
    code.push({"box", 13}).op(Op::GetProperty).op(Op::Trace);    // _name
    code.push({"box", 13, "crate"}).op(Op::SetProperty);
    code.push({"crate", 11}).op(Op::GetProperty).op(Op::Trace);  // _target under the new name
    code.push({"missing", 0}).op(Op::GetProperty).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"30", "50", "box", "/crate", "undefined"}));
    EXPECT_EQ(clip->property(DisplayProperty::X), 30);
}

// Level names follow the version's case rule, as a variable, in a path and as a member.
TEST(Host, LevelNamesAreCaseSensitiveFromSwf7)
{
    for (int version : {6, 7}) {
        VmFixture t(version);
        t.host.root->addChild(t.vm(), u"mc");
        Asm code;
        code.get("_LeVeL0").op(Op::Trace);
        code.get("_LEVEL0.mc").op(Op::Trace);
        code.get("mc").push({"_Level0"}).op(Op::GetMember).op(Op::Trace);
        code.get("_level0").op(Op::Trace);
        Lines expected = version < 7 ? Lines{"_level0", "_level0.mc", "_level0", "_level0"}
                                     : Lines{"undefined", "undefined", "undefined", "_level0"};
        EXPECT_EQ(t.run(code), expected) << "SWF " << version;
    }
}

// A removed clip's script that is still running reaches no root: _root is undefined there and
// tellTarget("_root") targets nothing, so its gotos do not move the main timeline.
TEST(Host, ARemovedClipHasNoRoot)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"mc");
    Asm code;
    code.get("_root").op(Op::Trace);
    code.push({"_root"}).op(Op::GetVariable).push({"_name"}).op(Op::GetMember).op(Op::Trace);
    auto runOnClip = [&] {
        t.host.traces.clear();
        t.vm().runActions(code.block(6), clip->scriptObject());
        return t.host.traces;
    };
    EXPECT_EQ(runOnClip(), (Lines{"_level0", ""}));
    clip->removeFromParent();
    EXPECT_EQ(runOnClip(), (Lines{"undefined", "undefined"}));
}

TEST(Host, LockRootReadsFalseUntilSetAndKeepsTheBooleanOfWhatWasSet)
{
    VmFixture t(7);
    auto clip = t.host.root->addChild(t.vm(), u"mc");
    clip->addChild(t.vm(), u"inner");
    Asm code;
    code.get("mc").push({"_lockroot"}).op(Op::GetMember).op(Op::Trace);
    code.get("mc").push({"inner"}).op(Op::GetMember).push({"_root"}).op(Op::GetMember).op(Op::Trace);
    code.get("mc").push({"_lockroot", "false"}).op(Op::SetMember);  // a non-empty string is true
    code.get("mc").push({"_lockroot"}).op(Op::GetMember).op(Op::TypeOf).op(Op::Trace);
    code.get("mc").push({"inner"}).op(Op::GetMember).push({"_root"}).op(Op::GetMember).op(Op::Trace);
    code.get("mc").push({"_lockroot", 0}).op(Op::SetMember);
    code.get("mc").push({"_lockroot"}).op(Op::GetMember).op(Op::Trace);
    code.get("mc").push({"inner"}).op(Op::GetMember).push({"_root"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"false", "_level0", "boolean", "_level0.mc", "false", "_level0"}));
}

TEST(Host, TimelineActionsAndGotos)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"mc");
    Asm code;
    code.op(Op::Stop).gotoFrame(4);
    code.push({"mc:intro"}).action(Op::GotoFrame2, {0x01});
    code.push({"/mc:7"}).action(Op::GotoFrame2, {0x00});
    code.push({2}).action(Op::GotoFrame2, {0x03, 10, 0});  // scene bias 10
    code.callMethod([](Asm& a) { a.get("mc"); }, "gotoAndStop", {"outro"});
    code.callMethod([](Asm& a) { a.get("mc"); }, "gotoAndPlay", {"3"});
    t.run(code);
    EXPECT_EQ(t.host.root->log, (std::vector<std::string>{"stop", "goto 5 stop", "goto 12 play"}));
    EXPECT_EQ(clip->log, (std::vector<std::string>{"label intro play", "goto 7 stop", "label outro stop", "goto 3 play"}));
}

TEST(Host, GetUrlFsCommandAndLoadRequests)
{
    VmFixture t(6);
    t.host.root->addChild(t.vm(), u"holder");
    Asm code;
    code.getUrl("FSCommand:quit", "");
    code.getUrl("http://example.com/", "_blank");
    code.push({"movie.swf", "_level2"}).getUrl2(0x00);
    code.push({"other.swf", "holder"}).getUrl2(0x40);
    code.push({"vars.txt", "holder"}).getUrl2(0xC0);
    code.set("score", 10);
    code.push({"submit.cgi", "_self"}).getUrl2(0x01);
    t.run(code);
    EXPECT_EQ(t.host.commands, (std::vector<std::string>{"quit|"}));
    ASSERT_EQ(t.host.requests.size(), 5u);
    EXPECT_EQ(t.host.requests[0].kind, UrlRequest::Kind::OpenUrl);
    EXPECT_EQ(t.host.requests[0].window, u"_blank");
    EXPECT_EQ(t.host.requests[1].kind, UrlRequest::Kind::LoadMovie);
    EXPECT_EQ(t.host.requests[1].level, 2);
    EXPECT_EQ(t.host.requests[2].kind, UrlRequest::Kind::LoadMovie);
    EXPECT_NE(t.host.requests[2].targetNode, nullptr);
    EXPECT_EQ(t.host.requests[3].kind, UrlRequest::Kind::LoadVariables);
    EXPECT_EQ(t.host.requests[4].method, HttpMethod::Get);
    EXPECT_EQ(t.host.requests[4].variables, u"score=10");
}

TEST(Host, KeyStageAndTimer)
{
    VmFixture t(6);
    t.host.keysDown = {37};
    t.host.now = 1234.7;
    Asm code;
    code.callMethod([](Asm& a) { a.get("Key"); }, "isDown", {37}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("Key"); }, "isDown", {39}).op(Op::Trace);
    code.get("Key").push({"LEFT"}).op(Op::GetMember).op(Op::Trace);
    code.get("Stage").push({"width"}).op(Op::GetMember).op(Op::Trace);
    code.op(Op::GetTime).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"true", "false", "37", "550", "1234"}));
}

TEST(Host, IntervalsFollowTheHostClock)
{
    VmFixture t(6);
    Asm code;
    code.set("ticks", 0);
    code.defineFunction("tick", {"label"}, [](Asm& f) {
        f.push({"ticks"}).get("ticks").op(Op::Increment).op(Op::SetVariable);
        f.get("label").get("ticks").op(Op::Add2).op(Op::Trace);
    });
    // id = setInterval(tick, 100, "t")
    code.push({"id"}).push({"t", 100}).get("tick").push({3, "setInterval"}).op(Op::CallFunction).op(Op::SetVariable);
    t.run(code);
    for (double now : {50.0, 100.0, 250.0}) {
        t.host.now = now;
        t.vm().runTimers();
    }
    EXPECT_EQ(t.host.traces, (Lines{"t1", "t2"}));
    Asm stop;
    stop.push({1}).get("id").push({1, "clearInterval"}).op(Op::CallFunction).op(Op::Pop);
    t.run(stop);
    t.host.now = 1000;
    t.vm().runTimers();
    EXPECT_EQ(t.vm().getMember(t.root(), String("ticks")).asNumber(), 2);
}

TEST(Host, EventHandlersAndBroadcasts)
{
    VmFixture t(6);
    Asm code;
    // this.onEnterFrame = function () { trace("enter " + this) }
    code.get("this").push({"onEnterFrame"}).defineFunction("", {}, [](Asm& f) {
        f.push({"enter "}).get("this").op(Op::Add2).op(Op::Trace);
    });
    code.op(Op::SetMember);
    // Key.addListener({onKeyDown: function () { trace("key") }})
    code.push({"onKeyDown"}).defineFunction("", {}, [](Asm& f) { f.trace("key"); });
    code.push({1}).op(Op::InitObject).push({1}).get("Key").push({"addListener"}).op(Op::CallMethod).op(Op::Pop);
    t.run(code);
    t.host.traces.clear();
    EXPECT_TRUE(t.vm().hasMethod(t.root(), String("onEnterFrame")));
    EXPECT_FALSE(t.vm().hasMethod(t.root(), String("onPress")));
    t.vm().callMethod(t.root(), String("onEnterFrame"));
    t.vm().broadcastMessage(t.vm().keyObject(), String("onKeyDown"));
    EXPECT_EQ(t.host.traces, (Lines{"enter _level0", "key"}));
}

TEST(Host, RegisteredClassesGiveClipsTheirPrototypeAndConstructor)
{
    VmFixture t(6);
    Asm code;
    code.get("_global").push({"Ball"}).defineFunction("", {}, [](Asm& f) {
        f.push({"constructed with speed "}).get("this").push({"speed"}).op(Op::GetMember).op(Op::Add2).op(Op::Trace);
    });
    code.op(Op::SetMember);
    code.get("Ball").push({"prototype"}).op(Op::GetMember).push({"bounce"});
    code.defineFunction("", {}, [](Asm& f) { f.trace("bounce"); }).op(Op::SetMember);
    code.get("Ball").push({"ballSymbol", 2}).get("Object").push({"registerClass"}).op(Op::CallMethod).op(Op::Pop);
    t.run(code);

    auto node = std::make_shared<FakeClip>(u"b1", 6);
    node->attach(t.vm(), String("BALLSYMBOL"));  // export names match regardless of case
    Object* init = t.vm().newObject();
    t.vm().setMember(init, String("speed"), Value(3));
    t.host.traces.clear();
    t.vm().initializeClip(node->scriptObject(), init, String("ballSymbol"));
    t.vm().callMethod(node->scriptObject(), String("bounce"));
    EXPECT_EQ(t.host.traces, (Lines{"constructed with speed 3", "bounce"}));
}

TEST(Host, VariablesByPathForTextFieldBinding)
{
    VmFixture t(6);
    auto hud = t.host.root->addChild(t.vm(), u"hud");
    t.vm().setVariable(t.root(), String("/hud:score"), Value(12));
    EXPECT_EQ(t.vm().getVariable(t.root(), String("_root.hud.score")).asNumber(), 12);
    EXPECT_EQ(t.vm().getVariable(hud->scriptObject(), String("score")).asNumber(), 12);
    EXPECT_TRUE(t.vm().getVariable(t.root(), String("nowhere:score")).isUndefined());
}

}  // namespace
}  // namespace swf::avm1::testing
