// Which control covers which, and the keyboard focus order.
#include <QComboBox>
#include <QPushButton>

#include "app/image_control.h"
#include "app/picture_box.h"
#include "form1_test_support.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"
#include "player/shockwave_flash.h"

namespace {

TEST_F(FormTest, ControlsAreStackedFrontToBackAsDesigned)
{
    // Qt keeps siblings in stacking order, back first.
    std::vector<QWidget*> backToFront;
    for (QObject* child : form.children()) {
        if (child->isWidgetType())
            backToFront.push_back(static_cast<QWidget*>(child));
    }
    const std::vector<QWidget*> expected{
        form.lblFilename, form.lblDrive, form.lblPath, form.lblFilelist, form.lblRight, form.lblweb,
        form.Image1, form.Image2[0], form.Image2[1], form.Image2[2], form.Image2[3], form.Image2[4],
        form.ShockwaveFlash1, form.Drive1, form.Dir1, form.File1,
        form.Command1, form.Command2, form.Command3, form.Command4, form.Toolbar1,
    };
    EXPECT_EQ(backToFront, expected);
}

TEST_F(FormTest, FilenameLabelIsCoveredByThePictureAndByThePlayer)
{
    const QPoint inLabel = form.lblFilename->geometry().center();
    showForm();
    // Before the load handler the player covers everything in its area.
    EXPECT_EQ(controlAt(inLabel), form.ShockwaveFlash1);
    form.Form_Load();
    EXPECT_EQ(controlAt(inLabel), form.Image1);
    EXPECT_EQ(controlAt(form.lblFilename->geometry().topLeft()), form.Image1);
    EXPECT_EQ(controlAt(form.lblFilename->geometry().bottomRight()), form.Image1);
    form.Image1->hide();
    EXPECT_EQ(controlAt(inLabel), form.lblFilename);
    form.ShockwaveFlash1->show();
    EXPECT_EQ(controlAt(inLabel), form.ShockwaveFlash1);
    // The player is larger than the picture: it alone covers its right and bottom edges.
    form.Image1->show();
    EXPECT_EQ(controlAt(QPoint(510, 434)), form.ShockwaveFlash1);
}

TEST_F(FormTest, ListsAndButtonsCoverTheLastRowOfTheirCaptions)
{
    form.Form_Load();
    showForm();
    EXPECT_EQ(controlAt(QPoint(530, 71)), form.lblDrive);
    EXPECT_EQ(controlAt(QPoint(530, 72)), form.Drive1);
    EXPECT_EQ(controlAt(QPoint(530, 111)), form.lblPath);
    EXPECT_EQ(controlAt(QPoint(530, 112)), form.Dir1);
    EXPECT_EQ(controlAt(QPoint(530, 215)), form.lblFilelist);
    EXPECT_EQ(controlAt(QPoint(530, 216)), form.File1);
    EXPECT_EQ(controlAt(QPoint(550, 335)), form.lblweb);
    EXPECT_EQ(controlAt(QPoint(550, 336)), form.Command1);
}

TEST_F(FormTest, BannerFramesHideUnderTheToolbarAndTheBannerBoxSitsOnIt)
{
    form.Form_Load();
    showForm();
    // The toolbar, or one of the buttons on it, covers every banner frame's place.
    for (const QPoint p : {QPoint(0, 0), QPoint(45, 16), QPoint(89, 32)}) {
        QWidget* hit = controlAt(p);
        EXPECT_TRUE(hit == form.Toolbar1 || (hit && hit->parentWidget() == form.Toolbar1 && hit != form.Picture1))
            << p.x() << "," << p.y();
    }
    EXPECT_EQ(controlAt(QPoint(352, 8)), form.Picture1);
    EXPECT_EQ(controlAt(QPoint(448, 40)), form.Picture1);
    EXPECT_EQ(controlAt(QPoint(351, 8)), form.Toolbar1);
    // Image2(0) is not drawn at all.
    EXPECT_EQ(controlAt(QPoint(350, 460)), nullptr);
}

std::vector<QWidget*> tabCycle(Form1& form, QWidget* start)
{
    std::vector<QWidget*> order{start};
    start->setFocus(Qt::OtherFocusReason);
    for (int step = 0; step < 20; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == start || !now)
            break;
        order.push_back(now);
    }
    (void)form;
    return order;
}

TEST_F(FormTest, FocusStartsOnTheToolbarWhenThePlayerIsHidden)
{
    form.Form_Load();
    showForm();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Toolbar1);
}

TEST_F(FormTest, TabVisitsControlsInTheirOrderPassingOverLabelsAndTheHiddenPlayer)
{
    showForm();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    const std::vector<QWidget*> withPlayer{
        form.ShockwaveFlash1, form.Toolbar1, form.Drive1, form.Dir1, form.File1,
        form.Command1, form.Command2, form.Command3, form.Command4, form.Picture1,
    };
    EXPECT_EQ(tabCycle(form, form.ShockwaveFlash1), withPlayer);

    form.Form_Load();  // hides the player
    const std::vector<QWidget*> withoutPlayer(withPlayer.begin() + 1, withPlayer.end());
    EXPECT_EQ(tabCycle(form, form.Toolbar1), withoutPlayer);

    // Play mode puts the chooser and the buttons out of view; they keep their places.
    form.applyPlayMode();
    EXPECT_EQ(tabCycle(form, form.Toolbar1), withoutPlayer);
}

}  // namespace
