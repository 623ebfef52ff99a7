// File1_Click: what a click on a movie does to the picture, the player, the caption and the
// window, in which order, and what happens when the movie cannot be played.
#include "player/file_list_box.h"
#include "player_form_fixture.h"
#include "recording_dispatch.h"

namespace {

const QString kCaptionLead = QStringLiteral("当前放映的动画是");

TEST_F(PlayerForm, ClickSetsPlayingThenTheMovieBetweenTheWindowSteps)
{
    showForm();
    RecordingDispatch recorder(form.ShockwaveFlash1);
    struct Moment {
        bool pictureHidden;
        bool playerShown;
        QString caption;
        int width;
        bool operator==(const Moment&) const = default;
    };
    std::vector<Moment> moments;
    recorder.onCall = [&](const DispatchCall&) {
        moments.push_back({form.Image1->isHidden(), form.ShockwaveFlash1->isVisible(), form.lblFilename->text(), form.width()});
    };
    form.ShockwaveFlash1->setDispatchTarget(&recorder);

    clickFile("clip.swf");

    const QString path = moviePath("clip.swf");
    EXPECT_EQ(recorder.calls, (std::vector<DispatchCall>{put(125, -1), put(102, path)}));
    EXPECT_EQ(recorder.calls.at(0).arguments.at(0).typeId(), QMetaType::Int);
    EXPECT_EQ(recorder.calls.at(1).arguments.at(0).typeId(), QMetaType::QString);
    // Picture hidden and player shown before the player is called; caption and mode after.
    const Moment before{true, true, QString(), 645};
    EXPECT_EQ(moments, (std::vector<Moment>{before, before}));
    EXPECT_EQ(form.lblFilename->text(), kCaptionLead + path);
    EXPECT_EQ(form.width(), 521);
    EXPECT_EQ(form.height(), 490);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PlayerForm, ClickPlaysTheMovieInPlayMode)
{
    showForm();
    clickFile("其他 动画.swf");
    ASSERT_TRUE(waitUntil([&] { return form.width() == 521; }));
    // The name goes to the player as the list shows it: no quoting, no conversion.
    EXPECT_EQ(engine->loads, std::vector<QString>{moviePath("其他 动画.swf")});
    EXPECT_TRUE(engine->playing);
    EXPECT_TRUE(form.Image1->isHidden());
    EXPECT_TRUE(form.ShockwaveFlash1->isVisible());
    EXPECT_EQ(form.lblFilename->text(), kCaptionLead + moviePath("其他 动画.swf"));
    EXPECT_EQ(shownColour(), FakeEngine::colourOf(1));
    // The player covers the caption.
    EXPECT_EQ(controlAt(form.lblFilename->geometry().center()), form.ShockwaveFlash1);
    EXPECT_FALSE(form.ShockwaveFlash1->unplayable());
}

TEST_F(PlayerForm, EveryClickLoadsTheMovieAfresh)
{
    showForm();
    clickFile("clip.swf");
    form.ShockwaveFlash1->Stop();
    form.ShockwaveFlash1->Forward();
    form.ShockwaveFlash1->Forward();
    form.applyBrowseMode();
    ASSERT_EQ(engine->frame, 3);

    clickFile("clip.swf");
    EXPECT_EQ(engine->loads, (std::vector<QString>{moviePath("clip.swf"), moviePath("clip.swf")}));
    EXPECT_EQ(engine->frame, 1);
    EXPECT_TRUE(engine->playing);
    EXPECT_EQ(form.width(), 521);

    form.applyBrowseMode();
    clickFile("其他 动画.swf");
    EXPECT_EQ(engine->loads.back(), moviePath("其他 动画.swf"));
    EXPECT_EQ(form.lblFilename->text(), kCaptionLead + moviePath("其他 动画.swf"));
    EXPECT_TRUE(form.Image1->isHidden());
}

TEST_F(PlayerForm, SeparatorIsAddedEvenAfterAFolderEndingInOne)
{
    form.File1->setPath(QStringLiteral("/"));
    // As if the root folder held a movie: the list reports the name, the path is built from it.
    form.File1->addItem(QStringLiteral("clip.swf"));
    form.File1->setCurrentRow(form.File1->count() - 1);
    form.runHandler([this] { form.File1_Click(); });
    EXPECT_EQ(engine->loads, std::vector<QString>{QStringLiteral("//clip.swf")});
    EXPECT_EQ(form.lblFilename->text(), kCaptionLead + QStringLiteral("//clip.swf"));
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PlayerForm, MovieThatCannotBePlayedShowsWhyAndTheWindowGoesOn)
{
    showForm();
    engine->damaged.insert(moviePath("broken.swf"));
    clickFile("broken.swf");

    EXPECT_TRUE(reports.isEmpty());
    ASSERT_TRUE(form.ShockwaveFlash1->unplayable());
    EXPECT_EQ(form.ShockwaveFlash1->unplayable()->headline, QStringLiteral("无法播放此动画"));
    // The handler went on with its last steps.
    EXPECT_EQ(form.lblFilename->text(), kCaptionLead + moviePath("broken.swf"));
    EXPECT_EQ(form.width(), 521);

    // The toolbar and the chooser still work, and the next movie plays.
    form.toolbarButtons[5]->click();  // browse
    EXPECT_EQ(form.width(), 645);
    form.toolbarButtons[0]->click();  // Start: nothing to play, but the mode changes
    EXPECT_EQ(form.width(), 521);
    form.applyBrowseMode();
    clickFile("clip.swf");
    EXPECT_FALSE(form.ShockwaveFlash1->unplayable());
    EXPECT_TRUE(engine->playing);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(PlayerForm, FailingPlayerCallEndsTheClickThereAndIsReported)
{
    RecordingDispatch recorder(form.ShockwaveFlash1);
    recorder.failing = {102};
    form.ShockwaveFlash1->setDispatchTarget(&recorder);
    showForm();
    clickFile("clip.swf");

    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.front(), QStringLiteral("player call 102 failed"));
    // Earlier steps stay done; the caption and the mode are not reached.
    EXPECT_TRUE(form.Image1->isHidden());
    EXPECT_TRUE(form.ShockwaveFlash1->isVisible());
    EXPECT_TRUE(form.lblFilename->text().isEmpty());
    EXPECT_EQ(form.width(), 645);
}

}  // namespace
