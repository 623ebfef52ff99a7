// Text loaded by scripts (loadVariables, LoadVars, XML) on a stage with its script engine: when
// it arrives, where the variables go, what the object hears on success and on failure, how the
// bytes are decoded, and the cap on a loaded text's size.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "assembler.h"  // tests/swf/avm1
#include "runtime_test_support.h"
#include "scripted_stage_test.h"
#include "swf/avm1/string.h"
#include "swf/runtime/loaded_text.h"
#include "swf/runtime/script_engine.h"

namespace swf::runtime {
namespace {

using avm1::testing::Asm;
namespace Op = avm1::testing::Op;
using test::square;
using Lines = std::vector<std::string>;

std::vector<std::uint8_t> code(const Asm& a)
{
    return a.doActionBody();
}

class LoadData : public test::ScriptedStageTest {
protected:
    LoadData() : ScriptedStageTest("vantoro-runtime-data-") {}

    void write(const std::string& name, std::string_view bytes) { folder.write(name, bytes); }
    // A movie with an empty sprite placed as "holder"; frame 1 runs `script` and stops.
    void start(const Asm& script, int version = 7)
    {
        writer::SpriteTags inner(version);
        inner.place(1, 1).showFrame();
        writer::MovieWriter m(version);
        m.shape(square(1, {255, 0, 0, 255}, 200)).sprite(2, inner);
        PlaceObject p = test::placeTag(1, 2, false);
        p.name = "holder";
        m.place(p);
        m.doAction(code(script)).doAction(code(Asm().op(Op::Stop))).showFrame().showFrame();
        ScriptedStageTest::start(m.build());
    }

};

// lv = new LoadVars(); lv.onLoad = function (ok) { trace("onLoad " + ok + " " + this.a + " " + this.loaded); };
Asm& makeLoadVars(Asm& a, const std::string& className = "LoadVars")
{
    a.push({"lv"}).push({0, className}).op(Op::NewObject).op(Op::SetVariable);
    a.get("lv").push({"onLoad"});
    a.defineFunction("", {"ok"}, [](Asm& f) {
        f.push({"onLoad "}).get("ok").op(Op::Add2).push({" "}).op(Op::Add2);
        f.push({"this"}).op(Op::GetVariable).push({"a"}).op(Op::GetMember).op(Op::Add2);
        f.push({" "}).op(Op::Add2).push({"this"}).op(Op::GetVariable).push({"loaded"}).op(Op::GetMember).op(Op::Add2);
        f.op(Op::Trace);
    });
    return a.op(Op::SetMember);
}

// trace(lv.getBytesLoaded() + "/" + lv.getBytesTotal())
Asm& traceBytes(Asm& a)
{
    a.callMethod([](Asm& o) { o.get("lv"); }, "getBytesLoaded", {});
    a.push({"/"}).op(Op::Add2);
    a.callMethod([](Asm& o) { o.get("lv"); }, "getBytesTotal", {}).op(Op::Add2);
    return a.op(Op::Trace);
}

TEST_F(LoadData, LoadVariablesSetsTheClipsVariablesOnALaterTickThenCallsItsOnData)
{
    write("vars.txt", "a=hello%20world&b=1+2&=dropped&c");
    Asm script;
    script.get("holder").push({"onData"});
    script.defineFunction("", {}, [](Asm& f) {
        f.push({"data "}).push({"this"}).op(Op::GetVariable).push({"a"}).op(Op::GetMember).op(Op::Add2).op(Op::Trace);
    });
    script.op(Op::SetMember);
    // loadVariables("vars.txt", "holder"): GetURL2 with the variables and target flags.
    script.push({"vars.txt", "holder"}).getUrl2(0xC0);
    script.push({"holder.a"}).op(Op::GetVariable).op(Op::Trace);
    start(script);
    EXPECT_EQ(traces, Lines{"undefined"});  // nothing within the script that asked
    traces.clear();
    stage->tick();
    EXPECT_EQ(traces, Lines{"data hello world"});
    avm1::Vm& vm = engine->vm();
    avm1::Object* root = engine->scriptObjectOf(stage->root());
    EXPECT_EQ(vm.toString(vm.getVariable(root, avm1::String("holder.b"))).toUtf8(), "1 2");
    EXPECT_EQ(vm.toString(vm.getVariable(root, avm1::String("holder.c"))).toUtf8(), "");
    EXPECT_TRUE(vm.getVariable(root, avm1::String("a")).isUndefined());  // not on the caller
}

// lv.onData = function (text) { trace("onData " + text); <traceBytes>; LoadVars.prototype.onData.call(this, text); }
Asm& tracingOnData(Asm& a)
{
    a.get("lv").push({"onData"});
    a.defineFunction("", {"text"}, [](Asm& f) {
        f.push({"onData "}).get("text").op(Op::Add2).op(Op::Trace);
        traceBytes(f);
        f.get("text").push({"this"}).op(Op::GetVariable).push({2});
        f.get("LoadVars").push({"prototype"}).op(Op::GetMember).push({"onData"}).op(Op::GetMember);
        f.push({"call"}).op(Op::CallMethod).op(Op::Pop);
    });
    return a.op(Op::SetMember);
}

TEST_F(LoadData, LoadVarsHearsOnDataThenItsDefaultDecodesAndCallsOnLoad)
{
    write("vars.txt", "a=1&b=two");
    Asm script;
    makeLoadVars(script);
    tracingOnData(script);
    traceBytes(script);
    script.callMethod([](Asm& o) { o.get("lv"); }, "load", {"vars.txt"}).op(Op::Trace);
    traceBytes(script);
    start(script);
    EXPECT_EQ(traces, (Lines{"undefined/undefined", "true", "0/undefined"}));
    traces.clear();
    stage->tick();
    EXPECT_EQ(traces, (Lines{"onData a=1&b=two", "9/9", "onLoad true 1 true"}));
    // The object was kept alive while the load was pending and is untouched by later ticks.
    traces.clear();
    engine->vm().collectGarbage();
    stage->tick();
    EXPECT_TRUE(traces.empty());
}

TEST_F(LoadData, AMissingFileIsReportedToTheObjectOnALaterTick)
{
    Asm script;
    makeLoadVars(script);
    tracingOnData(script);
    script.callMethod([](Asm& o) { o.get("lv"); }, "load", {"absent.txt"}).op(Op::Pop);
    script.trace("asked");
    start(script);
    EXPECT_EQ(traces, Lines{"asked"});
    traces.clear();
    stage->tick();
    EXPECT_EQ(traces, (Lines{"onData undefined", "0/undefined", "onLoad false undefined false"}));
    EXPECT_TRUE(warned("absent.txt"));
}

TEST_F(LoadData, ANetworkUrlIsRefusedWithAWarningAndTheFailureReported)
{
    Asm script;
    makeLoadVars(script, "XML");
    script.callMethod([](Asm& o) { o.get("lv"); }, "load", {"http://example.com/data.xml"}).op(Op::Pop);
    script.push({"http://example.com/v.txt", "holder"}).getUrl2(0xC0);  // loadVariables: nothing to hear
    start(script);
    EXPECT_TRUE(traces.empty());
    EXPECT_TRUE(warned("refused"));
    stage->tick();
    EXPECT_EQ(traces, Lines{"onLoad false undefined false"});
}

TEST_F(LoadData, XmlIsParsedBeforeOnLoad)
{
    write("doc.xml", "<a x=\"1\"><b>t</b></a>");
    Asm script;
    makeLoadVars(script, "XML");
    script.callMethod([](Asm& o) { o.get("lv"); }, "load", {"doc.xml"}).op(Op::Pop);
    start(script);
    stage->tick();
    ASSERT_EQ(traces, Lines{"onLoad true undefined true"});
    avm1::Vm& vm = engine->vm();
    const avm1::Value xml = vm.getVariable(engine->scriptObjectOf(stage->root()), avm1::String("lv"));
    EXPECT_EQ(vm.toString(xml).toUtf8(), "<a x=\"1\"><b>t</b></a>");
}

TEST_F(LoadData, SystemUseCodepageReadsTheTextInTheCodePage)
{
    write("vars.txt", "a=\xC3\xA4");
    Asm script;
    makeLoadVars(script);
    script.callMethod([](Asm& o) { o.get("lv"); }, "load", {"vars.txt"}).op(Op::Pop);
    start(script);
    stage->tick();
    avm1::Vm& vm = engine->vm();
    avm1::Object* root = engine->scriptObjectOf(stage->root());
    EXPECT_EQ(vm.toString(vm.getVariable(root, avm1::String("lv.a"))).view(), u"\u00E4");
    // Read when the data is, not when it was asked for.
    Asm again;
    again.get("System").push({"useCodepage", true}).op(Op::SetMember);
    again.callMethod([](Asm& o) { o.get("lv"); }, "load", {"vars.txt"}).op(Op::Pop);
    vm.runActions(avm1::ActionBlock::copyOf(code(again), 7), root);
    stage->tick();
    EXPECT_EQ(vm.toString(vm.getVariable(root, avm1::String("lv.a"))).view(), u"\u76F2");
}

TEST(LoadedText, AByteOrderMarkDecidesElseUtf8WhenValidElseTheCodePage)
{
    auto decode = [](std::initializer_list<std::uint8_t> bytes) {
        const std::vector<std::uint8_t> v(bytes);
        return decodeLoadedText(v);
    };
    EXPECT_EQ(decode({0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA4}), u"a\u00E4");
    EXPECT_EQ(decode({0xFF, 0xFE, 'a', 0, 0x2C, 0x4E}), u"a\u4E2C");
    EXPECT_EQ(decode({0xFE, 0xFF, 0, 'a', 0x4E, 0x2C}), u"a\u4E2C");
    EXPECT_EQ(decode({'x', 0xC3, 0xA4}), u"x\u00E4");
    EXPECT_EQ(decode({0xC4, 0xE3, 0xBA, 0xC3}), u"\u4F60\u597D");  // GBK
    EXPECT_EQ(decode({}), u"");
    // System.useCodepage: the code page even for valid UTF-8; bytes it cannot pair stand alone.
    const std::vector<std::uint8_t> utf8{'x', 0xC3, 0xA4};
    EXPECT_EQ(decodeLoadedText(utf8, true), u"x\u76F2");  // one GBK character
    const std::vector<std::uint8_t> gbk{0xC4, 0xE3, 'a', 0xE9, 0x20, 'b', 0xEF, 0xBB};
    EXPECT_EQ(decodeLoadedText(gbk, true), u"\u4F60a\u00E9 b\u9518");
}

TEST_F(LoadData, ATextOverTheCapIsRefused)
{
    write("big.txt", std::string(2000, 'a'));
    const auto refused = readLoadedText((folder / "big.txt").string(), false, 1000);
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find("larger"), std::string::npos);
    const auto read = readLoadedText((folder / "big.txt").string(), false, 2000);
    ASSERT_TRUE(std::holds_alternative<LoadedText>(read));
    EXPECT_EQ(std::get<LoadedText>(read).bytes, 2000u);
    EXPECT_EQ(std::get<LoadedText>(read).text.size(), 2000u);
    EXPECT_TRUE(std::holds_alternative<std::string>(readLoadedText((folder / "none.txt").string())));
}

}  // namespace
}  // namespace swf::runtime
