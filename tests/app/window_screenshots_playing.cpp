// Saves a picture of the window in play mode with a movie playing (build/screenshots/playing.png):
// a movie made with the SWF writer, chosen in the file list as the user would.
#include <QDir>
#include <QTemporaryDir>

#include "form1_test_support.h"
#include "player/sample_movie.h"

namespace {

TEST(WindowScreenshots, SavesPlayModeWithAMoviePlaying)
{
    QTemporaryDir movies;
    ASSERT_TRUE(movies.isValid());
    const QString path = QDir(movies.path()).filePath(QStringLiteral("样片.swf"));
    ASSERT_TRUE(sample_movie::save(path, sample_movie::frameMovie(6, 12)));

    Form1 form;
    form.Form_Load();
    form.File1->setPath(movies.path());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Timer1_Timer();  // the banner's first tick
    form.File1->setCurrentRow(0);
    form.runHandler([&form] { form.File1_Click(); });
    ASSERT_TRUE(waitUntil([&] { return form.width() == 521; }));
    QTest::qWait(300);  // a few frames on

    EXPECT_FALSE(form.ShockwaveFlash1->unplayable());
    const QImage playing = form.grab().toImage();
    EXPECT_EQ(playing.size(), QSize(521, 490));
    const QDir out(QStringLiteral(VANTORO_SCREENSHOT_DIR));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    ASSERT_TRUE(playing.save(out.filePath(QStringLiteral("playing.png"))));
}

}  // namespace
