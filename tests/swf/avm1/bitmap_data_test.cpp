// BitmapData: the pixel store (premultiplied round trip, clipping of fills and copies, scroll,
// flood fill, the memory budget) and the script class (construction limits, error codes,
// dispose, enumerable size fields).

#include <gtest/gtest.h>

#include "swf/avm1/bitmap_pixels.h"
#include "swf/avm1/builtins_bitmap_data.h"
#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

std::shared_ptr<BitmapPixels> makeBitmap(int w, int h, bool transparent, std::uint32_t argb)
{
    return BitmapPixels::create(w, h, transparent, argb, std::make_shared<BitmapMemory>());
}

TEST(BitmapPixels, StoresColoursPremultipliedAsFlashPlayerReadsThemBack)
{
    auto b = makeBitmap(2, 1, true, 0xAABBCCDD);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->getPixel32(0, 0), 0xAABBCCDCu);
    b->setPixel32(1, 0, 0x12345678);
    EXPECT_EQ(b->getPixel32(1, 0), 0x12395571u);
    // setPixel keeps the pixel's alpha.
    b->setPixel(0, 0, 0x345678);
    EXPECT_EQ(b->getPixel32(0, 0), 0xAA345578u);
    // Fully transparent pixels lose their colour; opaque ones are exact.
    b->setPixel32(0, 0, 0x00FFFFFF);
    EXPECT_EQ(b->getPixel32(0, 0), 0u);
    b->setPixel32(0, 0, 0xFF123456);
    EXPECT_EQ(b->getPixel32(0, 0), 0xFF123456u);
    // Opaque bitmaps ignore the alpha they are given.
    auto opaque = makeBitmap(1, 1, false, 0x00BBCCDD);
    EXPECT_EQ(opaque->getPixel32(0, 0), 0xFFBBCCDDu);
    // Outside: reads 0, writes nothing.
    EXPECT_EQ(b->getPixel32(-1, 0), 0u);
    EXPECT_EQ(b->getPixel32(2, 0), 0u);
    b->setPixel32(5, 5, 0xFFFFFFFF);
}

TEST(BitmapPixels, RefusesSizesOutsideFlashPlayer8sRangeAndPastTheBudget)
{
    EXPECT_FALSE(makeBitmap(0, 5, true, 0));
    EXPECT_FALSE(makeBitmap(5, -1, true, 0));
    EXPECT_FALSE(makeBitmap(2881, 1, true, 0));
    EXPECT_TRUE(makeBitmap(2880, 1, true, 0));

    auto memory = std::make_shared<BitmapMemory>(100 * 4);
    auto first = BitmapPixels::create(10, 8, true, 0, memory);
    ASSERT_TRUE(first);
    EXPECT_EQ(memory->used(), 320u);
    EXPECT_FALSE(BitmapPixels::create(5, 5, true, 0, memory));
    EXPECT_FALSE(first->clone());
    first.reset();  // gives its bytes back
    EXPECT_EQ(memory->used(), 0u);
    EXPECT_TRUE(BitmapPixels::create(10, 10, true, 0, memory));
}

TEST(BitmapPixels, FillRectIsClippedToTheBitmap)
{
    auto b = makeBitmap(4, 3, false, 0xFF000000);
    b->fillRect({-2, 1, 4, 100}, 0xFF00FF00);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            bool inside = y >= 1 && x < 2;
            EXPECT_EQ(b->getPixel32(x, y), inside ? 0xFF00FF00u : 0xFF000000u) << x << "," << y;
        }
    }
    // Huge or negative sizes touch nothing and do not overflow.
    b->fillRect({2147483600, 0, 2147483647, 3}, 0xFFFFFFFF);
    b->fillRect({0, 0, -5, 3}, 0xFFFFFFFF);
    EXPECT_EQ(b->getPixel32(3, 0), 0xFF000000u);
}

TEST(BitmapPixels, CopyPixelsClipsSourceAndDestinationAndMayOverlapItself)
{
    auto src = makeBitmap(3, 3, false, 0xFF000000);
    for (int i = 0; i < 9; ++i) src->setPixel32(i % 3, i / 3, 0xFF000000u | std::uint32_t(i + 1));
    auto dst = makeBitmap(3, 3, false, 0xFFFFFFFF);
    // A source rectangle starting outside the source moves the destination along with the clip.
    dst->copyPixels(*src, {-1, -1, 3, 3}, 0, 0, false);
    EXPECT_EQ(dst->getPixel32(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst->getPixel32(1, 1), 0xFF000001u);
    EXPECT_EQ(dst->getPixel32(2, 2), 0xFF000005u);
    // Destinations far outside copy nothing.
    dst->copyPixels(*src, {0, 0, 3, 3}, -2147483647, 2147483647, false);
    EXPECT_EQ(dst->getPixel32(1, 1), 0xFF000001u);
    // Scrolling copies within the bitmap: the uncovered row keeps its old pixels.
    src->scroll(0, 1);
    EXPECT_EQ(src->getPixel32(0, 0), 0xFF000001u);
    EXPECT_EQ(src->getPixel32(0, 1), 0xFF000001u);
    EXPECT_EQ(src->getPixel32(2, 2), 0xFF000006u);
}

TEST(BitmapPixels, MergeAlphaDrawsTheSourceOverTheDestination)
{
    auto src = makeBitmap(1, 1, true, 0x80FF0000);
    auto dst = makeBitmap(1, 1, true, 0xFF0000FF);
    dst->copyPixels(*src, {0, 0, 1, 1}, 0, 0, true);
    std::uint32_t p = dst->getPixel32(0, 0);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(double((p >> 16) & 0xFF), 128, 1);
    EXPECT_NEAR(double(p & 0xFF), 127, 1);
    // Without merging the source replaces the destination, alpha included.
    dst->copyPixels(*src, {0, 0, 1, 1}, 0, 0, false);
    EXPECT_EQ(dst->getPixel32(0, 0) >> 24, 0x80u);
}

TEST(BitmapPixels, FloodFillFillsOnlyTheConnectedArea)
{
    auto b = makeBitmap(5, 5, false, 0xFFFFFFFF);
    for (int y = 0; y < 5; ++y) b->setPixel32(2, y, 0xFF000000);  // a wall down the middle
    b->floodFill(0, 0, 0xFFFF0000);
    EXPECT_EQ(b->getPixel32(1, 4), 0xFFFF0000u);
    EXPECT_EQ(b->getPixel32(2, 2), 0xFF000000u);
    EXPECT_EQ(b->getPixel32(3, 0), 0xFFFFFFFFu);
    // A large bitmap fills without recursion.
    auto big = makeBitmap(2880, 2880, false, 0xFFFFFFFF);
    big->floodFill(1000, 1000, 0xFF000000);
    EXPECT_EQ(big->getPixel32(2879, 2879), 0xFF000000u);
}

// --- The script class ---

// new flash.display.BitmapData(args...) left on the stack.
void newBitmapData(Asm& code, std::initializer_list<PushItem> args)
{
    std::vector<PushItem> reversed(args);
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) code.push({*it});
    code.push({int(args.size())}).get("flash").push({"display"}).op(Op::GetMember);
    code.push({"BitmapData"}).op(Op::NewMethod);
}

Lines constructAndDescribe(std::initializer_list<PushItem> args)
{
    VmFixture t(8);
    Asm code;
    code.push({"b"});
    newBitmapData(code, args);
    code.op(Op::SetVariable);
    code.get("b").op(Op::TypeOf).op(Op::Trace);
    code.get("b").push({"width"}).op(Op::GetMember).op(Op::Trace);
    code.get("b").push({"height"}).op(Op::GetMember).op(Op::Trace);
    code.get("b").push({"transparent"}).op(Op::GetMember).op(Op::Trace);
    return t.run(code);
}

TEST(BitmapDataClass, NewYieldsUndefinedForSizesOutsideOneTo2880)
{
    EXPECT_EQ(constructAndDescribe({5, 6}), (Lines{"object", "5", "6", "true"}));
    EXPECT_EQ(constructAndDescribe({2880, 1, false}), (Lines{"object", "2880", "1", "false"}));
    // An explicit undefined or null is false; only a missing argument means transparent.
    EXPECT_EQ(constructAndDescribe({3, 4, Null{}}), (Lines{"object", "3", "4", "false"}));
    for (auto bad : {constructAndDescribe({5}), constructAndDescribe({0, 6}), constructAndDescribe({2881, 6}),
                     constructAndDescribe({Null{}, 6}), constructAndDescribe({5, -1})}) {
        EXPECT_EQ(bad, (Lines{"undefined", "undefined", "undefined", "undefined"}));
    }
}

TEST(BitmapDataClass, MethodsAnswerErrorCodesAndNothingWorksAfterDispose)
{
    VmFixture t(8);
    Asm code;
    code.push({"b"});
    newBitmapData(code, {3, 3, true, 0xAABBCCDDu * 1.0});
    code.op(Op::SetVariable);
    auto onB = [](Asm& a) { a.get("b"); };
    code.callMethod(onB, "getPixel32", {1, 1}).op(Op::Trace);
    code.callMethod(onB, "setPixel", {1, 1}).op(Op::Trace);  // too few arguments
    code.callMethod(onB, "setPixel", {1, 1, 0x345678}).op(Op::Trace);
    code.callMethod(onB, "getPixel", {1, 1}).op(Op::Trace);  // 0x345578 after the round trip
    code.callMethod(onB, "getPixel32", {7, 1}).op(Op::Trace);  // outside
    code.callMethod(onB, "hitTest", {1}).op(Op::Trace);
    code.callMethod(onB, "dispose").op(Op::Trace);
    code.get("b").push({"width"}).op(Op::GetMember).op(Op::Trace);
    code.callMethod(onB, "getPixel32", {1, 1}).op(Op::Trace);
    code.callMethod(onB, "dispose").op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"-1430532900", "-1", "0", "3429752", "0", "-1", "0", "-1", "-1", "-1"}));
}

TEST(BitmapDataClass, SizeFieldsEnumerateAndRectangleIsAGeomRectangle)
{
    VmFixture t(8);
    Asm code;
    code.push({"b"});
    newBitmapData(code, {4, 2});
    code.op(Op::SetVariable);
    code.get("b").push({"rectangle"}).op(Op::GetMember).op(Op::Trace);
    code.get("b").push({"rectangle"}).op(Op::GetMember).get("flash").push({"geom"}).op(Op::GetMember);
    code.push({"Rectangle"}).op(Op::GetMember).op(Op::InstanceOf).op(Op::Trace);
    Lines lines = t.run(code);
    EXPECT_EQ(lines, (Lines{"(x=0, y=0, w=4, h=2)", "true"}));
    std::vector<String> names = t.vm().enumerableNames(t.vm().getVariable(t.root(), String("b")).asObject());
    std::vector<std::string> utf8;
    for (const String& n : names) utf8.push_back(n.toUtf8());
    std::sort(utf8.begin(), utf8.end());
    EXPECT_EQ(utf8, (std::vector<std::string>{"height", "rectangle", "transparent", "width"}));
}

TEST(BitmapDataClass, BitmapsPastTheMemoryBudgetAreRefusedWithAWarning)
{
    VmFixture t(8);
    // The class again, over a budget of one 10x10 bitmap.
    installBitmapData(t.vm(), t.vm().global(), 400);
    Asm code;
    code.push({"a"});
    newBitmapData(code, {10, 10});
    code.op(Op::SetVariable);
    code.push({"b"});
    newBitmapData(code, {1, 1});
    code.op(Op::SetVariable);
    code.get("a").op(Op::TypeOf).op(Op::Trace);
    code.get("b").op(Op::TypeOf).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("a"); }, "clone").op(Op::TypeOf).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"object", "undefined", "undefined"}));
    EXPECT_TRUE(t.lastRunOk);
    ASSERT_FALSE(t.warnings.empty());
    EXPECT_NE(t.warnings[0].find("refused"), std::string::npos);
}

}  // namespace
}  // namespace swf::avm1::testing
