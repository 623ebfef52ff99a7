// The playback toolbar: its six buttons as designed, and Toolbar1_ButtonClick's dispatch of
// keys to player calls and window modes, including failing calls and keys that match nothing.
#include <QToolBar>
#include <QToolButton>

#include "app/image_list.h"
#include "player_form_fixture.h"
#include "recording_dispatch.h"

namespace {

QImage rgb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_RGB32); }

TEST_F(PlayerForm, ToolbarHasItsSixButtonsAsDesigned)
{
    struct Expected {
        const char* key;
        const char* caption;
        const char* toolTip;
        int image;
    };
    const Expected expected[] = {
        {"Start", " 开始", "开始播放", 1}, {"back", " 前一帧", "前一帧", 2}, {"forward", " 后一帧", "后一帧", 3},
        {"stop", "暂停", "暂停", 4},      {"restart", "重播", "重播", 6},  {"browse", "浏览文件", "浏览文件", 5},
    };
    showForm();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(expected[i].key);
        const QToolButton* button = form.toolbarButtons[static_cast<std::size_t>(i)];
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget(), form.Toolbar1);
        EXPECT_EQ(button->property("Key").toString(), QString::fromUtf8(expected[i].key));
        EXPECT_EQ(button->text(), QString::fromUtf8(expected[i].caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected[i].toolTip));
        // Side by side from the toolbar's left edge, nothing between, clear of the banner box.
        EXPECT_EQ(button->geometry(), QRect(55 * i, 3, 55, 46));
        EXPECT_LT(button->geometry().right(), form.Picture1->x());
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(button->iconSize(), QSize(26, 26));
        EXPECT_TRUE(button->isVisible());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_FALSE(button->isCheckable());
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        if (expected[i].image != 5) {
            EXPECT_EQ(rgb(button->icon().pixmap(26, 26)), rgb(form.ImageList1->picture(expected[i].image)));
        }
    }
}

TEST_F(PlayerForm, WideBrowseImageIsScaledWholeIntoItsCell)
{
    const QImage cell = form.toolbarButtons[5]->icon().pixmap(26, 26).toImage();
    ASSERT_EQ(cell.size(), QSize(26, 26));
    const QColor background(198, 198, 198);
    int cyan = 0;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 26; ++x) {
            const QColor c = cell.pixelColor(x, y);
            ASSERT_EQ(c.alpha(), 255) << x << "," << y;
            cyan += c.red() < 90 && c.green() > 190 && c.blue() > 190;
            // 32 x 26 scaled to 26 x 21, centred: two rows above and three below are background.
            if (y < 2 || y > 22) {
                EXPECT_EQ(c.rgb(), background.rgb()) << x << "," << y;
            }
        }
    }
    EXPECT_GT(cyan, 5);  // the magnifier survives the scaling
}

struct KeyRow {
    const char* key;
    std::vector<DispatchCall> calls;
    int widthFromBrowse;
    int widthFromPlay;
};

TEST_F(PlayerForm, EachKeyCallsThePlayerFirstThenSetsItsMode)
{
    const std::vector<KeyRow> rows{
        {"Start", {call(112)}, 521, 521},
        {"back", {call(114)}, 521, 521},
        {"forward", {call(115)}, 645, 521},  // the size is left as it was
        {"stop", {call(113)}, 521, 521},
        {"browse", {}, 645, 645},
        {"restart", {call(116), call(112)}, 521, 521},
    };
    showForm();
    RecordingDispatch recorder(form.ShockwaveFlash1);
    std::vector<int> widthAtCall;
    recorder.onCall = [&](const DispatchCall&) { widthAtCall.push_back(form.width()); };
    form.ShockwaveFlash1->setDispatchTarget(&recorder);

    for (const KeyRow& row : rows) {
        for (const bool fromPlay : {false, true}) {
            SCOPED_TRACE(std::string(row.key) + (fromPlay ? " from play mode" : " from browse mode"));
            fromPlay ? form.applyPlayMode() : form.applyBrowseMode();
            const int startWidth = form.width();
            recorder.calls.clear();
            widthAtCall.clear();
            buttonWithKey(row.key)->click();
            EXPECT_EQ(recorder.calls, row.calls);
            EXPECT_EQ(widthAtCall, std::vector<int>(row.calls.size(), startWidth));
            EXPECT_EQ(form.width(), fromPlay ? row.widthFromPlay : row.widthFromBrowse);
            EXPECT_EQ(form.height(), 490);
        }
    }
    // No movie was chosen: the player stayed hidden and empty, and nothing failed.
    EXPECT_TRUE(form.ShockwaveFlash1->isHidden());
    EXPECT_TRUE(engine->loads.empty());
    EXPECT_FALSE(engine->playing);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PlayerForm, FailingPlayerCallIsSkippedAndTheModeStillChanges)
{
    RecordingDispatch recorder;  // every call fails
    recorder.failing = {112, 113, 114, 115, 116};
    form.ShockwaveFlash1->setDispatchTarget(&recorder);
    showForm();

    form.toolbarButtons[0]->click();  // Start
    EXPECT_EQ(form.width(), 521);
    form.applyBrowseMode();
    form.toolbarButtons[3]->click();  // stop
    EXPECT_EQ(form.width(), 521);
    form.applyBrowseMode();
    recorder.calls.clear();
    form.toolbarButtons[4]->click();  // restart: Play still runs after a failed Rewind
    EXPECT_EQ(recorder.calls, (std::vector<DispatchCall>{call(116), call(112)}));
    EXPECT_EQ(form.width(), 521);
    form.applyBrowseMode();
    form.toolbarButtons[2]->click();  // forward
    EXPECT_EQ(form.width(), 645);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PlayerForm, KeysThatMatchNoRowDoNothing)
{
    RecordingDispatch recorder;
    form.ShockwaveFlash1->setDispatchTarget(&recorder);
    form.applyPlayMode();
    for (const char* key : {"start", "START", " Start", "Start ", "Browse", "", "play", "forward2"}) {
        SCOPED_TRACE(key);
        QToolButton button;
        button.setProperty("Key", QString::fromUtf8(key));
        form.runHandler([&] { form.Toolbar1_ButtonClick(&button); });
        EXPECT_EQ(form.width(), 521);
    }
    // A key that cannot be read counts as empty.
    QToolButton keyless;
    form.runHandler([&] { form.Toolbar1_ButtonClick(&keyless); });
    QToolButton numbered;
    numbered.setProperty("Key", 1);
    form.runHandler([&] { form.Toolbar1_ButtonClick(&numbered); });
    form.runHandler([&] { form.Toolbar1_ButtonClick(nullptr); });
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(form.width(), 521);
    EXPECT_EQ(form.height(), 490);
    EXPECT_TRUE(reports.isEmpty());
}

}  // namespace
