// Buttons, sounds, bitmap tag parts and the small control tags.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/bitmap_tags.h"
#include "swf/format/button_tags.h"
#include "swf/format/control_tags.h"
#include "swf/format/sound_tags.h"

namespace swf {
namespace {

using writer::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes toVector(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

TEST(ButtonDecoder, Button2RecordsAndConditionActions)
{
    ButtonDefinition b;
    b.id = 20;
    b.trackAsMenu = true;
    ButtonRecord r;
    r.up = r.over = true;
    r.characterId = 3;
    r.depth = 1;
    r.matrix.tx = 100;
    r.colorTransform.aMult = 0.5;
    ButtonRecord hit;
    hit.hitTest = true;
    hit.characterId = 4;
    hit.depth = 2;
    b.records = {r, hit};
    Bytes press = {0x06, 0x00};
    Bytes key = {0x07, 0x00};
    b.actions = {{button_condition::OverUpToOverDown, 0, press}, {0, 13, key}};
    Bytes body = writer::button2Body(b);
    ButtonDefinition got = decodeDefineButton2(ByteReader(body), 8);
    EXPECT_TRUE(got.trackAsMenu);
    ASSERT_EQ(got.records.size(), 2u);
    EXPECT_TRUE(got.records[0].up && got.records[0].over && !got.records[0].down);
    EXPECT_EQ(got.records[0].matrix.tx, 100);
    EXPECT_EQ(got.records[0].colorTransform.aMult, 0.5);
    EXPECT_TRUE(got.records[1].hitTest);
    ASSERT_EQ(got.actions.size(), 2u);
    EXPECT_EQ(got.actions[0].conditions, button_condition::OverUpToOverDown);
    EXPECT_EQ(toVector(got.actions[0].actions), press);
    EXPECT_EQ(got.actions[1].keyCode, 13);
    EXPECT_EQ(toVector(got.actions[1].actions), key);
}

TEST(ButtonDecoder, ConditionActionTooSmallForItsHeaderEndsTheList)
{
    ByteWriter w;
    w.u16(1);
    w.u8(0);
    w.u16(3);  // action offset: right after the record end byte
    w.u8(0);   // no records
    w.u16(2);  // CondActionSize 2: too small
    w.u16(0x08);
    w.u8(0);
    ButtonDefinition got = decodeDefineButton2(ByteReader(w.data()), 6);
    EXPECT_TRUE(got.actions.empty());
}

TEST(ButtonDecoder, DefineButtonCxformAppliesPerRecordAndDefineButtonSoundMayBeShort)
{
    ByteWriter w;
    w.u16(5);
    for (int i = 0; i < 2; ++i) {
        w.u8(0x01);
        w.u16(static_cast<std::uint32_t>(10 + i));
        w.u16(static_cast<std::uint32_t>(i + 1));
        w.matrix({});
    }
    w.u8(0);
    w.u8(0x07);
    w.u8(0);
    ButtonDefinition b = decodeDefineButton(ByteReader(w.data()), 4);
    ASSERT_EQ(b.records.size(), 2u);
    ASSERT_EQ(b.actions.size(), 1u);
    EXPECT_EQ(b.actions[0].conditions, button_condition::OverDownToOverUp);

    ByteWriter cx;
    cx.u16(5);
    cx.colorTransform({0.5, 1, 1, 1, 0, 0, 0, 0}, false);
    cx.colorTransform({1, 1, 1, 1, 0, 20, 0, 0}, false);
    applyButtonCxform(b, decodeDefineButtonCxform(ByteReader(cx.data())));
    EXPECT_EQ(b.records[0].colorTransform.rMult, 0.5);
    EXPECT_EQ(b.records[1].colorTransform.gAdd, 20);

    ByteWriter snd;
    snd.u16(5);
    snd.u16(0);  // no roll-out sound
    snd.u16(9);  // roll-over sound
    snd.u8(0x10);
    ButtonSounds s = decodeDefineButtonSound(ByteReader(snd.data()));
    EXPECT_FALSE(s.sounds[0]);
    ASSERT_TRUE(s.sounds[1]);
    EXPECT_EQ(s.sounds[1]->soundId, 9);
    EXPECT_TRUE(s.sounds[1]->info.syncNoMultiple);
    EXPECT_FALSE(s.sounds[2]);
}

TEST(SoundDecoder, DefineSoundStartSoundAndStreamHeads)
{
    Bytes data = {1, 2, 3, 4, 5};
    Bytes body = writer::defineSoundBody(7, 0x2f, 1152, data);
    SoundDefinition s = decodeDefineSound(ByteReader(body));
    EXPECT_EQ(s.id, 7);
    EXPECT_EQ(s.format.coding, 2);
    EXPECT_EQ(s.format.sampleRate(), 44100);
    EXPECT_TRUE(s.format.sixteenBit);
    EXPECT_TRUE(s.format.stereo);
    EXPECT_EQ(s.sampleCount, 1152u);
    EXPECT_EQ(toVector(s.data), data);
    EXPECT_EQ(soundFormatFromByte(0x40).sampleRate(), 16000);  // Nellymoser 16 kHz

    SoundInfo info;
    info.syncStop = true;
    info.inPoint = 100;
    info.outPoint = 5000;
    info.loopCount = 3;
    info.envelope = {{0, 32768, 0}, {44100, 0, 32768}};
    ByteWriter w;
    w.u16(7);
    w.bytes(writer::soundInfoBytes(info));
    StartSound start = decodeStartSound(ByteReader(w.data()));
    EXPECT_EQ(start.soundId, 7);
    EXPECT_TRUE(start.info.syncStop);
    EXPECT_EQ(start.info.inPoint, 100u);
    EXPECT_EQ(start.info.outPoint, 5000u);
    EXPECT_EQ(start.info.loopCount, 3);
    ASSERT_EQ(start.info.envelope.size(), 2u);
    EXPECT_EQ(start.info.envelope[1].pos44, 44100u);
    EXPECT_EQ(start.info.envelope[1].right, 32768);

    std::uint8_t loopsZero[] = {7, 0, 0x04, 0, 0};
    EXPECT_EQ(decodeStartSound(ByteReader(loopsZero)).info.loopCount, 1);

    std::uint8_t mp3Head[] = {0x0e, 0x2a, 0x40, 0x02, 0xf0, 0xff};
    SoundStreamHead h = decodeSoundStreamHead(ByteReader(mp3Head), 2);
    EXPECT_EQ(h.stream.coding, 2);
    EXPECT_EQ(h.stream.sampleRate(), 22050);
    EXPECT_EQ(h.sampleCountPerBlock, 576);
    EXPECT_EQ(h.latencySeek, -16);
    // The same head without LatencySeek.
    SoundStreamHead shortHead = decodeSoundStreamHead(ByteReader(std::span(mp3Head, 4)), 2);
    EXPECT_EQ(shortHead.latencySeek, 0);
}

TEST(BitmapTags, ErroneousJpegHeaderIsRemovedWhereverItSitsBeforeTheFrame)
{
    // At the start.
    Bytes a = {0xff, 0xd9, 0xff, 0xd8, 0xff, 0xd8, 0xff, 0xc0, 0x00, 0x02, 0xff, 0xd9};
    EXPECT_EQ(cleanJpegData(a), (Bytes{0xff, 0xd8, 0xff, 0xc0, 0x00, 0x02, 0xff, 0xd9}));
    // After the tables, before the frame header: the two halves become one stream.
    Bytes b = {0xff, 0xd8, 0xff, 0xdb, 0x00, 0x03, 0x01, 0xff, 0xd9, 0xff, 0xd8, 0xff, 0xc0, 0x00, 0x02};
    EXPECT_EQ(cleanJpegData(b), (Bytes{0xff, 0xd8, 0xff, 0xdb, 0x00, 0x03, 0x01, 0xff, 0xc0, 0x00, 0x02, 0xff, 0xd9}));
    // Inside a segment's payload the bytes are data, not markers.
    Bytes c = {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x06, 0xff, 0xd9, 0xff, 0xd8, 0xff, 0xd9};
    EXPECT_EQ(cleanJpegData(c), c);
}

TEST(BitmapTags, JpegTablesJoinTheImageAndPartsAreSplitByOffsets)
{
    Bytes tables = {0xff, 0xd8, 0xff, 0xdb, 0x00, 0x03, 0x07, 0xff, 0xd9};
    Bytes image = {0xff, 0xd8, 0xff, 0xc0, 0x00, 0x02, 0xff, 0xd9};
    EXPECT_EQ(mergeJpegTables(tables, image),
              (Bytes{0xff, 0xd8, 0xff, 0xdb, 0x00, 0x03, 0x07, 0xff, 0xc0, 0x00, 0x02, 0xff, 0xd9}));
    EXPECT_EQ(mergeJpegTables({}, image), image);

    ByteWriter w;
    w.u16(3);
    w.u32(3);
    w.u16(128);  // deblock 0.5
    w.bytes(Bytes{1, 2, 3, 9, 9});
    JpegBitmapTag t = decodeJpegBitmap(ByteReader(w.data()), 4);
    EXPECT_EQ(toVector(t.imageData), (Bytes{1, 2, 3}));
    EXPECT_EQ(toVector(t.alphaData), (Bytes{9, 9}));
    EXPECT_EQ(t.deblock, 0.5);

    ByteWriter bad;
    bad.u16(3);
    bad.u32(100);
    bad.u8(1);
    EXPECT_THROW(decodeJpegBitmap(ByteReader(bad.data()), 3), FormatError);

    EXPECT_EQ(detectImageFormat(Bytes{0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a}), ImageFormat::Png);
    EXPECT_EQ(detectImageFormat(Bytes{'G', 'I', 'F', '8', '9', 'a'}), ImageFormat::Gif);
    EXPECT_EQ(detectImageFormat(Bytes{0xff, 0xd9, 0xff, 0xd8}), ImageFormat::Jpeg);
}

TEST(BitmapTags, LosslessHeaders)
{
    ByteWriter w;
    w.u16(4);
    w.u8(3);
    w.u16(253);
    w.u16(2);
    w.u8(15);
    w.u8(0x78);
    LosslessBitmapTag t = decodeLosslessBitmap(ByteReader(w.data()), 2);
    EXPECT_EQ(t.width, 253);
    EXPECT_EQ(t.colorTableSize, 16);
    EXPECT_EQ(t.zlibData.size(), 1u);

    // Format 4 exists only without alpha.
    ByteWriter f4;
    f4.u16(4);
    f4.u8(4);
    f4.u16(1);
    f4.u16(1);
    EXPECT_NO_THROW(decodeLosslessBitmap(ByteReader(f4.data()), 1));
    EXPECT_THROW(decodeLosslessBitmap(ByteReader(f4.data()), 2), FormatError);
}

TEST(ControlTags, LabelsScenesAssetsAttributesAndLimits)
{
    TextDecoder text(8);
    std::uint8_t label[] = {'i', 'n', 't', 'r', 'o', 0, 1};
    FrameLabel l = decodeFrameLabel(ByteReader(label), text);
    EXPECT_EQ(l.name, "intro");
    EXPECT_TRUE(l.namedAnchor);
    EXPECT_FALSE(decodeFrameLabel(ByteReader(std::span(label, 6)), text).namedAnchor);

    ByteWriter scenes;
    scenes.u8(2);
    scenes.u8(0);
    scenes.string("Scene 1");
    scenes.u8(0x90);  // 144 as EncodedU32
    scenes.u8(0x01);
    scenes.string("Scene 2");
    scenes.u8(1);
    scenes.u8(5);
    scenes.string("loop");
    SceneAndFrameLabelData d = decodeSceneAndFrameLabelData(ByteReader(scenes.data()), text);
    ASSERT_EQ(d.scenes.size(), 2u);
    EXPECT_EQ(d.scenes[1].firstFrame, 144u);
    EXPECT_EQ(d.scenes[1].name, "Scene 2");
    ASSERT_EQ(d.labels.size(), 1u);
    EXPECT_EQ(d.labels[0].frame, 5u);

    ByteWriter imp;
    imp.string("lib.swf");
    imp.u8(1);
    imp.u8(0);
    imp.u16(1);
    imp.u16(40);
    imp.string("Button");
    ImportAssets ia = decodeImportAssets(ByteReader(imp.data()), 2, text);
    EXPECT_EQ(ia.url, "lib.swf");
    ASSERT_EQ(ia.entries.size(), 1u);
    EXPECT_EQ(ia.entries[0].characterId, 40);
    EXPECT_EQ(ia.entries[0].name, "Button");

    std::uint8_t attrs[] = {0x19, 0, 0, 0};
    FileAttributes fa = decodeFileAttributes(ByteReader(attrs));
    EXPECT_TRUE(fa.actionScript3);
    EXPECT_TRUE(fa.hasMetadata);
    EXPECT_TRUE(fa.useNetwork);
    EXPECT_FALSE(fa.useGpu);

    std::uint8_t limits[] = {0x00, 0x01, 30, 0};
    ScriptLimits sl = decodeScriptLimits(ByteReader(limits));
    EXPECT_EQ(sl.maxRecursionDepth, 256);
    EXPECT_EQ(sl.timeoutSeconds, 30);
}

}  // namespace
}  // namespace swf
