// Built-in classes that reach the host (MovieClip, Color, Sound) and the data classes (XML,
// LoadVars, SharedObject, ASBroadcaster, flash.geom).

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

TEST(MovieClipClass, CreatesChildrenDepthsAndDraws)
{
    VmFixture t(8);
    Asm code;
    code.push({"box"}).callMethod([](Asm& a) { a.get("this"); }, "createEmptyMovieClip", {"box", 5}).op(Op::SetVariable);
    code.get("box").op(Op::TargetPath).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("box"); }, "getDepth").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("this"); }, "getNextHighestDepth").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("this"); }, "getInstanceAtDepth", {5}).op(Op::TargetPath).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("box"); }, "lineStyle", {2, 0xFF0000, 100}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "beginFill", {0x00FF00, 50}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "moveTo", {0, 0}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "lineTo", {10, 0}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "curveTo", {10, 10, 0, 10}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "lineTo", {"x", 0}).op(Op::Pop);  // not a number: ignored
    code.callMethod([](Asm& a) { a.get("box"); }, "endFill").op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("box"); }, "swapDepths", {9}).op(Op::Pop);
    EXPECT_EQ(t.run(code), (Lines{"_level0.box", "5", "6", "_level0.box"}));
    auto* box = static_cast<FakeClip*>(t.host.root->childByName(u"box", true));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->log, (std::vector<std::string>{"lineStyle 2", "fill 0,255,0,128", "moveTo 0,0", "lineTo 10,0",
                                                  "curveTo 0,10", "endFill", "swap 9"}));
}

TEST(MovieClipClass, MethodsOnSomethingThatIsNotAClipDoNothing)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"__proto__"}).get("MovieClip").push({"prototype"}).op(Op::GetMember).op(Op::SetMember);
    code.callMethod([](Asm& a) { a.get("o"); }, "gotoAndStop", {3}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("o"); }, "getDepth").op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("o"); }, "removeMovieClip").op(Op::Pop);
    EXPECT_EQ(t.run(code), (Lines{"undefined"}));
    EXPECT_TRUE(t.host.root->log.empty());
}

TEST(ColorClass, SetRgbAndTransformsReachTheClip)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"mc");
    Asm code;
    code.push({"c", "mc", 1, "Color"}).op(Op::NewObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("c"); }, "setRGB", {0x336699}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("c"); }, "getRGB").op(Op::Trace);
    code.push({"ra", 50, "ab", -20, 2}).op(Op::InitObject).push({1}).get("c").push({"setTransform"}).op(Op::CallMethod).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("c"); }, "getTransform").push({"ra"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"3368601", "50"}));
    ColorTransform ct = clip->colorTransform();
    EXPECT_EQ(ct.rMult, 0.5);
    EXPECT_EQ(ct.gMult, 0);
    EXPECT_EQ(ct.bAdd, 0x99);
    EXPECT_EQ(ct.aAdd, -20);
}

TEST(SoundClass, AttachStartAndStopGoThroughTheHost)
{
    VmFixture t(6);
    t.host.root->addChild(t.vm(), u"speaker");
    Asm code;
    code.push({"s", "speaker", 1, "Sound"}).op(Op::NewObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("s"); }, "attachSound", {"missing"}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "attachSound", {"beep"}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("s"); }, "start", {2, 3}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("s"); }, "stop", {"beep"}).op(Op::Pop);
    EXPECT_EQ(t.run(code), (Lines{"false", "true"}));
    EXPECT_EQ(t.host.sounds, (std::vector<std::string>{"start beep 2 x3 on speaker", "stop beep"}));
}

TEST(XmlClass, ParseNavigateModifyAndSerialize)
{
    VmFixture t(6);
    Asm code;
    code.push({"x", "<r a=\"1\"><i>one</i><i>two</i></r>", 1, "XML"}).op(Op::NewObject).op(Op::SetVariable);
    code.get("x").push({"firstChild"}).op(Op::GetMember).push({"childNodes"}).op(Op::GetMember).push({"length"}).op(Op::GetMember).op(Op::Trace);
    code.get("x").push({"firstChild"}).op(Op::GetMember).push({"attributes"}).op(Op::GetMember).push({"a"}).op(Op::GetMember).op(Op::Trace);
    code.get("x").push({"firstChild"}).op(Op::GetMember).push({"lastChild"}).op(Op::GetMember).push({"firstChild"}).op(Op::GetMember).push({"nodeValue"}).op(Op::GetMember).op(Op::Trace);
    // x.firstChild.appendChild(x.createElement("n"))
    code.callMethod([](Asm& a) { a.get("x"); }, "createElement", {"n"});
    code.push({1}).get("x").push({"firstChild"}).op(Op::GetMember).push({"appendChild"}).op(Op::CallMethod).op(Op::Pop);
    // Appending a node into its own child is refused.
    code.get("x").push({"firstChild"}).op(Op::GetMember).push({1}).get("x").push({"firstChild"}).op(Op::GetMember).push({"firstChild"}).op(Op::GetMember);
    code.push({"appendChild"}).op(Op::CallMethod).op(Op::Pop);
    code.get("x").op(Op::ToString).op(Op::Trace);
    code.push({"bad", "<a><b></a>", 1, "XML"}).op(Op::NewObject).op(Op::SetVariable);
    code.get("bad").push({"status"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"2", "1", "two", "<r a=\"1\"><i>one</i><i>two</i><n /></r>", "-9"}));
}

TEST(LoadVarsClass, DecodeToStringAndOnData)
{
    VmFixture t(6);
    Asm code;
    code.push({"lv", 0, "LoadVars"}).op(Op::NewObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("lv"); }, "decode", {"name=J%C3%BCrgen&score=12+5"}).op(Op::Pop);
    code.get("lv").push({"name"}).op(Op::GetMember).op(Op::Trace);
    code.get("lv").push({"score"}).op(Op::GetMember).op(Op::Trace);
    code.get("lv").push({"onLoad"}).defineFunction("", {"ok"}, [](Asm& f) { f.push({"loaded "}).get("ok").op(Op::Add2).op(Op::Trace); });
    code.op(Op::SetMember);
    code.callMethod([](Asm& a) { a.get("lv"); }, "onData", {"more=yes"}).op(Op::Pop);
    code.get("lv").push({"more"}).op(Op::GetMember).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("lv"); }, "load", {"http://example.com/data.txt"}).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"Jürgen", "12 5", "loaded true", "yes", "true"}));
    ASSERT_EQ(t.host.requests.size(), 1u);
    EXPECT_EQ(t.host.requests[0].kind, UrlRequest::Kind::LoadVars);
    EXPECT_NE(t.host.requests[0].scriptObject, nullptr);
}

TEST(SharedObjectClass, SameNameSameObjectForTheSession)
{
    VmFixture t(6);
    Asm code;
    code.push({"a"}).callMethod([](Asm& x) { x.get("SharedObject"); }, "getLocal", {"save"}).op(Op::SetVariable);
    code.get("a").push({"data"}).op(Op::GetMember).push({"level", 4}).op(Op::SetMember);
    code.callMethod([](Asm& x) { x.get("SharedObject"); }, "getLocal", {"save"}).push({"data"}).op(Op::GetMember).push({"level"}).op(Op::GetMember).op(Op::Trace);
    code.callMethod([](Asm& x) { x.get("a"); }, "flush").op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"4", "true"}));
}

TEST(BroadcasterClass, InitializeAddRemoveAndBroadcast)
{
    VmFixture t(6);
    Asm code;
    code.push({"src", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("AsBroadcaster"); }, "initialize", {}).op(Op::Pop);  // no object: nothing
    code.push({"src"}).op(Op::GetVariable).push({1}).get("AsBroadcaster").push({"initialize"}).op(Op::CallMethod).op(Op::Pop);
    code.push({"l", "ping"}).defineFunction("", {"v"}, [](Asm& f) { f.push({"got "}).get("v").op(Op::Add2).op(Op::Trace); });
    code.push({1}).op(Op::InitObject).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("src"); }, "addListener", {}).op(Op::Pop);
    code.get("l").push({1}).get("src").push({"addListener"}).op(Op::CallMethod).op(Op::Pop);
    code.get("l").push({1}).get("src").push({"addListener"}).op(Op::CallMethod).op(Op::Pop);  // once only
    code.callMethod([](Asm& a) { a.get("src"); }, "broadcastMessage", {"ping", 7}).op(Op::Pop);
    code.get("l").push({1}).get("src").push({"removeListener"}).op(Op::CallMethod).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("src"); }, "broadcastMessage", {"ping", 8}).op(Op::Pop);
    EXPECT_EQ(t.run(code), (Lines{"got 7", "true"}));
}

TEST(GeomClasses, PointRectangleMatrix)
{
    VmFixture t(8);
    Asm code;
    code.push({"p", 4, 3, 2}).get("flash").push({"geom"}).op(Op::GetMember).push({"Point"}).op(Op::NewMethod).op(Op::SetVariable);
    code.get("p").push({"length"}).op(Op::GetMember).op(Op::Trace);
    code.get("p").op(Op::ToString).op(Op::Trace);
    code.push({"r", 20, 10, 1, 0, 4}).get("flash").push({"geom"}).op(Op::GetMember).push({"Rectangle"}).op(Op::NewMethod).op(Op::SetVariable);
    code.get("r").push({"right"}).op(Op::GetMember).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("r"); }, "contains", {5, 5}).op(Op::Trace);
    code.push({"m", 0}).get("flash").push({"geom"}).op(Op::GetMember).push({"Matrix"}).op(Op::NewMethod).op(Op::SetVariable);
    code.callMethod([](Asm& a) { a.get("m"); }, "translate", {10, 0}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("m"); }, "scale", {2, 2}).op(Op::Pop);
    code.callMethod([](Asm& a) { a.get("m"); }, "transformPoint", {}).op(Op::Pop);
    code.get("p").push({1}).get("m").push({"transformPoint"}).op(Op::CallMethod).op(Op::ToString).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"5", "(x=3, y=4)", "10", "true", "(x=26, y=8)"}));
}

}  // namespace
}  // namespace swf::avm1::testing
