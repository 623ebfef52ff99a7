// The window as created, before its load handler: every control's kind, container, place, size,
// texts and look as the window's design fixes them.
#include <algorithm>

#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/image_control.h"
#include "app/image_list.h"
#include "app/picture_box.h"
#include "app/twips.h"
#include "form1_test_support.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"
#include "player/shockwave_flash.h"

namespace {

struct Expected {
    const char* name;
    QWidget* control;
    QWidget* container;
    QRect pixels;
};

TEST(Twips, ConvertsToNearestPixel)
{
    EXPECT_EQ(twips::toPixels(9675), 645);
    EXPECT_EQ(twips::toPixels(7810), 521);  // 520.67
    EXPECT_EQ(twips::toPixels(7807), 520);  // 520.47
    EXPECT_EQ(twips::toPixels(7), 0);
    EXPECT_EQ(twips::toPixels(8), 1);
    EXPECT_EQ(twips::toPixels(-8), -1);
    EXPECT_EQ(twips::fromPixels(521), 7815);
}

TEST_F(FormTest, EveryControlHasItsDesignedPlaceSizeAndContainer)
{
    QWidget* window = &form;
    const std::vector<Expected> expected{
        {"Toolbar1", form.Toolbar1, window, {0, 0, 645, 52}},
        {"Picture1", form.Picture1, form.Toolbar1, {352, 8, 97, 33}},
        {"Command4", form.Command4, window, {544, 456, 73, 25}},
        {"Command3", form.Command3, window, {544, 416, 73, 25}},
        {"Command2", form.Command2, window, {544, 376, 73, 25}},
        {"Command1", form.Command1, window, {544, 336, 73, 25}},
        {"File1", form.File1, window, {520, 216, 121, 97}},
        {"Dir1", form.Dir1, window, {520, 112, 113, 81}},
        {"Drive1", form.Drive1, window, {520, 72, 113, 21}},
        {"ShockwaveFlash1", form.ShockwaveFlash1, window, {8, 56, 504, 380}},
        {"Image2(4)", form.Image2[4], window, {0, 0, 90, 33}},
        {"Image2(3)", form.Image2[3], window, {0, 0, 90, 33}},
        {"Image2(2)", form.Image2[2], window, {0, 0, 90, 33}},
        {"Image2(1)", form.Image2[1], window, {0, 0, 88, 33}},
        {"Image2(0)", form.Image2[0], window, {344, 448, 88, 32}},
        {"Image1", form.Image1, window, {8, 56, 497, 377}},
        {"lblweb", form.lblweb, window, {544, 320, 73, 17}},
        {"lblRight", form.lblRight, window, {16, 464, 321, 17}},
        {"lblFilelist", form.lblFilelist, window, {520, 200, 113, 17}},
        {"lblPath", form.lblPath, window, {520, 96, 113, 17}},
        {"lblDrive", form.lblDrive, window, {520, 56, 113, 17}},
        {"lblFilename", form.lblFilename, window, {8, 256, 321, 25}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        ASSERT_NE(e.control, nullptr);
        EXPECT_EQ(e.control->parentWidget(), e.container);
        EXPECT_EQ(e.control->geometry(), e.pixels);
    }
    // The never-drawn components belong to the window and are not widgets.
    EXPECT_EQ(form.Timer1->parent(), window);
    EXPECT_EQ(form.ImageList1->parent(), window);
    EXPECT_FALSE(form.ImageList1->isWidgetType());
}

TEST_F(FormTest, WindowHasItsTitleFrameAndDesignedClientSize)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantoro V2.1 (请投我一票)"));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    // Before the load handler: the designed client area, which the user cannot resize.
    EXPECT_EQ(form.size(), QSize(645, 490));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.windowState() == Qt::WindowNoState);
}

TEST_F(FormTest, ControlsCarryTheirDesignedTexts)
{
    EXPECT_EQ(form.Command1->text(), QStringLiteral("网易"));
    EXPECT_EQ(form.Command2->text(), QStringLiteral("天极网"));
    EXPECT_EQ(form.Command3->text(), QStringLiteral("Flash图库"));
    EXPECT_EQ(form.Command4->text(), QStringLiteral("闪客帝国"));
    EXPECT_EQ(form.lblweb->text(), QStringLiteral("网络资源"));
    EXPECT_EQ(form.lblFilelist->text(), QStringLiteral("当前文件列表"));
    EXPECT_EQ(form.lblPath->text(), QStringLiteral("当前路径"));
    EXPECT_EQ(form.lblDrive->text(), QStringLiteral("当前驱动器"));
    EXPECT_TRUE(form.lblFilename->text().isEmpty());
    EXPECT_FALSE(form.lblRight->text().isEmpty());
    EXPECT_EQ(form.File1->Pattern(), QStringLiteral("*.swf"));
    EXPECT_TRUE(form.lblweb->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(form.lblDrive->alignment().testFlag(Qt::AlignLeft));

    // No access keys anywhere, and labels never read their text as markup.
    for (const QPushButton* button : {form.Command1, form.Command2, form.Command3, form.Command4})
        EXPECT_FALSE(button->text().contains(QLatin1Char('&')));
    for (const QLabel* label : {form.lblweb, form.lblRight, form.lblFilelist, form.lblPath, form.lblDrive, form.lblFilename})
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST_F(FormTest, OnlyBannerAndStartupPictureHaveToolTips)
{
    EXPECT_EQ(form.Picture1->toolTip(), QStringLiteral("首届全国优秀共享软件及自由软件评选活动"));
    EXPECT_EQ(form.Image1->toolTip(), QStringLiteral("真我的风采"));
    // The toolbar's buttons have tool tips of their own (tests/player/playback_toolbar_test.cpp).
    const auto isToolbarButton = [this](QWidget* control) {
        return std::find(form.toolbarButtons.begin(), form.toolbarButtons.end(), qobject_cast<QToolButton*>(control)) !=
               form.toolbarButtons.end();
    };
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (control != form.Picture1 && control != form.Image1 && !isToolbarButton(control)) {
            EXPECT_TRUE(control->toolTip().isEmpty()) << control->metaObject()->className();
        }
    }
}

TEST_F(FormTest, OnlyBannerAndCreditLabelShowTheHandPointer)
{
    // The hand is the built-in pointer picture, aiming with its finger tip.
    for (QWidget* pointed : {static_cast<QWidget*>(form.Picture1), static_cast<QWidget*>(form.lblRight)}) {
        EXPECT_EQ(pointed->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(pointed->cursor().hotSpot(), QPoint(12, 5));
    }
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (control != form.Picture1 && control != form.lblRight) {
            EXPECT_NE(control->cursor().shape(), Qt::BitmapCursor) << control->metaObject()->className();
            EXPECT_NE(control->cursor().shape(), Qt::PointingHandCursor) << control->metaObject()->className();
        }
    }
}

TEST_F(FormTest, DesignedVisibilityAndPictureSettings)
{
    // Before the load handler the player is visible, over the start-up picture.
    EXPECT_FALSE(form.ShockwaveFlash1->isHidden());
    EXPECT_FALSE(form.Image1->isHidden());
    EXPECT_TRUE(form.Image1->stretch());
    EXPECT_TRUE(form.Image2[0]->isHidden());
    for (std::size_t i = 1; i < form.Image2.size(); ++i) {
        EXPECT_FALSE(form.Image2[i]->isHidden());
        EXPECT_FALSE(form.Image2[i]->stretch());
    }
    EXPECT_TRUE(form.Picture1->picture().isNull());
    EXPECT_EQ(form.ImageList1->imageSize(), QSize(26, 26));
    EXPECT_EQ(form.ImageList1->maskColour(), QColor(192, 192, 192));
    EXPECT_EQ(form.bannerFrame, 0);
}

TEST_F(FormTest, CreditLabelIsRedOnTheActiveBorderColour)
{
    EXPECT_EQ(form.lblRight->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(form.lblRight->autoFillBackground());
    EXPECT_TRUE(form.lblDrive->autoFillBackground());
    EXPECT_NE(form.lblDrive->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

}  // namespace
