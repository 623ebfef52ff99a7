// The window's generic controls and its handler plumbing.
#include <QPainter>
#include <QSignalSpy>

#include "app/handler_failure.h"
#include "app/image_control.h"
#include "app/image_list.h"
#include "app/label.h"
#include "app/picture_box.h"
#include "app/timer.h"
#include "form1_test_support.h"

namespace {

QPixmap filled(QSize size, QColor colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

TEST(Timer, DoesNotTickWhileEnabledWithoutInterval)
{
    Timer timer;
    QSignalSpy ticks(&timer, &QTimer::timeout);
    EXPECT_TRUE(timer.isEnabled());
    QTest::qWait(30);
    EXPECT_EQ(ticks.count(), 0);

    // Setting the interval through the base class is enough to start it.
    static_cast<QTimer&>(timer).setInterval(5);
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(ticks.wait(500));

    timer.setEnabled(false);
    EXPECT_FALSE(timer.isActive());
    const int stoppedAt = ticks.count();
    QTest::qWait(30);
    EXPECT_EQ(ticks.count(), stoppedAt);

    timer.setEnabled(true);
    EXPECT_TRUE(timer.isActive());
    timer.setInterval(0);
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(timer.isEnabled());
}

TEST(Timer, DisabledTimerStaysSilentWhenGivenAnInterval)
{
    Timer timer;
    timer.setEnabled(false);
    timer.setInterval(5);
    EXPECT_FALSE(timer.isActive());
}

TEST(Label, ClickIsPressAndReleaseOverTheLabel)
{
    Label label(QStringLiteral("x"));
    label.resize(50, 20);
    QSignalSpy clicks(&label, &Label::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(70, 10));  // released outside
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PictureBox, DrawsItsPictureUnscaledOverTheFaceColour)
{
    PictureBox box;
    box.resize(97, 33);
    const QColor face = box.palette().color(QPalette::Button);
    box.setPicture(filled(QSize(90, 33), Qt::red));
    QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(89, 32), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(90, 0), face);  // the 7-pixel strip on the right
    // A smaller picture replaces the larger one entirely.
    box.setPicture(filled(QSize(88, 32), Qt::blue));
    shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(87, 31), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(89, 0), face);
    EXPECT_EQ(shown.pixelColor(0, 32), face);

    QSignalSpy clicks(&box, &PictureBox::clicked);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ImageControl, UnstretchedTakesThePictureSizeStretchedFillsItself)
{
    QWidget surface;
    surface.resize(600, 500);
    ImageControl plain(&surface);
    plain.setGeometry(0, 0, 10, 10);
    plain.setPicture(filled(QSize(88, 32), Qt::green));
    EXPECT_EQ(plain.size(), QSize(88, 32));

    ImageControl stretched(&surface);
    stretched.setStretch(true);
    stretched.setGeometry(8, 56, 497, 377);
    stretched.setPicture(filled(QSize(489, 328), Qt::green));
    EXPECT_EQ(stretched.size(), QSize(497, 377));
    const QImage shown = stretched.grab().toImage();
    EXPECT_EQ(shown.pixelColor(496, 376), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::green));
}

TEST(ImageList, HoldsPicturesByOneBasedIndex)
{
    ImageList list;
    list.setMaskColour(QColor(192, 192, 192));
    list.add(filled(QSize(26, 26), QColor(198, 198, 198)));
    list.add(filled(QSize(32, 26), QColor(192, 192, 192)));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.picture(2).size(), QSize(32, 26));
    EXPECT_THROW(list.picture(0), ViewerError);
    EXPECT_THROW(list.picture(3), ViewerError);
    // Pixels of the mask colour turn transparent in the icon; others stay opaque.
    const QImage opaque = list.icon(1).pixmap(QSize(26, 26)).toImage();
    EXPECT_EQ(opaque.pixelColor(13, 13).alpha(), 255);
    const QImage masked = list.icon(2).pixmap(QSize(32, 26)).toImage();
    EXPECT_EQ(masked.pixelColor(13, 13).alpha(), 0);
}

TEST_F(FormTest, AFailingHandlerIsReportedAndTheWindowGoesOn)
{
    bool laterStepRan = false;
    form.runHandler([&] {
        throw ViewerError(QStringLiteral("无法读取文件夹“/x”：文件夹不存在"));
        laterStepRan = true;
    });
    EXPECT_FALSE(laterStepRan);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.front(), QStringLiteral("无法读取文件夹“/x”：文件夹不存在"));

    form.runHandler([] { throw std::runtime_error("boom"); });
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports.back(), QStringLiteral("boom"));

    form.runHandler([] {});
    EXPECT_EQ(reports.size(), 2);
}

TEST(SkipOnFailure, AbandonsOnlyTheFailingStep)
{
    std::vector<int> ran;
    skipOnFailure([&] { ran.push_back(1); });
    skipOnFailure([&] {
        throw ViewerError(QStringLiteral("x"));
        ran.push_back(2);
    });
    skipOnFailure([&] { ran.push_back(3); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
}

}  // namespace
