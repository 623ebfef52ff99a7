// The stage: limits on nesting and object counts, the order scripts are handed to the script
// host, paths, sound hooks, buttons, and the frame clock.

#include <gtest/gtest.h>

#include "runtime_test_support.h"
#include "swf/format/limits.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/frame_clock.h"

namespace swf::runtime {
namespace {

using namespace test;
using writer::MovieWriter;
using writer::SpriteTags;

// Records what the stage hands to scripts; each action list is one byte naming it.
class RecordingScripts : public ScriptHost {
public:
    void runInitActions(MovieClip&, std::uint16_t spriteId, std::span<const std::uint8_t> actions) override
    {
        log.push_back("init " + std::to_string(spriteId) + ":" + std::to_string(actions[0]));
    }
    void runFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions) override
    {
        log.push_back(clip.path() + ":" + std::to_string(actions[0]));
    }
    void clipEvent(DisplayObject& object, ClipEventBits event) override
    {
        if (event != clip_event::EnterFrame) log.push_back("event " + object.path());
    }
    std::vector<std::string> log;
};

std::vector<std::uint8_t> marker(std::uint8_t n) { return {n}; }

TEST(Stage, ASpriteThatPlacesItselfStopsAtTheNestingLimit)
{
    MovieWriter m;
    SpriteTags inner(m.version());
    inner.place(1, 1).place(1, 2).showFrame();  // two copies of itself: exponential without limits
    m.sprite(1, inner);
    m.place(1, 1).showFrame();
    std::vector<std::string> warnings;
    StageHooks hooks;
    hooks.warning = [&](const std::string& w) { warnings.push_back(w); };
    Stage stage(loadMovie(m.build()), hooks);
    EXPECT_LE(stage.objectCount(), limits::kMaxDisplayObjects);
    EXPECT_FALSE(warnings.empty());
    stage.tick();  // and it still runs
    int deepest = 0;
    for (const DisplayObject* o = &stage.root(); o;) {
        deepest = o->nesting();
        const DisplayList* list = o->children();
        o = list && !list->empty() ? list->items().front().get() : nullptr;
    }
    EXPECT_LE(deepest, limits::kMaxDisplayNesting);
}

TEST(Stage, ASingleSelfPlacingChainIsCutAtTheNestingLimit)
{
    MovieWriter m;
    SpriteTags inner(m.version());
    inner.place(1, 1).showFrame();
    m.sprite(1, inner);
    m.place(1, 1).showFrame();
    Stage stage(loadMovie(m.build()));
    EXPECT_EQ(stage.objectCount(), static_cast<std::size_t>(limits::kMaxDisplayNesting) + 1);
}

TEST(Stage, ScriptsRunAfterThePassInTheOrderFramesRan)
{
    MovieWriter m;
    SpriteTags inner(m.version());
    inner.doAction(marker(10)).showFrame();
    inner.doAction(marker(11)).showFrame();
    m.sprite(2, inner);
    m.doInitAction(2, marker(1));
    PlaceObject p = placeTag(1, 2, false);
    p.name = "kid";
    m.place(p).doAction(marker(20)).showFrame();
    m.doAction(marker(21)).showFrame();

    RecordingScripts scripts;
    StageHooks hooks;
    hooks.scripts = &scripts;
    Stage stage(loadMovie(m.build()), hooks);
    // Tags in file order: the clip placed before the DoAction runs its first frame first, after
    // its Load event.
    EXPECT_EQ(scripts.log,
              (std::vector<std::string>{"init 2:1", "event _level0.kid", "_level0.kid:10", "_level0:20", "event _level0"}));
    scripts.log.clear();
    stage.tick();
    EXPECT_EQ(scripts.log, (std::vector<std::string>{"_level0.kid:11", "_level0:21"}))
        << "clips advance from the newest to the oldest, the root last";
    scripts.log.clear();
    stage.tick();  // the main timeline loops to frame 0: its actions again, not the init actions
    EXPECT_EQ(scripts.log, (std::vector<std::string>{"_level0.kid:10", "_level0:20"}));
    scripts.log.clear();
    stage.root().gotoFrame(1, false);
    stage.runQueuedScripts();
    EXPECT_EQ(scripts.log, (std::vector<std::string>{"_level0:21"}));
}

TEST(Stage, PathsFindObjectsByNameWithTheVersionsCaseRule)
{
    for (int version : {6, 7}) {
        MovieWriter m(version);
        m.shape(square(1, {0, 0, 0, 255}));
        SpriteTags inner(version);
        PlaceObject leaf = placeTag(1, 1, false);
        leaf.name = "Leaf";
        inner.place(leaf).showFrame();
        m.sprite(2, inner);
        PlaceObject outer = placeTag(3, 2, false);
        outer.name = "Outer";
        m.place(outer).showFrame();
        Stage stage(loadMovie(m.build()));
        DisplayObject* leafObject = stage.resolvePath("/Outer/Leaf");
        ASSERT_TRUE(leafObject);
        EXPECT_EQ(leafObject->path(), "_level0.Outer.Leaf");
        EXPECT_EQ(stage.resolvePath("_root.Outer.Leaf"), leafObject);
        EXPECT_EQ(stage.resolvePath("_level0.Outer"), leafObject->parent());
        EXPECT_EQ(stage.resolvePath("_parent", leafObject), leafObject->parent());
        EXPECT_EQ(stage.resolvePath("../Leaf", leafObject), leafObject);
        EXPECT_EQ(stage.resolvePath("Leaf", leafObject->parent()), leafObject);
        EXPECT_EQ(stage.resolvePath("_level1"), nullptr);
        EXPECT_EQ(stage.resolvePath("/Outer/Nothing"), nullptr);
        EXPECT_EQ(stage.resolvePath("/outer/leaf") == leafObject, version < 7);
    }
}

class RecordingSound : public SoundHost {
public:
    void startSound(std::uint16_t soundId, const SoundInfo&, ObjectId) override
    {
        log.push_back("sound " + std::to_string(soundId));
    }
    StreamHandle openStream(const Timeline&, ObjectId) override
    {
        log.push_back("open");
        return ++handles;
    }
    void closeStream(StreamHandle s) override { log.push_back("close " + std::to_string(s)); }
    void startStream(StreamHandle s, int frame) override
    {
        log.push_back("start " + std::to_string(s) + "@" + std::to_string(frame));
    }
    void stopStream(StreamHandle s) override { log.push_back("stop " + std::to_string(s)); }
    std::optional<int> streamFrame(StreamHandle) const override { return std::nullopt; }
    void stopAll() override {}
    std::vector<std::string> log;
    StreamHandle handles = 0;
};

TEST(Stage, SoundTagsReachTheSoundHost)
{
    MovieWriter m;
    const std::vector<std::uint8_t> pcm(200, 0);
    m.defineSound(7, 0x3e, 100, pcm);  // 16-bit mono PCM, 44 kHz
    SpriteTags inner(m.version());
    inner.soundStreamHead(0x3e, 100).soundStreamBlock(pcm).showFrame();
    inner.soundStreamBlock(pcm).showFrame();
    m.sprite(2, inner);
    m.startSound(7).place(2, 1).showFrame();
    m.showFrame();
    m.remove(1).showFrame();

    RecordingSound sound;
    StageHooks hooks;
    hooks.sound = &sound;
    {
        Stage stage(loadMovie(m.build()), hooks);
        // StartSound comes before the place tag in the file, and tags run in file order.
        EXPECT_EQ(sound.log, (std::vector<std::string>{"sound 7", "open", "start 1@0"}));
        sound.log.clear();
        auto* clip = static_cast<MovieClip*>(stage.root().displayList().at(1));
        clip->stop();
        clip->play();
        clip->gotoFrame(0, true);
        clip->gotoFrame(1, false);
        EXPECT_EQ(sound.log, (std::vector<std::string>{"stop 1", "start 1@1", "start 1@0", "stop 1"}));
        sound.log.clear();
        stage.tick();
        stage.tick();
        EXPECT_EQ(sound.log, (std::vector<std::string>{"close 1"}));
    }
}

TEST(Stage, ButtonsShowTheirUpStateAndKeepTheHitArea)
{
    MovieWriter m;
    m.shape(square(1, {255, 0, 0, 255}));
    m.shape(square(2, {0, 255, 0, 255}));
    ButtonDefinition b;
    b.id = 3;
    b.buttonVersion = 2;
    ButtonRecord up;
    up.up = true;
    up.characterId = 1;
    up.depth = 1;
    up.matrix = translate(10, 0);
    ButtonRecord hit;
    hit.hitTest = hit.over = true;
    hit.characterId = 2;
    hit.depth = 2;
    b.records = {up, hit};
    m.button(b);
    m.place(3, 1).showFrame();
    Stage stage(loadMovie(m.build()));
    auto* button = static_cast<ButtonObject*>(stage.root().displayList().at(1));
    ASSERT_TRUE(button);
    ASSERT_EQ(button->kind(), ObjectKind::Button);
    ASSERT_EQ(button->children()->size(), 1u);
    EXPECT_EQ(button->children()->at(1)->characterId(), 1);
    EXPECT_EQ(button->children()->at(1)->matrix(), translate(10, 0));
    EXPECT_TRUE(button->definition().records[1].hitTest);
    button->setState(ButtonObject::State::Over);
    EXPECT_EQ(button->children()->at(2)->characterId(), 2);
    EXPECT_EQ(button->children()->size(), 1u);
}

TEST(Stage, UnknownAndUndisplayableCharactersPlaceNothing)
{
    MovieWriter m;
    const std::vector<std::uint8_t> pcm(20, 0);
    m.defineSound(7, 0x3e, 10, pcm);
    m.place(7, 1).place(99, 2).showFrame();
    Stage stage(loadMovie(m.build()));
    EXPECT_TRUE(stage.root().displayList().empty());
}

TEST(FrameClock, RunsFramesAtTheRateAndDropsALargeBacklog)
{
    FrameClock clock(10);
    EXPECT_EQ(clock.intervalMs(), 100);
    EXPECT_EQ(clock.advance(50), 0);
    EXPECT_EQ(clock.advance(60), 1);
    EXPECT_EQ(clock.advance(290), 3);  // 400 ms in all
    EXPECT_EQ(clock.advance(10000), 1) << "a backlog of 100 frames is dropped";
    EXPECT_EQ(clock.advance(99), 0);
    EXPECT_EQ(FrameClock(0).frameRate(), FrameClock::kZeroRateFallback);
    EXPECT_EQ(FrameClock(1000).frameRate(), FrameClock::kMaxFrameRate);
    EXPECT_EQ(FrameClock(0.5).intervalMs(), 2000);
    EXPECT_EQ(clock.advance(-5), 0);
}

}  // namespace
}  // namespace swf::runtime
