// Fuzz target: AVM1 byte code. Input that starts with a SWF signature is a whole movie;
// anything else becomes the DoAction of frame 1 of a small movie that also holds a sprite with
// an instance name (scripts address it) and a second frame that jumps back. The movie's scripts
// run on the interpreter with a host of plain clips, frame by frame, and the same movie then
// plays through the public player, whose stage runs them on real clips, buttons and text fields.

#include <vector>

#include "fake_host.h"
#include "fuzz_targets.h"
#include "swf/avm1/vm.h"
#include "swf/movie/movie.h"
#include "swf/player.h"
#include "support/swf_writer.h"

namespace vantoro::fuzz {

namespace {

constexpr int kFrames = 6;

bool hasSignature(const std::uint8_t* data, std::size_t size)
{
    return size >= 3 && (data[0] == 'F' || data[0] == 'C' || data[0] == 'Z') && data[1] == 'W' && data[2] == 'S';
}

std::vector<std::uint8_t> wrapAsMovie(const std::uint8_t* data, std::size_t size)
{
    using namespace swf::writer;
    SpriteTags clip(8);
    clip.showFrame().showFrame();
    swf::PlaceObject place;
    place.placeVersion = 2;
    place.depth = 1;
    place.characterId = 1;
    place.name = "clip";
    MovieWriter movie(8);
    movie.sprite(1, clip).place(place).doAction(std::span(data, size)).showFrame();
    const std::uint8_t backToFirst[] = {0x81, 0x02, 0x00, 0x00, 0x00, 0x06, 0x00};  // GotoFrame 0, Play
    movie.doAction(backToFirst).showFrame();
    return movie.build();
}

// Runs the init and frame actions of the main timeline on the interpreter with plain clips.
void runScripts(const std::shared_ptr<const swf::Movie>& movie)
{
    using namespace swf::avm1;
    testing::FakeHost host;
    VmOptions options;
    options.rootSwfVersion = movie->version();
    options.randomStart = 1;
    // Small bounds keep each input fast; the limits themselves are what is being exercised.
    options.limits.actionBudget = 200'000;
    options.limits.timeoutSeconds = 2;
    options.limits.maxHeapCells = 200'000;
    options.limits.maxStringLength = 1u << 20;
    Vm vm(host, options);
    host.makeRoot(vm, movie->version());
    const swf::Timeline& timeline = movie->timeline();
    host.root->setProperty(DisplayProperty::TotalFrames, static_cast<double>(timeline.frameCount()));
    for (int i = 0; i < kFrames && static_cast<std::size_t>(i) < timeline.frameCount(); ++i) {
        vm.beginFrame();
        host.root->setProperty(DisplayProperty::CurrentFrame, i + 1);
        for (const swf::ControlTag& tag : timeline.frameTags(static_cast<std::size_t>(i))) {
            std::span<const std::uint8_t> bytes;
            if (const auto* a = std::get_if<swf::DoAction>(&tag)) bytes = a->actions;
            if (const auto* a = std::get_if<swf::DoInitAction>(&tag)) bytes = a->actions;
            if (bytes.empty()) continue;
            vm.runActions(ActionBlock::borrowed(movie, bytes, movie->version()), host.root->scriptObject());
        }
        host.now += 1000.0 / 12;
        vm.runTimers();
        vm.collectGarbage();
    }
}

}  // namespace

int fuzzAvm1(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes =
        hasSignature(data, size) ? std::vector<std::uint8_t>(data, data + size) : wrapAsMovie(data, size);
    swf::MovieLoadResult loaded = swf::Movie::load(bytes);
    if (!loaded.ok()) return 0;
    runScripts(loaded.movie());
    swf::Player player;
    player.setScriptTimeLimit(2);
    try {
        player.loadBytes(std::move(bytes));
    } catch (const swf::LoadError&) {
        return 0;
    }
    for (int i = 0; i < kFrames; ++i) player.tick();
    return 0;
}

}  // namespace vantoro::fuzz
