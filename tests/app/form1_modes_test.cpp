// Form_Load and the two size modes: what the load handler does, the client sizes the modes
// give, and that changing the mode moves, shows or hides nothing.
#include <QSignalSpy>
#include <QToolBar>

#include "app/image_control.h"
#include "app/picture_box.h"
#include "form1_test_support.h"
#include "player/shockwave_flash.h"

namespace {

struct ControlState {
    QWidget* control;
    QRect geometry;
    bool hidden;
};

std::vector<ControlState> snapshot(Form1& form)
{
    std::vector<ControlState> states;
    for (QWidget* control : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        states.push_back({control, control->geometry(), control->isHidden()});
    states.push_back({form.Picture1, form.Picture1->geometry(), form.Picture1->isHidden()});
    return states;
}

TEST_F(FormTest, FormLoadAppliesBrowseModeHidesThePlayerAndStartsTheTimer)
{
    // Enabled with no interval: no tick, however long the event loop runs.
    EXPECT_TRUE(form.Timer1->isEnabled());
    EXPECT_EQ(form.Timer1->interval(), 0);
    QSignalSpy ticks(form.Timer1, &QTimer::timeout);
    QTest::qWait(50);
    EXPECT_EQ(ticks.count(), 0);
    EXPECT_FALSE(form.Timer1->isActive());

    form.Form_Load();

    EXPECT_EQ(form.Width(), 9765);
    EXPECT_EQ(form.Height(), 7800);
    EXPECT_EQ(form.size(), QSize(645, 490));
    EXPECT_TRUE(form.ShockwaveFlash1->isHidden());
    EXPECT_FALSE(form.Image1->isHidden());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_TRUE(form.Timer1->isEnabled());
    EXPECT_TRUE(form.Timer1->isActive());
    // Nothing else is prepared: no banner picture, no movie name, no tick yet.
    EXPECT_TRUE(form.Picture1->picture().isNull());
    EXPECT_TRUE(form.lblFilename->text().isEmpty());
    EXPECT_EQ(ticks.count(), 0);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(FormTest, FirstTickComesAboutOneSecondAfterFormLoad)
{
    QSignalSpy ticks(form.Timer1, &QTimer::timeout);
    form.Form_Load();
    QTest::qWait(700);
    EXPECT_EQ(ticks.count(), 0);
    EXPECT_TRUE(ticks.wait(3000));  // generous: a loaded machine may deliver the tick late
    EXPECT_EQ(ticks.count(), 1);
}

TEST_F(FormTest, ModesGiveTheirClientSizesAndOuterSizesInTwips)
{
    form.Form_Load();
    showForm();

    form.applyPlayMode();
    EXPECT_TRUE(waitUntil([&] { return form.size() == QSize(521, 490); })) << form.width() << "x" << form.height();
    EXPECT_EQ(form.Width(), 7905);  // 7900 twips rounded to whole pixels of client area
    EXPECT_EQ(form.Height(), 7800);

    form.applyBrowseMode();
    EXPECT_TRUE(waitUntil([&] { return form.size() == QSize(645, 490); }));
    EXPECT_EQ(form.Width(), 9765);
    EXPECT_EQ(form.Height(), 7800);

    // Applying the mode in force leaves the size as it is.
    form.applyBrowseMode();
    QTest::qWait(20);
    EXPECT_EQ(form.size(), QSize(645, 490));
}

TEST_F(FormTest, ApplyingAModeSetsBothSizesWhateverTheSizeBefore)
{
    form.setFixedSize(300, 200);
    form.applyPlayMode();
    EXPECT_EQ(form.size(), QSize(521, 490));
    form.setFixedSize(700, 100);
    form.applyBrowseMode();
    EXPECT_EQ(form.size(), QSize(645, 490));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());  // still not resizable by the user
}

TEST_F(FormTest, ChangingTheModeMovesShowsAndHidesNothing)
{
    form.Form_Load();
    showForm();
    const std::vector<ControlState> before = snapshot(form);

    form.applyPlayMode();
    ASSERT_TRUE(waitUntil([&] { return form.width() == 521; }));
    // The toolbar follows the client width; nothing else changes.
    EXPECT_EQ(form.Toolbar1->geometry(), QRect(0, 0, 521, 52));
    for (const ControlState& state : before) {
        SCOPED_TRACE(state.control->metaObject()->className());
        if (state.control != form.Toolbar1) {
            EXPECT_EQ(state.control->geometry(), state.geometry);
        }
        EXPECT_EQ(state.control->isHidden(), state.hidden);
    }
    // The banner box stays wholly on the narrowed toolbar; the chooser column starts beyond
    // the client area but for at most one pixel column.
    EXPECT_TRUE(form.Toolbar1->rect().contains(form.Picture1->geometry()));
    EXPECT_GE(form.Drive1->x(), form.width() - 1);
    EXPECT_GE(form.Command1->x(), form.width());
    EXPECT_LE(form.ShockwaveFlash1->geometry().right(), form.width() - 1);
    EXPECT_LE(form.lblRight->geometry().right(), form.width() - 1);

    form.applyBrowseMode();
    ASSERT_TRUE(waitUntil([&] { return form.width() == 645; }));
    EXPECT_EQ(form.Toolbar1->geometry(), QRect(0, 0, 645, 52));
    for (const ControlState& state : before) {
        EXPECT_EQ(state.control->geometry(), state.geometry);
        EXPECT_EQ(state.control->isHidden(), state.hidden);
    }
    // In browse mode nothing is cut off: File1, the right-most control, ends 4 pixels inside.
    EXPECT_EQ(form.width() - (form.File1->geometry().right() + 1), 4);
}

TEST_F(FormTest, CentredOnTheScreen)
{
    form.Form_Load();
    form.centreOnScreen();
    const QRect screen = form.screen()->availableGeometry();
    const QPoint framedCentre = form.pos() + QPoint((form.width() + 6) / 2, (form.height() + 30) / 2);
    EXPECT_LE((framedCentre - screen.center()).manhattanLength(), 2);
}

}  // namespace
