// Loading whole movies: dictionary, timelines, labels, sprites, facts, and the rules for
// duplicate, missing and nested definitions.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/movie/movie.h"

namespace swf {
namespace {

using writer::ByteWriter;
using writer::MovieWriter;
using writer::SpriteTags;

ShapeDefinition square(std::uint16_t id, Rgba color)
{
    ShapeDefinition s;
    s.id = id;
    s.shapeVersion = 3;
    s.bounds = {0, 200, 0, 200};
    s.edgeBounds = s.bounds;
    FillStyle f;
    f.color = color;
    s.shape.fills = {f};
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = true;
    sc.fill0 = 1;
    s.shape.records = {sc, StraightEdge{{200, 0}}, StraightEdge{{200, 200}}, StraightEdge{{0, 200}},
                       StraightEdge{{0, 0}}};
    return s;
}

std::shared_ptr<const Movie> load(const std::vector<std::uint8_t>& bytes)
{
    MovieLoadResult r = Movie::load(bytes);
    if (!r) ADD_FAILURE() << r.error().message;
    return r ? r.movie() : nullptr;
}

TEST(MovieLoad, FactsFramesLabelsAndControlTags)
{
    MovieWriter m(7, {0, 8000, 0, 6000}, 24);
    m.setBackground({10, 20, 30, 255});
    m.shape(square(1, {255, 0, 0, 255}));
    m.place(1, 1);
    m.label("start");
    std::vector<std::uint8_t> stop = {0x07, 0x00};
    m.doAction(stop);
    m.showFrame();
    PlaceObject move;
    move.placeVersion = 2;
    move.depth = 1;
    move.move = true;
    move.matrix = Matrix{1, 0, 0, 1, 100, 0};
    m.place(move);
    m.showFrame();
    m.remove(1);
    m.label("End", true);
    m.showFrame();
    ByteWriter limits;
    limits.u16(1000);
    limits.u16(5);
    m.tag(65, limits.data());
    for (auto c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        auto movie = load(m.build(c, 3));
        ASSERT_TRUE(movie);
        const MovieFacts& f = movie->facts();
        EXPECT_EQ(f.version, 7);
        EXPECT_EQ(f.compression, c);
        EXPECT_EQ(f.widthPx(), 400);
        EXPECT_EQ(f.heightPx(), 300);
        EXPECT_EQ(f.frameRate, 24);
        EXPECT_EQ(f.background, (Rgba{10, 20, 30, 255}));
        ASSERT_TRUE(f.scriptLimits);
        EXPECT_EQ(f.scriptLimits->maxRecursionDepth, 1000);
        EXPECT_FALSE(f.truncated);
        EXPECT_TRUE(movie->warnings().empty()) << movie->warnings().front();

        const Timeline& t = movie->timeline();
        ASSERT_EQ(t.frameCount(), 3u);
        auto f1 = t.frameTags(0);
        ASSERT_EQ(f1.size(), 3u);  // background, place, action
        EXPECT_TRUE(std::holds_alternative<SetBackgroundColor>(f1[0]));
        EXPECT_EQ(std::get<PlaceObject>(f1[1]).characterId, 1);
        EXPECT_EQ(std::get<DoAction>(f1[2]).actions.size(), 2u);
        EXPECT_TRUE(std::get<PlaceObject>(t.frameTags(1)[0]).isModify());
        EXPECT_EQ(std::get<RemoveObject>(t.frameTags(2)[0]).depth, 1);
        EXPECT_TRUE(t.frameTags(3).empty());
        EXPECT_EQ(t.findLabel("START"), 0u);
        EXPECT_EQ(t.findLabel("end"), 2u);
        EXPECT_TRUE(t.labels()[1].namedAnchor);
        EXPECT_FALSE(t.findLabel("nothing"));
        EXPECT_TRUE(t.hasEndTag());
        EXPECT_TRUE(t.lastFrameClosed());
        ASSERT_TRUE(movie->shape(1));
        EXPECT_EQ(movie->shape(1)->shape.fills[0].color.r, 255);
        EXPECT_FALSE(movie->sprite(1));
    }
}

TEST(MovieLoad, SpritesHaveTheirOwnTimelinesAndNestedSpritesAreIgnored)
{
    MovieWriter m(6);
    m.shape(square(1, {0, 255, 0, 255}));
    SpriteTags inner(6);
    inner.place(1, 1).showFrame().showFrame();
    SpriteTags outer(6);
    outer.place(1, 1).label("a").showFrame();
    outer.sprite(3, inner);  // a sprite inside a sprite
    outer.remove(1).showFrame();
    m.sprite(2, outer);
    m.place(2, 1).showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    const SpriteDefinition* s = movie->sprite(2);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->declaredFrameCount, 2);
    EXPECT_EQ(s->timeline.frameCount(), 2u);
    EXPECT_EQ(s->timeline.findLabel("a"), 0u);
    EXPECT_EQ(std::get<RemoveObject>(s->timeline.frameTags(1)[0]).depth, 1);
    EXPECT_FALSE(movie->character(3));
    EXPECT_FALSE(movie->warnings().empty());
}

TEST(MovieLoad, TrailingTagsFormALastFrameAndEmptyTimelinesHaveOne)
{
    MovieWriter m(5);
    SpriteTags trailing(5);
    std::vector<std::uint8_t> action = {0x06, 0x00};
    trailing.doAction(action).showFrame().doAction(action);
    m.sprite(1, trailing);
    SpriteTags empty(5);
    m.sprite(2, empty);
    m.showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    const Timeline& t = movie->sprite(1)->timeline;
    ASSERT_EQ(t.frameCount(), 2u);
    EXPECT_FALSE(t.lastFrameClosed());
    EXPECT_EQ(t.frameTags(1).size(), 1u);
    EXPECT_EQ(movie->sprite(2)->timeline.frameCount(), 1u);
}

TEST(MovieLoad, DuplicateIdsKeepTheFirstAndMissingReferencesAreTolerated)
{
    MovieWriter m(8);
    m.shape(square(1, {1, 0, 0, 255}));
    m.shape(square(1, {2, 0, 0, 255}));
    m.place(99, 1);  // no such character
    ShapeDefinition withBitmap = square(4, {});
    withBitmap.shape.fills[0].kind = FillStyle::Kind::Bitmap;
    withBitmap.shape.fills[0].bitmapId = 0xffff;
    m.shape(withBitmap);
    m.showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->shape(1)->shape.fills[0].color.r, 1);
    EXPECT_TRUE(movie->shape(4));
    EXPECT_FALSE(movie->character(99));
    EXPECT_EQ(std::get<PlaceObject>(movie->timeline().frameTags(0)[0]).characterId, 99);
}

TEST(MovieLoad, ActionScript3MoviesAreRefusedClearly)
{
    MovieWriter as3(9);
    std::uint8_t attributes[] = {0x08, 0, 0, 0};
    as3.tag(69, attributes).showFrame();
    MovieLoadResult r = Movie::load(as3.build());
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, MovieLoadError::Kind::Unsupported);
    EXPECT_NE(r.error().message.find("ActionScript 3"), std::string::npos);

    MovieWriter abc(9);
    std::uint8_t doAbc[] = {1, 0, 0, 0, 0, 0x10, 0x00};
    abc.tag(82, doAbc).showFrame();
    EXPECT_EQ(Movie::load(abc.build()).error().kind, MovieLoadError::Kind::Unsupported);

    // The flag means nothing before SWF 9.
    MovieWriter old(8);
    old.tag(69, attributes).showFrame();
    EXPECT_TRUE(Movie::load(old.build()));
}

TEST(MovieLoad, FontInfoButtonCxformAndSoundsAttachToTheirCharacters)
{
    MovieWriter m(5);
    FontDefinition font;
    font.id = 1;
    font.glyphs = {{}, {}};
    m.tag(10, writer::fontBody(font));
    m.tag(13, writer::fontInfoBody(1, "Times", {'a', 'b'}, false));
    ByteWriter button;
    button.u16(2);
    button.u8(0x0f);
    button.u16(1);
    button.u16(1);
    button.matrix({});
    button.u8(0);
    button.u8(0);
    m.tag(7, button.data());
    ByteWriter cx;
    cx.u16(2);
    cx.colorTransform({1, 1, 1, 1, 50, 0, 0, 0}, false);
    m.tag(23, cx.data());
    std::vector<std::uint8_t> pcm(100, 128);
    m.tag(14, writer::defineSoundBody(3, 0x30, 100, pcm));
    ByteWriter bsound;
    bsound.u16(2);
    bsound.u16(0);
    bsound.u16(3);
    bsound.u8(0);
    m.tag(17, bsound.data());
    ByteWriter exports;
    exports.u16(2);
    exports.u16(3);
    exports.string("beep");
    exports.u16(2);
    exports.string("btn");
    m.tag(56, exports.data());
    m.showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    const FontDefinition* f = movie->font(1);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name, "Times");
    EXPECT_EQ(f->codes, (std::vector<char16_t>{u'a', u'b'}));
    const ButtonDefinition* b = movie->button(2);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->records[0].colorTransform.rAdd, 50);
    ASSERT_TRUE(b->sounds[1]);
    EXPECT_EQ(b->sounds[1]->soundId, 3);
    const SoundDefinition* s = movie->sound(3);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->data.size(), 100u);
    EXPECT_EQ(movie->exportedCharacter("beep"), 3);
    EXPECT_EQ(movie->exportedCharacter("btn"), 2);
    EXPECT_FALSE(movie->exportedCharacter("nothing"));
}

TEST(MovieLoad, Swf5StringsAreDecodedFromGbk)
{
    MovieWriter m(5);
    m.label("\xb2\xe2\xca\xd4");  // 测试 in GBK
    m.showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->timeline().labels()[0].name, "\xe6\xb5\x8b\xe8\xaf\x95");
}

}  // namespace
}  // namespace swf

namespace swf {
namespace {

TEST(MovieLoad, SoundsStreamsInitActionsAndAttributes)
{
    writer::MovieWriter m(8);
    m.fileAttributes(0x11);
    std::vector<std::uint8_t> pcm(200, 0);
    m.defineSound(1, 0x3a, 100, pcm);  // PCM LE, 22 kHz, 16-bit, mono
    writer::SpriteTags clip(8);
    clip.soundStreamHead(0x2e, 1152, -4).soundStreamBlock(pcm).showFrame();
    m.sprite(2, clip);
    std::vector<std::uint8_t> init = {0x06, 0x00};
    m.doInitAction(2, init);
    SoundInfo info;
    info.loopCount = 2;
    m.startSound(1, info);
    m.soundStreamHead(0x3a, 735).soundStreamBlock(pcm).showFrame();
    m.soundStreamBlock(pcm).showFrame();
    m.exportAssets({{1, "snd"}, {2, "clip"}, {1, "snd2"}});
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    ASSERT_TRUE(movie->facts().fileAttributes);
    EXPECT_TRUE(movie->facts().fileAttributes->useNetwork);
    EXPECT_TRUE(movie->facts().fileAttributes->hasMetadata);
    EXPECT_EQ(movie->sound(1)->format.sampleRate(), 22050);

    const Timeline& t = movie->timeline();
    ASSERT_TRUE(t.streamHead());
    EXPECT_EQ(t.streamHead()->sampleCountPerBlock, 735);
    auto f1 = t.frameTags(0);
    ASSERT_EQ(f1.size(), 4u);  // init action, start sound, head, block
    EXPECT_EQ(std::get<DoInitAction>(f1[0]).spriteId, 2);
    EXPECT_EQ(std::get<StartSound>(f1[1]).info.loopCount, 2);
    EXPECT_EQ(std::get<SoundStreamBlock>(f1[3]).data.size(), 200u);
    EXPECT_EQ(std::get<SoundStreamBlock>(t.frameTags(1)[0]).data.size(), 200u);

    const Timeline& clipTimeline = movie->sprite(2)->timeline;
    ASSERT_TRUE(clipTimeline.streamHead());
    EXPECT_EQ(clipTimeline.streamHead()->stream.coding, 2);
    EXPECT_EQ(clipTimeline.streamHead()->latencySeek, -4);
    EXPECT_EQ(movie->exportedCharacter("clip"), 2);
    EXPECT_EQ(movie->exports().size(), 3u);
}

TEST(MovieLoad, TextFontsButtonsAndBitmapsFromTheWriter)
{
    writer::MovieWriter m(8);
    FontDefinition font;
    font.id = 1;
    font.fontVersion = 3;
    font.name = "Sans";
    font.glyphs = {{}};
    font.codes = {u'a'};
    m.font(font);
    StaticTextDefinition text;
    text.id = 2;
    text.textVersion = 1;
    TextRecord rec;
    rec.fontId = 1;
    rec.height = 200;
    rec.color = Rgba{255, 0, 0, 255};
    rec.glyphs = {{0, 120}};
    text.records = {rec};
    m.text(text);
    EditTextDefinition edit;
    edit.id = 3;
    edit.initialText = "hello";
    m.editText(edit);
    ButtonDefinition button;
    button.id = 4;
    ButtonRecord br;
    br.up = true;
    br.characterId = 2;
    button.records = {br};
    m.button(button);
    writer::Image image{2, 2, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0x80ffffffu}};
    m.losslessBitmap(5, image, 2).jpegBitmap(6, image, 3).showFrame();
    auto movie = load(m.build());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->font(1)->emSquare, 20480);
    EXPECT_EQ(movie->staticText(2)->records[0].color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(movie->editText(3)->initialText, "hello");
    EXPECT_EQ(movie->button(4)->records[0].characterId, 2);
    ASSERT_TRUE(movie->bitmap(5));
    EXPECT_EQ(movie->bitmap(5)->pixels[3], 0x80808080u);
    ASSERT_TRUE(movie->bitmap(6));
    EXPECT_EQ(movie->bitmap(6)->pixels[3] >> 24, 0x80u);
}

}  // namespace
}  // namespace swf
