// PlaceObject 1-3 with clip actions, filters and blend modes.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/display_tags.h"

namespace swf {
namespace {

using writer::ByteWriter;

TEST(PlaceObject, Version1WithAndWithoutColorTransform)
{
    TextDecoder text(1);
    PlaceObject p;
    p.placeVersion = 1;
    p.characterId = 3;
    p.depth = 7;
    p.matrix = Matrix{2, 0, 0, 2, 100, -50};
    PlaceObject got = decodePlaceObject(ByteReader(writer::placeObjectBody(p, 1)), 1, 1, text);
    EXPECT_TRUE(got.isPlace());
    EXPECT_EQ(got.matrix, p.matrix);
    EXPECT_FALSE(got.colorTransform);

    p.colorTransform = ColorTransform{0.5, 1, 1, 1, 10, 0, 0, 0};
    got = decodePlaceObject(ByteReader(writer::placeObjectBody(p, 1)), 1, 1, text);
    ASSERT_TRUE(got.colorTransform);
    EXPECT_EQ(got.colorTransform->rMult, 0.5);
    EXPECT_EQ(got.colorTransform->rAdd, 10);
}

TEST(PlaceObject, Version2ModifyAndReplaceWithEveryField)
{
    TextDecoder text(6);
    PlaceObject p;
    p.placeVersion = 2;
    p.move = true;
    p.depth = 3;
    p.characterId = 9;
    p.matrix = Matrix{1, 0.5, -0.5, 1, 20, 40};
    p.colorTransform = ColorTransform{1, 1, 1, 0.5, 0, 0, 0, -10};
    p.ratio = 32768;
    p.name = "clip";
    p.clipDepth = 10;
    PlaceObject got = decodePlaceObject(ByteReader(writer::placeObjectBody(p, 6)), 2, 6, text);
    EXPECT_TRUE(got.isReplace());
    EXPECT_EQ(got.matrix, p.matrix);
    EXPECT_EQ(got.colorTransform, p.colorTransform);
    EXPECT_EQ(got.ratio, 32768);
    EXPECT_EQ(got.name, "clip");
    EXPECT_EQ(got.clipDepth, 10);

    p.characterId.reset();
    got = decodePlaceObject(ByteReader(writer::placeObjectBody(p, 6)), 2, 6, text);
    EXPECT_TRUE(got.isModify());
}

TEST(PlaceObject, ClipEventFlagsAreTwoBytesUpToSwf5AndFourAfter)
{
    std::vector<std::uint8_t> code = {0x07, 0x00};  // Play, End
    for (int version : {5, 6}) {
        TextDecoder text(version);
        PlaceObject p;
        p.placeVersion = 2;
        p.depth = 1;
        p.characterId = 2;
        p.hasClipActions = true;
        p.allClipEvents = clip_event::Load | clip_event::EnterFrame | (version >= 6 ? clip_event::KeyPress : 0);
        p.clipActions.push_back({clip_event::Load | clip_event::EnterFrame, 0, code});
        if (version >= 6) p.clipActions.push_back({clip_event::KeyPress, 32, code});
        auto body = writer::placeObjectBody(p, version);
        PlaceObject got = decodePlaceObject(ByteReader(body), 2, version, text);
        ASSERT_EQ(got.clipActions.size(), p.clipActions.size()) << "version " << version;
        EXPECT_EQ(got.clipActions[0].events, clip_event::Load | clip_event::EnterFrame);
        EXPECT_EQ(std::vector<std::uint8_t>(got.clipActions[0].actions.begin(), got.clipActions[0].actions.end()), code);
        if (version >= 6) {
            EXPECT_EQ(got.clipActions[1].keyCode, 32);  // the key code is inside the record size
            EXPECT_EQ(got.clipActions[1].actions.size(), code.size());
        }
    }
}

TEST(PlaceObject, ShortEndFlagAndOversizedRecordsEndTheClipActions)
{
    TextDecoder text(6);
    ByteWriter w;
    w.u8(0x82);
    w.u16(1);
    w.u16(2);
    w.u16(0);
    w.u32(1);
    w.u32(clip_event::Load);
    w.u32(2);
    w.u8(0x06);
    w.u8(0x00);
    w.u16(0);  // end flag of 2 bytes instead of 4
    PlaceObject got = decodePlaceObject(ByteReader(w.data()), 2, 6, text);
    ASSERT_EQ(got.clipActions.size(), 1u);
    EXPECT_EQ(got.clipActions[0].actions.size(), 2u);

    ByteWriter big;
    big.u8(0x82);
    big.u16(1);
    big.u16(2);
    big.u16(0);
    big.u32(1);
    big.u32(clip_event::Load);
    big.u32(1000000);  // runs past the tag
    big.u8(0x06);
    PlaceObject cut = decodePlaceObject(ByteReader(big.data()), 2, 6, text);
    ASSERT_EQ(cut.clipActions.size(), 1u);
    EXPECT_EQ(cut.clipActions[0].actions.size(), 1u);
}

TEST(PlaceObject, Version3FiltersBlendCacheAndClassName)
{
    TextDecoder text(8);
    PlaceObject p;
    p.placeVersion = 3;
    p.depth = 4;
    p.characterId = 1;
    p.className = "pkg.Clip";
    BlurFilter blur;
    blur.blurX = 4.5;
    blur.blurY = 2;
    blur.passes = 3;
    ColorMatrixFilter cm;
    cm.matrix[0] = 0.5f;
    cm.matrix[19] = 10;
    p.filters = std::vector<Filter>{blur, cm};
    p.blendMode = BlendMode::Multiply;
    p.cacheAsBitmap = true;
    p.visible = false;
    p.backgroundColor = Rgba{1, 2, 3, 4};
    PlaceObject got = decodePlaceObject(ByteReader(writer::placeObjectBody(p, 8)), 3, 8, text);
    EXPECT_EQ(got.className, "pkg.Clip");
    EXPECT_EQ(got.characterId, 1);
    ASSERT_TRUE(got.filters);
    ASSERT_EQ(got.filters->size(), 2u);
    EXPECT_EQ(std::get<BlurFilter>((*got.filters)[0]).blurX, 4.5);
    EXPECT_EQ(std::get<BlurFilter>((*got.filters)[0]).passes, 3);
    EXPECT_EQ(std::get<ColorMatrixFilter>((*got.filters)[1]).matrix[19], 10);
    EXPECT_EQ(got.blendMode, BlendMode::Multiply);
    EXPECT_EQ(got.cacheAsBitmap, true);
    EXPECT_EQ(got.visible, false);
    EXPECT_EQ(got.backgroundColor, (Rgba{1, 2, 3, 4}));

    // A tag that ends where the BitmapCache byte should be: cached.
    ByteWriter w;
    w.u16(0x0400);
    w.u16(5);
    PlaceObject cache = decodePlaceObject(ByteReader(w.data()), 3, 8, text);
    EXPECT_EQ(cache.cacheAsBitmap, true);
    EXPECT_EQ(blendModeFromByte(0), BlendMode::Normal);
    EXPECT_EQ(blendModeFromByte(200), BlendMode::Normal);
}

TEST(RemoveObject, BothVersions)
{
    std::uint8_t v1[] = {3, 0, 9, 0};
    std::uint8_t v2[] = {9, 0};
    EXPECT_EQ(decodeRemoveObject(ByteReader(v1), 1).depth, 9);
    EXPECT_EQ(decodeRemoveObject(ByteReader(v1), 1).characterId, 3);
    EXPECT_EQ(decodeRemoveObject(ByteReader(v2), 2).depth, 9);
}

}  // namespace
}  // namespace swf
