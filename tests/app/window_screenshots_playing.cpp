// Saves a picture of the window in play mode with a movie playing (build/screenshots/playing.png):
// one of the sample movies, copied under a Chinese name and chosen in the file list as the user would.
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "form1_test_support.h"

namespace {

TEST(WindowScreenshots, SavesPlayModeWithAMoviePlaying)
{
    QTemporaryDir movies;
    ASSERT_TRUE(movies.isValid());
    const QString path = QDir(movies.path()).filePath(QStringLiteral("样片.swf"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VANTORO_SOURCE_DIR "/samples/gradient_night.swf"), path));

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
    // The movie is drawn, not only its background: the player's area holds many colours.
    const QImage area = form.ShockwaveFlash1->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < area.height(); y += 4)
        for (int x = 0; x < area.width(); x += 4)
            colours.insert(area.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
    const QDir out(QStringLiteral(VANTORO_SCREENSHOT_DIR));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    ASSERT_TRUE(playing.save(out.filePath(QStringLiteral("playing.png"))));
}

}  // namespace
