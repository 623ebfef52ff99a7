// Scripts and input through the player's public face: buttons and their state machine, key
// presses, the hand cursor, getURL and fscommand, loading and unloading movies, and the limits
// that stop one script without stopping the movie.

#include <filesystem>
#include <fstream>

#include "assembler.h"  // tests/swf/avm1
#include "player_test_support.h"

namespace swf::test {
namespace {

using avm1::testing::Asm;
namespace Op = avm1::testing::Op;
using Lines = std::vector<std::string>;
using runtime::test::square;
using runtime::test::translate;

constexpr QRgb kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff, kWhite = 0xffffffff;

// Action records of `a` with the End action.
std::vector<std::uint8_t> code(const Asm& a)
{
    return a.doActionBody();
}

Asm traceOf(const std::string& text)
{
    Asm a;
    a.trace(text);
    return a;
}

// A player that records what the movie says.
class ScriptedPlayer {
public:
    ScriptedPlayer()
    {
        player.onTrace([this](const std::string& line) { traces.push_back(line); });
        player.onWarning([this](const std::string& w) { warnings.push_back(w); });
        player.onUrlRequest([this](const std::string& url, const std::string& target) { urls.push_back(url + " " + target); });
        player.onFsCommand([this](const std::string& c, const std::string& args) { commands.push_back(c + " " + args); });
    }
    Lines takeTraces() { return std::exchange(traces, {}); }
    bool warned(const std::string& part) const
    {
        for (const std::string& w : warnings)
            if (w.find(part) != std::string::npos) return true;
        return false;
    }
    QRgb pixelAt(int x, int y) const { return player.render(QSize(550, 400)).pixel(x, y); }

    Player player;
    Lines traces, warnings, urls, commands;
};

// A button of 100 x 100 pixels at (50, 50): red up, green over, blue down, hit area the square.
// Each transition traces its name; the K key traces "key k". The frame then runs `frameCode`.
writer::Bytes buttonMovie(Asm frameCode = {})
{
    using namespace button_condition;
    static const std::vector<std::pair<std::uint16_t, std::string>> kNames = {
        {IdleToOverUp, "rollOver"},           {OverUpToIdle, "rollOut"},      {OverUpToOverDown, "press"},
        {OverDownToOverUp, "release"},        {OverDownToOutDown, "dragOut"}, {OutDownToOverDown, "dragOver"},
        {OutDownToIdle, "releaseOutside"}};
    std::vector<std::vector<std::uint8_t>> codes;  // the definition's spans point here
    for (const auto& [bit, name] : kNames) codes.push_back(code(traceOf(name)));
    codes.push_back(code(traceOf("key k")));

    ButtonDefinition b;
    b.id = 10;
    b.buttonVersion = 2;
    auto record = [](std::uint16_t character, std::uint16_t depth, bool up, bool over, bool down, bool hit) {
        ButtonRecord r;
        r.characterId = character;
        r.depth = depth;
        r.up = up, r.over = over, r.down = down, r.hitTest = hit;
        return r;
    };
    b.records = {record(1, 1, true, false, false, true), record(2, 2, false, true, false, false),
                 record(3, 3, false, false, true, false)};
    for (std::size_t i = 0; i < kNames.size(); ++i) b.actions.push_back({kNames[i].first, 0, codes[i]});
    b.actions.push_back({0, static_cast<std::uint8_t>('k'), codes.back()});

    writer::MovieWriter movie(6);
    movie.shape(square(1, {255, 0, 0, 255}, 2000))
        .shape(square(2, {0, 255, 0, 255}, 2000))
        .shape(square(3, {0, 0, 255, 255}, 2000))
        .button(b);
    PlaceObject place;
    place.placeVersion = 2;
    place.depth = 1;
    place.characterId = 10;
    place.matrix = translate(1000, 1000);
    place.name = "btn";
    movie.place(place);
    frameCode.op(Op::Stop);
    movie.doAction(code(frameCode)).showFrame();
    return movie.build();
}

TEST(Buttons, StateMachineRunsEachTransitionOnceAndShowsItsState)
{
    ScriptedPlayer p;
    load(p.player, buttonMovie());
    EXPECT_PIXEL(p.player.render(QSize(550, 400)), 100, 100, kRed);
    EXPECT_FALSE(p.player.wantsHandCursor());

    p.player.mouseMove({100, 100});
    EXPECT_EQ(p.takeTraces(), Lines{"rollOver"});
    EXPECT_TRUE(p.player.wantsHandCursor());
    EXPECT_TRUE(near(p.pixelAt(100, 100), kGreen));
    p.player.mouseMove({110, 110});  // still over: nothing new
    EXPECT_TRUE(p.takeTraces().empty());

    p.player.mouseDown({110, 110});
    EXPECT_EQ(p.takeTraces(), Lines{"press"});
    EXPECT_TRUE(near(p.pixelAt(100, 100), kBlue));
    p.player.mouseUp({110, 110});
    EXPECT_EQ(p.takeTraces(), Lines{"release"});
    EXPECT_TRUE(near(p.pixelAt(100, 100), kGreen));

    // Pressed, dragged out and back in, then out again and released outside.
    p.player.mouseDown({110, 110});
    p.player.mouseMove({300, 300});
    p.player.mouseMove({120, 120});
    p.player.mouseMove({300, 300});
    p.player.mouseUp({300, 300});
    EXPECT_EQ(p.takeTraces(), (Lines{"press", "dragOut", "dragOver", "dragOut", "releaseOutside"}));
    EXPECT_TRUE(near(p.pixelAt(100, 100), kRed));
    EXPECT_FALSE(p.player.wantsHandCursor());

    p.player.mouseMove({100, 100});
    p.player.mouseMove({400, 100});
    EXPECT_EQ(p.takeTraces(), (Lines{"rollOver", "rollOut"}));
}

TEST(Buttons, KeyPressConditionsAndDisabledButtons)
{
    ScriptedPlayer p;
    load(p.player, buttonMovie());
    p.player.keyDown(75, u'k');
    p.player.keyUp(75, u'k');
    p.player.keyDown(76, u'l');
    EXPECT_EQ(p.takeTraces(), Lines{"key k"});

    // A disabled button takes no mouse events, no key presses and shows no hand.
    Asm disable;
    disable.push({"btn"}).op(Op::GetVariable).push({"enabled", false}).op(Op::SetMember);
    load(p.player, buttonMovie(disable));
    p.player.mouseMove({100, 100});
    p.player.mouseDown({100, 100});
    p.player.mouseUp({100, 100});
    p.player.keyDown(75, u'k');
    EXPECT_TRUE(p.takeTraces().empty());
    EXPECT_FALSE(p.player.wantsHandCursor());
    EXPECT_TRUE(near(p.pixelAt(100, 100), kRed));
}

TEST(GetUrl, OnlyWebAndMailLinksReachTheViewerAndQuitIsACommand)
{
    Asm a;
    a.getUrl("http://example.com/", "_blank");
    a.getUrl("MAILTO:someone@example.com", "");
    a.getUrl("javascript:alert(1)", "");
    a.getUrl("file:///etc/passwd", "_self");
    a.getUrl("FSCommand:quit", "");
    writer::MovieWriter movie(6);
    movie.doAction(code(a)).showFrame();
    ScriptedPlayer p;
    load(p.player, movie.build());
    EXPECT_EQ(p.urls, (Lines{"http://example.com/ _blank", "MAILTO:someone@example.com "}));
    EXPECT_TRUE(p.warned("javascript:alert(1)"));
    EXPECT_TRUE(p.warned("file:///etc/passwd"));
    EXPECT_EQ(p.commands, Lines{"quit "});
}

TEST(Limits, ARunawayScriptStopsAloneWithAReason)
{
    // ScriptLimits: recursion depth 20. The first script recurses without end; the second one
    // of the same frame and the next frame's still run.
    Asm recurse;
    recurse.defineFunction("f", {}, [](Asm& body) { body.callFunction("f").op(Op::Pop); });
    recurse.callFunction("f").op(Op::Pop).trace("not reached");
    writer::ByteWriter limits;
    limits.u16(20);
    limits.u16(5);
    writer::MovieWriter movie(6);
    movie.tag(65, limits.data()).doAction(code(recurse)).doAction(code(traceOf("second"))).showFrame();
    movie.doAction(code(traceOf("frame 2"))).showFrame();
    ScriptedPlayer p;
    load(p.player, movie.build());
    p.player.tick();
    EXPECT_EQ(p.takeTraces(), (Lines{"second", "frame 2"}));
    EXPECT_TRUE(p.warned("recursion limit"));
}

TEST(Limits, TheHostsTimeLimitStopsAnEndlessLoop)
{
    Asm endless;
    Asm::Label top = endless.label();
    endless.bind(top).jump(top);
    writer::MovieWriter movie(6);
    movie.doAction(code(endless)).doAction(code(traceOf("after"))).showFrame();
    ScriptedPlayer p;
    p.player.setScriptTimeLimit(0.2);
    load(p.player, movie.build());
    EXPECT_EQ(p.takeTraces(), Lines{"after"});
    EXPECT_TRUE(p.warned("too long"));
}

class LoadMovieTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("vantoro-loadmovie-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder / "parts");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string write(const std::string& name, const writer::Bytes& bytes)
    {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    // A movie whose first frame runs `a` and traces `name` on every frame.
    static writer::Bytes movieRunning(const Asm& a, const std::string& name, int frames = 1)
    {
        writer::MovieWriter movie(6);
        movie.doAction(code(a));
        for (int i = 0; i < frames; ++i) movie.doAction(code(traceOf(name))).showFrame();
        return movie.build();
    }
    std::filesystem::path folder;
};

TEST_F(LoadMovieTest, LoadMovieNumZeroReplacesTheMovieFromItsFolder)
{
    Asm loader;
    loader.getUrl("parts/second.swf?from=first", "_level0");
    write("parts/second.swf", movieRunning(Asm(), "second", 3));
    ScriptedPlayer p;
    p.player.loadFile(write("first.swf", movieRunning(loader, "first")));
    EXPECT_EQ(p.takeTraces(), Lines{"first"});
    // The first movie finishes its frame; the next tick starts the second one in its place.
    p.player.tick();
    EXPECT_EQ(p.takeTraces(), Lines{"second"});
    EXPECT_EQ(p.player.info().frameCount, 3);
    p.player.tick();
    EXPECT_EQ(p.takeTraces(), Lines{"second"});
}

TEST_F(LoadMovieTest, NetworkEscapesAndBrokenFilesKeepTheMovie)
{
    Asm loader;
    loader.getUrl("http://example.com/x.swf", "_level0");
    loader.getUrl("../outside.swf", "_level0");
    ScriptedPlayer p;
    p.player.loadFile(write("first.swf", movieRunning(loader, "first", 2)));
    EXPECT_TRUE(p.warned("network"));
    EXPECT_TRUE(p.warned("folder"));
    EXPECT_EQ(p.player.info().frameCount, 2);

    Asm broken;
    broken.getUrl("broken.swf", "_level0");
    write("broken.swf", writer::Bytes{'F', 'W', 'S', 6, 1, 0});
    ScriptedPlayer q;
    q.player.loadFile(write("asks.swf", movieRunning(broken, "asks", 2)));
    q.player.tick();
    EXPECT_TRUE(q.player.hasMovie());
    EXPECT_EQ(q.takeTraces(), (Lines{"asks", "asks"}));
    EXPECT_TRUE(q.warned("broken.swf"));
    // A movie from memory has no folder to load from.
    ScriptedPlayer m;
    Asm fromMemory;
    fromMemory.getUrl("first.swf", "_level0");
    load(m.player, movieRunning(fromMemory, "memory"));
    EXPECT_TRUE(m.warned("no folder"));
}

TEST_F(LoadMovieTest, ALevelAboveZeroDrawsOverTheMovieUntilItUnloads)
{
    // The main movie is red where the level's movie, loaded over it, is green; both use id 1.
    writer::MovieWriter top(6);
    top.shape(square(1, {0, 255, 0, 255}, 2000)).place(1, 1).showFrame();
    top.doAction(code(Asm().getUrl("", "_level1"))).showFrame();
    write("top.swf", top.build());
    Asm loader;
    loader.getUrl("top.swf", "_level1").op(Op::Stop);
    writer::MovieWriter first(6);
    first.shape(square(1, {255, 0, 0, 255}, 4000)).place(1, 1).doAction(code(loader)).showFrame();
    ScriptedPlayer p;
    const std::string path = write("first.swf", first.build());
    p.player.loadFile(path);
    EXPECT_TRUE(near(p.pixelAt(50, 50), kRed));
    p.player.tick();
    EXPECT_TRUE(near(p.pixelAt(50, 50), kGreen));
    EXPECT_TRUE(near(p.pixelAt(150, 150), kRed));
    // The level's second frame unloads it.
    p.player.tick();
    EXPECT_TRUE(near(p.pixelAt(50, 50), kRed));
    EXPECT_TRUE(p.warnings.empty());
}

// A square of 100 pixels filled with bitmap `bitmapId` (pixels -> twips, tiled).
ShapeDefinition bitmapSquare(std::uint16_t id, std::uint16_t bitmapId)
{
    ShapeDefinition s = square(id, {0, 0, 0, 255}, 2000);
    s.shape.fills[0].kind = FillStyle::Kind::Bitmap;
    s.shape.fills[0].bitmapId = bitmapId;
    s.shape.fills[0].matrix = Matrix{20, 0, 0, 20, 0, 0};
    return s;
}

writer::Image plain(std::uint32_t argb)
{
    writer::Image image;
    image.width = image.height = 8;
    image.argb.assign(64, argb);
    return image;
}

TEST_F(LoadMovieTest, ALoadedMoviesBitmapFillsUseItsOwnBitmaps)
{
    // Both movies fill shape 2 with their bitmap 1: red in the main movie, green in the loaded one.
    writer::MovieWriter child(8);
    child.losslessBitmap(1, plain(0xff00ff00)).shape(bitmapSquare(2, 1)).place(2, 1).showFrame();
    write("child.swf", child.build());
    writer::SpriteTags inner(8);
    inner.place(2, 1).showFrame();
    writer::MovieWriter parent(8);
    parent.losslessBitmap(1, plain(0xffff0000)).shape(bitmapSquare(2, 1)).sprite(3, inner);
    parent.place(2, 1);
    PlaceObject holder;
    holder.placeVersion = 2;
    holder.depth = 2;
    holder.characterId = 3;
    holder.name = "holder";
    holder.matrix = translate(3000, 0);
    parent.place(holder);
    Asm load;
    load.push({"child.swf", "holder"}).getUrl2(0x40).op(Op::Stop);
    parent.doAction(code(load)).showFrame();
    ScriptedPlayer p;
    p.player.loadFile(write("parent.swf", parent.build()));
    EXPECT_TRUE(near(p.pixelAt(50, 50), kRed));
    EXPECT_TRUE(near(p.pixelAt(200, 50), kRed));
    p.player.tick();
    EXPECT_TRUE(near(p.pixelAt(50, 50), kRed));
    EXPECT_TRUE(near(p.pixelAt(200, 50), kGreen)) << std::hex << p.pixelAt(200, 50);
}

TEST_F(LoadMovieTest, UnloadMovieEmptiesAClipButKeepsIt)
{
    // A clip showing a red square; the second frame unloads it and traces what is left.
    writer::SpriteTags inner(6);
    inner.place(1, 1).showFrame().showFrame();
    Asm unload;
    unload.push({"clip"}).op(Op::GetVariable).push({"unloadMovie"}).op(Op::CallMethod).op(Op::Pop);
    unload.push({"clip"}).op(Op::GetVariable).push({"_totalframes"}).op(Op::GetMember).op(Op::Trace);
    unload.push({"clip"}).op(Op::GetVariable).op(Op::TargetPath).op(Op::Trace);
    Asm stop;
    stop.op(Op::Stop);
    writer::MovieWriter movie(6);
    movie.shape(square(1, {255, 0, 0, 255}, 2000)).sprite(2, inner);
    PlaceObject place;
    place.placeVersion = 2;
    place.depth = 1;
    place.characterId = 2;
    place.name = "clip";
    movie.place(place).showFrame();
    movie.doAction(code(unload)).doAction(code(stop)).showFrame();
    ScriptedPlayer p;
    load(p.player, movie.build());
    EXPECT_TRUE(near(p.pixelAt(50, 50), kRed));
    p.player.tick();
    EXPECT_EQ(p.takeTraces(), (Lines{"1", "_level0.clip"}));
    EXPECT_TRUE(near(p.pixelAt(50, 50), kWhite));
}

}  // namespace
}  // namespace swf::test
