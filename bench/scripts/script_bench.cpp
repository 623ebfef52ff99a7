// Script benchmarks through the public player: the cost of the host entering scripts, which
// movies do many times a frame (an onEnterFrame handler on each of a few hundred clips).

#include <string>

#include <benchmark/benchmark.h>

#include "assembler.h"
#include "swf/player.h"
#include "swf_writer.h"

namespace {

using swf::avm1::testing::Asm;
namespace Op = swf::avm1::testing::Op;

// A movie whose first frame makes `clips` empty clips, each with an onEnterFrame handler that
// counts its calls in _root.n; the movie then loops over two frames.
std::vector<std::uint8_t> clipsWithHandlers(int clips)
{
    Asm script;
    script.set("n", 0);
    script.push({"f"});
    script.defineFunction("", {}, [](Asm& f) {
        f.push({"_root"}).op(Op::GetVariable).push({"n"});
        f.push({"_root"}).op(Op::GetVariable).push({"n"}).op(Op::GetMember).op(Op::Increment);
        f.op(Op::SetMember);
    });
    script.op(Op::SetVariable);
    for (int i = 0; i < clips; ++i) {
        std::string name = "c" + std::to_string(i);
        script.callFunction("createEmptyMovieClip", {name, i + 1}).op(Op::Pop);
        script.get(name).push({"onEnterFrame"}).get("f").op(Op::SetMember);
    }
    swf::writer::MovieWriter movie(7);
    movie.doAction(script.doActionBody()).showFrame().showFrame();
    return movie.build();
}

void BM_EnterFrameHandlers(benchmark::State& state)
{
    const int clips = static_cast<int>(state.range(0));
    swf::Player player;
    player.loadBytes(clipsWithHandlers(clips));
    player.tick();
    for (auto _ : state) player.tick();
    state.SetItemsProcessed(state.iterations() * clips);  // handler calls
}
BENCHMARK(BM_EnterFrameHandlers)->Arg(50)->Arg(400)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
