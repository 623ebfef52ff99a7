// The window with the real engine in its player, on movies made with the SWF writer: what a
// click in the file list and each toolbar button do to the frame shown, a second click, and
// movies that cannot be played.
#include <QFile>
#include <QToolButton>

#include "app/form1_test_support.h"
#include "chooser_fixture.h"
#include "sample_movie.h"

namespace {

constexpr int kFrames = 6;

class EnginePlayback : public FormTest {
protected:
    EnginePlayback()
    {
            EXPECT_TRUE(sample_movie::save(moviePath("frames.swf"), sample_movie::frameMovie(kFrames, 20)));
        // Compressed, but the compressed stream is noise.
        EXPECT_TRUE(sample_movie::save(moviePath("damaged.swf"), {'C', 'W', 'S', 8, 200, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
        QFile notes(moviePath("notes.swf"));
        EXPECT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("a text file with the wrong name\n");
        notes.close();
        touch(moviePath("gone.swf"));
        form.Form_Load();
        form.File1->setPath(movies.path());
        QFile::remove(moviePath("gone.swf"));  // listed, then deleted before it is clicked
    }

    QString moviePath(const char* name) const { return movies.path() + QLatin1Char('/') + QString::fromUtf8(name); }

    void clickFile(const char* name)
    {
        const QList<QListWidgetItem*> found = form.File1->findItems(QString::fromUtf8(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        form.File1->scrollToItem(found.front());
        QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, {}, form.File1->visualItemRect(found.front()).center());
    }

    void press(const char* key)
    {
        for (QToolButton* button : form.toolbarButtons) {
            if (button->property("Key").toString() == QLatin1String(key))
                return button->click();
        }
        ADD_FAILURE() << "no button " << key;
    }

    // Where a stage point lies in the player's picture: the stage fitted whole and centred.
    QPoint inView(QPointF stagePoint) const
    {
        const QSizeF view = form.ShockwaveFlash1->size();
        const double scale = std::min(view.width() / sample_movie::kStageWidth, view.height() / sample_movie::kStageHeight);
        const QPointF offset((view.width() - sample_movie::kStageWidth * scale) / 2,
                             (view.height() - sample_movie::kStageHeight * scale) / 2);
        return (offset + stagePoint * scale).toPoint();
    }

    // The number of the frame the player shows, told by its colour; 0 for none of them.
    int frameShown() const
    {
        const QImage& shown = form.ShockwaveFlash1->shownFrame();
        if (shown.isNull())
            return 0;
        const QColor seen = shown.pixelColor(inView(sample_movie::colourProbe));
        for (int frame = 1; frame <= kFrames; ++frame) {
            const QColor expected(sample_movie::frameColour(frame));
            if (std::abs(seen.red() - expected.red()) + std::abs(seen.green() - expected.green()) +
                    std::abs(seen.blue() - expected.blue()) < 12)
                return frame;
        }
        return 0;
    }

    QTemporaryDir movies;
};

TEST_F(EnginePlayback, ClickShowsThePlayerPlayingTheMovieInPlayMode)
{
    showForm();
    clickFile("frames.swf");

    EXPECT_TRUE(form.Image1->isHidden());
    EXPECT_TRUE(form.ShockwaveFlash1->isVisible());
    EXPECT_EQ(form.lblFilename->text(), QStringLiteral("当前放映的动画是") + moviePath("frames.swf"));
    EXPECT_EQ(form.width(), 521);
    EXPECT_FALSE(form.ShockwaveFlash1->unplayable());
    EXPECT_TRUE(form.ShockwaveFlash1->engine()->isPlaying());
    EXPECT_EQ(frameShown(), 1);
    // It plays on by itself.
    EXPECT_TRUE(waitUntil([&] { return frameShown() > 1; }));
    // The whole stage shows, centred; the bands above and below it are the movie's background.
    const QImage& shown = form.ShockwaveFlash1->shownFrame();
    EXPECT_EQ(shown.pixel(inView({200, 0}) - QPoint(0, 10)), sample_movie::kBackground);
    EXPECT_EQ(shown.pixel(inView({200, 200}) + QPoint(0, 10)), sample_movie::kBackground);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(EnginePlayback, ToolbarButtonsDoToTheFrameShownWhatTheirNamesSay)
{
    showForm();
    clickFile("frames.swf");
    ASSERT_TRUE(waitUntil([&] { return frameShown() > 1; }));

    press("stop");
    const int stoppedAt = frameShown();
    ASSERT_GT(stoppedAt, 0);
    QTest::qWait(250);  // five frames' time
    EXPECT_EQ(frameShown(), stoppedAt);

    press("restart");  // back to the first frame, and playing
    EXPECT_EQ(frameShown(), 1);
    EXPECT_TRUE(waitUntil([&] { return frameShown() > 1; }));
    press("restart");
    press("stop");
    EXPECT_EQ(frameShown(), 1);
    press("forward");
    EXPECT_EQ(frameShown(), 2);
    press("forward");
    EXPECT_EQ(frameShown(), 3);
    press("back");
    EXPECT_EQ(frameShown(), 2);
    QTest::qWait(150);
    EXPECT_EQ(frameShown(), 2);  // a step halts the movie

    press("Start");
    EXPECT_TRUE(waitUntil([&] { return frameShown() != 2; }));
    EXPECT_TRUE(form.ShockwaveFlash1->engine()->isPlaying());

    // Browse only widens the window: the movie plays on.
    press("browse");
    EXPECT_EQ(form.width(), 645);
    const int before = frameShown();
    EXPECT_TRUE(waitUntil([&] { return frameShown() != before; }));
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(EnginePlayback, SecondClickLoadsTheMovieAgainFromItsFirstFrame)
{
    showForm();
    clickFile("frames.swf");
    press("restart");
    press("stop");
    press("forward");
    press("forward");
    ASSERT_EQ(frameShown(), 3);
    press("browse");

    clickFile("frames.swf");
    EXPECT_EQ(frameShown(), 1);
    EXPECT_TRUE(form.ShockwaveFlash1->engine()->isPlaying());
    EXPECT_EQ(form.width(), 521);
}

TEST_F(EnginePlayback, MoviesThatCannotBePlayedShowWhyAndTheWindowGoesOn)
{
    showForm();
    struct Case {
        const char* file;
        const char* problem;  // empty: any explanation will do
    };
    for (const Case& c : {Case{"damaged.swf", ""}, Case{"notes.swf", "这不是 Flash 动画文件。"},
                          Case{"gone.swf", "文件不存在或无法读取。"}}) {
        SCOPED_TRACE(c.file);
        press("browse");
        clickFile(c.file);
        const auto& unplayable = form.ShockwaveFlash1->unplayable();
        ASSERT_TRUE(unplayable);
        EXPECT_EQ(unplayable->headline, QStringLiteral("无法播放此动画"));
        if (*c.problem) {
            EXPECT_EQ(unplayable->problem, QString::fromUtf8(c.problem));
        }
        EXPECT_FALSE(unplayable->reason.isEmpty());  // the engine's own words
        EXPECT_EQ(form.lblFilename->text(), QStringLiteral("当前放映的动画是") + moviePath(c.file));
        EXPECT_EQ(form.width(), 521);
        for (const char* key : {"Start", "back", "forward", "stop", "restart"})
            press(key);
        EXPECT_EQ(frameShown(), 0);
    }

    press("browse");
    clickFile("frames.swf");
    EXPECT_FALSE(form.ShockwaveFlash1->unplayable());
    EXPECT_EQ(frameShown(), 1);
    EXPECT_TRUE(reports.isEmpty());
}

}  // namespace
