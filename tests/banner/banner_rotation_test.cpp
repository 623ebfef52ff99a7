// The rotating banner, driven tick by tick: which frame the box shows, what the counter holds,
// and what the box's pixels are after each frame.
#include <QElapsedTimer>

#include "app/form1_test_support.h"
#include "banner/site_links.h"
#include "url_catcher.h"

namespace {

class BannerRotation : public FormTest {
protected:
    QImage shownBox() { return form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QImage frame(int index) { return form.Image2[index]->picture().toImage().convertToFormat(QImage::Format_RGB32); }
    // The box's background, as it shows before the first tick.
    QRgb background() const { return background_; }
    void SetUp() override { background_ = shownBox().pixel(0, 0) | 0xFF000000u; }

    // Every pixel of the box: the frame's own pixel inside the frame, the background elsewhere.
    void expectBoxShows(int index)
    {
        SCOPED_TRACE("frame " + std::to_string(index));
        const QImage box = shownBox();
        const QImage picture = frame(index);
        const QRgb empty = background();
        ASSERT_EQ(box.size(), QSize(97, 33));
        ASSERT_NE(empty, picture.pixel(0, 0) | 0xFF000000u);
        for (int y = 0; y < box.height(); ++y) {
            for (int x = 0; x < box.width(); ++x) {
                const bool inFrame = x < picture.width() && y < picture.height();
                const QRgb want = inFrame ? picture.pixel(x, y) : empty;
                ASSERT_EQ(box.pixel(x, y) | 0xFF000000u, want) << "at " << x << "," << y;
            }
        }
    }

private:
    QRgb background_ = 0;
};

TEST_F(BannerRotation, BoxIsEmptyUntilTheFirstTick)
{
    EXPECT_EQ(form.bannerFrame, 0);
    EXPECT_TRUE(form.Picture1->picture().isNull());
    const QImage box = shownBox();
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x)
            ASSERT_EQ(box.pixel(x, y), box.pixel(0, 0)) << "at " << x << "," << y;
    }
}

TEST_F(BannerRotation, AfterNTicksShowsFrameNMinusOneAndCountsNModFive)
{
    for (int n = 1; n <= 12; ++n) {
        form.Timer1_Timer();
        const int shown = (n - 1) % 5;
        // The box holds the image control's own picture, shared, not a copy.
        EXPECT_EQ(form.Picture1->picture().cacheKey(), form.Image2[shown]->picture().cacheKey()) << "tick " << n;
        EXPECT_EQ(form.bannerFrame, n % 5) << "tick " << n;
    }
}

// Frames 0 and 1 are 88 pixels wide and leave a 9-pixel strip, frames 2 to 4 are 90 wide and
// leave 7; frame 0 is 32 rows high and leaves the bottom row too.
TEST_F(BannerRotation, EachFrameLiesUnscaledAtTheTopLeftOnTheBackground)
{
    const int widths[] = {88, 88, 90, 90, 90};
    const int heights[] = {32, 33, 33, 33, 33};
    for (int index = 0; index < 5; ++index) {
        EXPECT_EQ(form.Image2[index]->picture().size(), QSize(widths[index], heights[index]));
        form.Timer1_Timer();
        expectBoxShows(index);
    }
    EXPECT_EQ(97 - widths[0], 9);
    EXPECT_EQ(97 - widths[2], 7);
}

TEST_F(BannerRotation, NarrowFrameAfterAWideOneLeavesNothingBehind)
{
    for (int tick = 0; tick < 5; ++tick)
        form.Timer1_Timer();
    const QRgb empty = background();
    const QImage wide = shownBox();  // frame 4: 90 x 33, its frame lines reach columns 88-89 and row 32
    ASSERT_NE(wide.pixel(89, 10) | 0xFF000000u, empty);
    ASSERT_NE(wide.pixel(40, 32) | 0xFF000000u, empty);

    form.Timer1_Timer();  // frame 0 again: 88 x 32
    EXPECT_EQ(form.bannerFrame, 1);
    expectBoxShows(0);
}

TEST_F(BannerRotation, ClickOpensTheBannerSiteAndLeavesTheRotationAlone)
{
    showForm();
    for (int tick = 0; tick < 3; ++tick)
        form.Timer1_Timer();
    UrlCatcher catcher;
    QTest::mouseClick(form.Picture1, Qt::LeftButton);
    ASSERT_EQ(catcher.opened, QList<QUrl>{QUrl(site_links::bannerSite())});
    EXPECT_EQ(form.bannerFrame, 3);
    EXPECT_EQ(form.Picture1->picture().cacheKey(), form.Image2[2]->picture().cacheKey());
    form.Timer1_Timer();
    EXPECT_EQ(form.Picture1->picture().cacheKey(), form.Image2[3]->picture().cacheKey());
    EXPECT_EQ(form.bannerFrame, 4);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(BannerRotation, CounterOutOfRangeFailsTheTickBeforeItMoves)
{
    form.bannerFrame = 7;
    form.runHandler([this] { form.Timer1_Timer(); });
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(form.bannerFrame, 7);
    EXPECT_TRUE(form.Picture1->picture().isNull());
}

// Through the real timer, in play mode: the first frame comes about a second after loading.
TEST_F(BannerRotation, TimerShowsTheFirstFrameASecondAfterLoading)
{
    form.Form_Load();
    form.applyPlayMode();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Picture1->picture().isNull(); }, 3000));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(form.Picture1->picture().cacheKey(), form.Image2[0]->picture().cacheKey());
    EXPECT_EQ(form.bannerFrame, 1);
}

} // namespace
