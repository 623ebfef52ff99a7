// Movies loaded into clips and levels above 0 (loadMovie, loadMovieNum, unloadMovie) on a stage
// with its script engine: what the target keeps and loses, where character ids are looked up,
// the limits on loaded movies, and files that cannot be loaded.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "assembler.h"  // tests/swf/avm1
#include "runtime_test_support.h"
#include "scripted_stage_test.h"
#include "swf/avm1/string.h"
#include "swf/format/limits.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/loaded_movies.h"
#include "swf/runtime/script_engine.h"

namespace swf::runtime {
namespace {

using avm1::testing::Asm;
namespace Op = avm1::testing::Op;
using test::square;
using test::translate;
using Lines = std::vector<std::string>;

std::vector<std::uint8_t> code(const Asm& a)
{
    return a.doActionBody();
}

// loadMovie(url, target) as the GetURL2 action with the load-into-target flag.
Asm& loadInto(Asm& a, const std::string& url, const std::string& target)
{
    return a.push({url, target}).getUrl2(0x40);
}

PlaceObject named(std::uint16_t characterId, std::uint16_t depth, const std::string& name, Matrix m = {})
{
    PlaceObject p = test::placeTag(depth, characterId, false);
    p.name = name;
    p.matrix = m;
    return p;
}

class LoadMovie : public test::ScriptedStageTest {
protected:
    LoadMovie() : ScriptedStageTest("vantoro-runtime-load-") {}

    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) { folder.write(name, bytes); }
    std::string read(const std::string& path)
    {
        const avm1::Value v = engine->vm().getVariable(engine->scriptObjectOf(stage->root()), avm1::String::fromUtf8(path));
        return v.isUndefined() ? "undefined" : engine->vm().toString(v).toUtf8();
    }
    MovieClip& holder() { return static_cast<MovieClip&>(*stage->root().childByName("holder")); }

    // A movie with a sprite (id 2: a red square, id 1) placed as "holder" at depth 1, moved and
    // tinted; its first frame gives the holder a variable and runs `script`, then it stops.
    std::vector<std::uint8_t> parentMovie(const Asm& script, int version = 7)
    {
        writer::SpriteTags inner(version);
        inner.place(1, 1).showFrame();
        writer::MovieWriter m(version);
        m.shape(square(1, {255, 0, 0, 255}, 200)).sprite(2, inner);
        PlaceObject p = named(2, 1, "holder", translate(300, 100));
        p.colorTransform = ColorTransform{};
        p.colorTransform->aMult = 0.5;
        m.place(p);
        Asm setup;
        setup.push({"holder"}).op(Op::GetVariable).push({"foo", "old"}).op(Op::SetMember);
        m.doAction(code(setup)).doAction(code(script)).doAction(code(Asm().op(Op::Stop))).showFrame();
        m.showFrame();
        return m.build();
    }

};

// A movie of three frames whose character 1 is a blue square of 800 twips (the parent's id 1 is
// a red one of 200), with sprite 2 (holding that square) exported as "thing".
std::vector<std::uint8_t> childMovie(const Asm& firstFrame, int version = 7)
{
    writer::SpriteTags inner(version);
    inner.place(1, 1).showFrame();
    writer::MovieWriter m(version);
    m.shape(square(1, {0, 0, 255, 255}, 800)).sprite(2, inner).exportAssets({{2, "thing"}});
    m.place(1, 5).doAction(code(firstFrame)).showFrame().showFrame().showFrame();
    return m.build();
}

TEST_F(LoadMovie, IntoAClipKeepsThePlacementAndTakesTheLoadedContentOnTheNextFrame)
{
    write("child.swf", childMovie(Asm().trace("child runs")));
    Asm load;
    loadInto(load, "child.swf", "holder");
    start(parentMovie(load));
    // Nothing changes within the frame that asked.
    ASSERT_NE(holder().displayList().at(1), nullptr);
    EXPECT_EQ(read("holder.foo"), "old");
    EXPECT_TRUE(traces.empty());

    const ObjectId id = holder().id();
    stage->tick();
    MovieClip& clip = holder();
    EXPECT_EQ(clip.id(), id);
    EXPECT_EQ(clip.depth(), 1);
    EXPECT_EQ(clip.matrix().tx, 300);
    EXPECT_EQ(clip.colorTransform().aMult, 0.5);
    EXPECT_EQ(clip.displayList().at(1), nullptr);
    ASSERT_NE(clip.displayList().at(5), nullptr);
    EXPECT_NE(&clip.movie(), &stage->movie());
    EXPECT_EQ(traces, Lines{"child runs"});
    // Variables of the old content are gone; the frames and _url are the loaded movie's.
    EXPECT_EQ(read("holder.foo"), "undefined");
    EXPECT_EQ(read("holder._totalframes"), "3");
    EXPECT_EQ(read("holder._url"), "file:///child.swf");
    EXPECT_EQ(read("holder._currentframe"), "1");
    stage->tick();
    EXPECT_EQ(read("holder._currentframe"), "2");
    // _root inside the loaded movie is still the level's root.
    EXPECT_EQ(engine->vm().targetPathOf(engine->vm().rootOf(engine->scriptObjectOf(clip)), false).toUtf8(), "_level0");
}

TEST_F(LoadMovie, CharacterIdsAreLookedUpInTheMovieTheObjectComesFrom)
{
    // The loaded movie attaches its own sprite 2; both movies have ids 1 and 2.
    Asm attach;
    attach.callMethod([](Asm& a) { a.push({"this"}).op(Op::GetVariable); }, "attachMovie", {"thing", "t", 10});
    attach.op(Op::Pop);
    write("child.swf", childMovie(attach));
    Asm load;
    loadInto(load, "child.swf", "holder");
    start(parentMovie(load));
    stage->tick();
    MovieClip& clip = holder();
    const Movie& child = clip.movie();
    auto* placed = dynamic_cast<ShapeObject*>(clip.displayList().at(5));
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(&placed->definition(), child.shape(1));
    EXPECT_EQ(placed->definition().bounds.xMax, 800);
    auto* attached = dynamic_cast<MovieClip*>(clip.childByName("t"));
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(&attached->movie(), &child);
    auto* inner = dynamic_cast<ShapeObject*>(attached->displayList().at(1));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(&inner->definition(), child.shape(1));
    // The parent's own definitions are untouched.
    EXPECT_EQ(stage->movie().shape(1)->bounds.xMax, 200);
}

TEST_F(LoadMovie, AMovieClipLoaderHearsEachStepThroughItsBroadcastMessage)
{
    write("child.swf", childMovie(Asm().trace("child runs")));
    // loader.broadcastMessage is replaced: the player calls it, so every event shows.
    Asm script;
    script.push({"loader"}).push({0, "MovieClipLoader"}).op(Op::NewObject).op(Op::SetVariable);
    script.get("loader").push({"broadcastMessage"});
    script.defineFunction("", {"event", "target"}, [](Asm& f) {
        f.get("event").push({" "}).op(Op::Add2).get("target").op(Op::TargetPath).op(Op::Add2).op(Op::Trace);
    });
    script.op(Op::SetMember);
    script.callMethod([](Asm& a) { a.get("loader"); }, "loadClip", {"child.swf", "holder"}).op(Op::Trace);
    script.callMethod([](Asm& a) { a.get("loader"); }, "loadClip", {"none.swf", "holder"}).op(Op::Pop);
    script.callMethod([](Asm& a) { a.get("loader"); }, "loadClip", {"http://example.com/a.swf", "holder"}).op(Op::Pop);
    const std::vector<std::uint8_t> bytes = parentMovie(script);
    start(bytes);
    // Failures are told before the frame ends; the target stays.
    EXPECT_EQ(traces, (Lines{"true", "onLoadError _level0.holder", "onLoadError _level0.holder"}));
    traces.clear();
    stage->tick();
    EXPECT_EQ(traces, (Lines{"onLoadStart _level0.holder", "onLoadProgress _level0.holder",
                             "onLoadComplete _level0.holder", "child runs", "onLoadInit _level0.holder"}));
}

TEST_F(LoadMovie, InitActionsRunOncePerSpriteOfEachMovie)
{
    // Both movies have init actions for their sprite 2; the child's run on the child's root.
    writer::SpriteTags inner(7);
    inner.place(1, 1).showFrame();
    writer::MovieWriter child(7);
    child.shape(square(1, {0, 0, 255, 255})).sprite(2, inner);
    Asm init;
    init.trace("child init");
    init.push({"this"}).op(Op::GetVariable).op(Op::TargetPath).op(Op::Trace);
    child.doInitAction(2, code(init)).doInitAction(2, code(Asm().trace("again"))).showFrame();
    write("child.swf", child.build());
    Asm load;
    loadInto(load, "child.swf", "holder");
    writer::SpriteTags parentInner(7);
    parentInner.place(1, 1).showFrame();
    writer::MovieWriter parent(7);
    parent.shape(square(1, {255, 0, 0, 255})).sprite(2, parentInner);
    parent.doInitAction(2, code(Asm().trace("parent init"))).place(named(2, 1, "holder"));
    parent.doAction(code(load)).doAction(code(Asm().op(Op::Stop))).showFrame();
    start(parent.build());
    stage->tick();
    EXPECT_EQ(traces, (Lines{"parent init", "child init", "_level0.holder"}));
}

TEST_F(LoadMovie, TheLoadedMoviesVersionGovernsItsScripts)
{
    // Names are case-insensitive in a SWF 6 movie even when the parent is SWF 7.
    Asm caseBlind;
    caseBlind.set("Value", "six");
    caseBlind.traceVar("value");
    write("old.swf", childMovie(caseBlind, 6));
    Asm load;
    loadInto(load, "old.swf", "holder");
    load.set("Value", "seven");
    load.traceVar("value");
    start(parentMovie(load, 7));
    stage->tick();
    EXPECT_EQ(traces, (Lines{"undefined", "six"}));
}

TEST_F(LoadMovie, LevelsAboveZeroLoadOnTopAndUnload)
{
    write("level.swf", childMovie(Asm().trace("level runs")));
    Asm load;
    load.getUrl("level.swf", "_level3");
    start(parentMovie(load));
    EXPECT_EQ(stage->level(3), nullptr);
    stage->tick();
    MovieClip* level = stage->level(3);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(traces, Lines{"level runs"});
    EXPECT_EQ(stage->levelRoots(), (std::vector<MovieClip*>{&stage->root(), level}));
    EXPECT_EQ(level->path(), "_level3");
    EXPECT_EQ(read("_level3._totalframes"), "3");
    EXPECT_EQ(stage->resolvePath("_level3"), level);
    // Scripts of the level see their own level as _root.
    EXPECT_EQ(engine->vm().targetPathOf(engine->vm().rootOf(engine->scriptObjectOf(*level)), false).toUtf8(),
              "_level3");

    Asm unload;
    unload.getUrl("", "_level3");
    engine->runActions(code(unload), stage->root());
    stage->runQueuedScripts();
    EXPECT_EQ(stage->level(3), nullptr);
    EXPECT_EQ(read("_level3"), "undefined");
    stage->tick();
    EXPECT_EQ(stage->levelRoots().size(), 1u);
}

TEST_F(LoadMovie, UnloadMovieOnAClipEmptiesItAndTellsItsUnload)
{
    write("child.swf", childMovie(Asm()));
    Asm load;
    loadInto(load, "child.swf", "holder");
    start(parentMovie(load));
    stage->tick();
    Asm unload;
    unload.push({"holder"}).op(Op::GetVariable).push({"onUnload"});
    unload.defineFunction("", {}, [](Asm& f) { f.trace("unloaded"); });
    unload.op(Op::SetMember);
    unload.push({"", "holder"}).getUrl2(0x40);
    // The function defined here runs from these bytes later: they must outlive the call.
    const std::vector<std::uint8_t> bytes = code(unload);
    engine->runActions(bytes, stage->root());
    stage->runQueuedScripts();
    EXPECT_EQ(traces, Lines{"unloaded"});
    EXPECT_TRUE(holder().displayList().empty());
    EXPECT_EQ(holder().frameCount(), 1);
}

TEST_F(LoadMovie, MissingOrBrokenFilesLeaveTheClipAsItWas)
{
    write("broken.swf", {'F', 'W', 'S', 7, 200, 0, 0, 0, 1, 2, 3});
    Asm load;
    loadInto(load, "missing.swf", "holder");
    start(parentMovie(load));
    Asm broken;
    loadInto(broken, "broken.swf", "holder");
    engine->runActions(code(broken), stage->root());
    stage->tick();
    stage->tick();
    EXPECT_TRUE(warned("missing.swf"));
    EXPECT_TRUE(warned("broken.swf"));
    EXPECT_EQ(read("holder.foo"), "old");
    EXPECT_EQ(&holder().movie(), &stage->movie());
    ASSERT_NE(holder().displayList().at(1), nullptr);
    EXPECT_EQ(read("holder._url"), "file:///movie.swf");
}

TEST_F(LoadMovie, AnImageLoadsAsAMovieShowingThePicture)
{
    writer::Image image;
    image.width = 40;
    image.height = 30;
    image.argb.assign(40 * 30, 0xff0000ffu);
    write("photo.jpg", writer::encodeJpeg(image));
    write("cut.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
    Asm load;
    loadInto(load, "photo.jpg", "holder");
    load.getUrl("cut.png", "_level2");
    start(parentMovie(load));
    stage->tick();
    MovieClip& clip = holder();
    auto* bitmap = dynamic_cast<BitmapObject*>(clip.displayList().at(1));
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bitmap->bitmap(), nullptr);
    EXPECT_EQ(bitmap->bitmap()->width, 40);
    EXPECT_EQ(bitmap->bitmap()->height, 30);
    EXPECT_EQ(clip.matrix().tx, 300);
    EXPECT_EQ(read("holder._url"), "file:///photo.jpg");
    // A damaged image loads nothing.
    EXPECT_EQ(stage->level(2), nullptr);
    EXPECT_TRUE(warned("cut.png"));
}

TEST(LoadedMovies, RefusesPastTheCountAndReleasesWhatNothingShows)
{
    writer::MovieWriter m(7);
    m.shape(square(1, {0, 0, 255, 255})).place(1, 1).showFrame();
    const std::vector<std::uint8_t> bytes = m.build();
    int released = 0;
    LoadedMovies movies([&] { ++released; });
    std::vector<std::shared_ptr<const Movie>> shown;
    for (std::size_t i = 0; i < limits::kMaxLoadedMovies; ++i) {
        LoadedMovies::Result r = movies.load(bytes, "m.swf");
        ASSERT_NE(r.movie, nullptr) << r.error;
        shown.push_back(r.movie);
    }
    LoadedMovies::Result refused = movies.load(bytes, "over.swf");
    EXPECT_EQ(refused.movie, nullptr);
    EXPECT_NE(refused.error.find("at once"), std::string::npos);
    EXPECT_EQ(released, 0);
    // Once nothing shows one of them, its place is free again, and caches hear of it.
    shown.pop_back();
    EXPECT_NE(movies.load(bytes, "again.swf").movie, nullptr);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(movies.count(), limits::kMaxLoadedMovies);
    EXPECT_NE(movies.load({}, "empty.swf").error.find("empty.swf"), std::string::npos);
}

TEST(LoadedMovies, FootprintCountsTheFileAndDecodedBitmaps)
{
    writer::MovieWriter m(8);
    writer::Image image;
    image.width = 64;
    image.height = 32;
    image.argb.assign(64 * 32, 0xff00ff00u);
    m.losslessBitmap(1, image).showFrame();
    auto movie = test::loadMovie(m.build());
    EXPECT_GE(LoadedMovies::footprint(*movie), movie->data().size() + 64 * 32 * 4);
}

}  // namespace
}  // namespace swf::runtime
