// The store of filtered objects' pictures: found only under equal inputs, dropped when unused
// for a frame, and kept within its byte budget.

#include <gtest/gtest.h>

#include <QImage>

#include "swf/render/group_pictures.h"

namespace swf::render {
namespace {

RenderInputs inputs(std::initializer_list<std::uint64_t> words)
{
    RenderInputs r;
    for (std::uint64_t w : words) r.add(w);
    return r;
}

GroupPicture picture(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    return {image, QRect(0, 0, side, side), QRect(0, 0, side, side), QPoint()};
}

TEST(GroupPictures, FoundOnlyUnderEqualInputs)
{
    GroupPictures store;
    store.beginFrame();
    store.keep(7, inputs({1, 2, 3}), picture(4));
    EXPECT_NE(store.find(7, inputs({1, 2, 3})), nullptr);
    EXPECT_EQ(store.find(7, inputs({1, 2, 4})), nullptr);
    EXPECT_EQ(store.find(7, inputs({1, 2})), nullptr) << "a shorter list is other inputs";
    EXPECT_EQ(store.find(7, inputs({1, 2, 3, 0})), nullptr);
    EXPECT_EQ(store.find(8, inputs({1, 2, 3})), nullptr) << "pictures belong to their object";
    auto refuse = [](const GroupPicture&) { return false; };
    EXPECT_EQ(store.find(7, inputs({1, 2, 3}), refuse), nullptr) << "the caller may refuse it";
    EXPECT_EQ(store.hits(), 1u) << "a refused picture is not a hit";
    // Keeping again replaces the object's picture.
    store.keep(7, inputs({5}), picture(2));
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(store.find(7, inputs({1, 2, 3})), nullptr);
    ASSERT_NE(store.find(7, inputs({5})), nullptr);
    EXPECT_EQ(store.find(7, inputs({5}))->picture.width(), 2);
}

TEST(GroupPictures, PicturesUnusedForAFrameGo)
{
    GroupPictures store;
    store.beginFrame();
    store.keep(1, inputs({1}), picture(4));
    store.keep(2, inputs({2}), picture(4));
    store.endFrame();
    store.beginFrame();
    EXPECT_NE(store.find(1, inputs({1})), nullptr);
    store.find(2, inputs({9}));  // looked for under other inputs: not used
    store.endFrame();
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(store.find(2, inputs({2})), nullptr);
    EXPECT_NE(store.find(1, inputs({1})), nullptr);
}

TEST(GroupPictures, TheBudgetDropsTheLeastRecentlyUsed)
{
    const std::size_t one = std::size_t(picture(64).picture.sizeInBytes());
    GroupPictures store(one * 2 + 1024);
    store.beginFrame();
    store.keep(1, inputs({1}), picture(64));
    store.keep(2, inputs({2}), picture(64));
    EXPECT_NE(store.find(1, inputs({1})), nullptr);  // 2 is now the least recently used
    store.keep(3, inputs({3}), picture(64));
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(store.find(2, inputs({2})), nullptr);
    EXPECT_NE(store.find(1, inputs({1})), nullptr);
    EXPECT_NE(store.find(3, inputs({3})), nullptr);
    EXPECT_LE(store.bytes(), one * 2 + 1024);
    // A picture larger than the whole budget is not kept, and takes nothing with it.
    store.keep(4, inputs({4}), picture(200));
    EXPECT_EQ(store.find(4, inputs({4})), nullptr);
    EXPECT_EQ(store.size(), 2u);
}

TEST(GroupPictures, AnEmptyResultIsKeptToo)
{
    GroupPictures store;
    store.keep(1, inputs({1}), GroupPicture{});
    const GroupPicture* kept = store.find(1, inputs({1}));
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->region.isEmpty());
}

}  // namespace
}  // namespace swf::render
