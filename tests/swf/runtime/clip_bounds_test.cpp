// Bounds that scripts read from clips (getBounds) where the answer depends on the script's
// version: an empty clip's "no rectangle" corner.

#include <gtest/gtest.h>

#include "assembler.h"  // tests/swf/avm1
#include "runtime_test_support.h"
#include "swf/runtime/script_engine.h"

namespace swf::runtime {
namespace {

using avm1::testing::Asm;
namespace Op = avm1::testing::Op;

// Runs `script` on the first frame of a movie of `version` and returns what it traced.
std::vector<std::string> tracesOf(const Asm& script, int version)
{
    writer::MovieWriter m(version);
    m.doAction(script.doActionBody()).showFrame();
    auto movie = test::loadMovie(m.build());
    std::vector<std::string> traces;
    ScriptCallbacks callbacks;
    callbacks.trace = [&traces](const std::string& line) { traces.push_back(line); };
    ScriptEngine engine(movie, callbacks);
    StageHooks hooks;
    hooks.scripts = &engine;
    Stage stage(movie, hooks);
    return traces;
}

TEST(ClipBounds, AnEmptyClipReportsTheNoRectangleCornerAsItsVersionSeesIt)
{
    // e = createEmptyMovieClip("e", 5); b = e.getBounds(); trace(b.xMin); trace(b.yMax);
    Asm script;
    script.push({"e"}).callFunction("createEmptyMovieClip", {"e", 5}).op(Op::SetVariable);
    script.push({"b"}).callMethod([](Asm& a) { a.get("e"); }, "getBounds").op(Op::SetVariable);
    script.get("b").push({"xMin"}).op(Op::GetMember).op(Op::Trace);
    script.get("b").push({"yMax"}).op(Op::GetMember).op(Op::Trace);
    // Scripts of SWF 7 and earlier see 0x7FFFFFF twips through single precision (2^27 twips).
    EXPECT_EQ(tracesOf(script, 7), (std::vector<std::string>{"6710886.4", "6710886.4"}));
    EXPECT_EQ(tracesOf(script, 10), (std::vector<std::string>{"6710886.35", "6710886.35"}));
}

}  // namespace
}  // namespace swf::runtime
