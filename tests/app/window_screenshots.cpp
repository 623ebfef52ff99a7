// Saves pictures of the window in browse mode and in play mode to the build's screenshots
// folder, grabbed offscreen, so that the window can be looked at without a display. The chooser
// is pointed at a folder of movies whose names have spaces and Chinese characters. The last
// picture, unplayable.png, shows the player's message for a movie that cannot be played.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "form1_test_support.h"

namespace {

TEST(WindowScreenshots, SavesBrowseAndPlayMode)
{
    QTemporaryDir movies;
    ASSERT_TRUE(movies.isValid());
    for (const char* name : {"春节 贺卡.swf", "clock.SWF", "game.swf", "readme.txt"}) {
        QFile file(QDir(movies.path()).filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(movies.path()).mkdir(QStringLiteral("动画 收藏")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(movies.path()));

    Form1 form;
    QDir::setCurrent(previous);
    form.Form_Load();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Timer1_Timer();  // the banner's first tick, a second after loading: frame 0

    const QDir out(QStringLiteral(VANTORO_SCREENSHOT_DIR));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));

    const QImage browse = form.grab().toImage();
    EXPECT_EQ(browse.size(), QSize(645, 490));
    ASSERT_TRUE(browse.save(out.filePath(QStringLiteral("browse.png"))));

    form.applyPlayMode();
    ASSERT_TRUE(waitUntil([&] { return form.width() == 521; }));
    const QImage play = form.grab().toImage();
    EXPECT_EQ(play.size(), QSize(521, 490));
    ASSERT_TRUE(play.save(out.filePath(QStringLiteral("play.png"))));

    // An empty file cannot be played: the player says so in its area.
    form.File1->setCurrentRow(form.File1->count() - 1);
    form.runHandler([&form] { form.File1_Click(); });
    ASSERT_TRUE(form.ShockwaveFlash1->unplayable());
    ASSERT_TRUE(form.grab().toImage().save(out.filePath(QStringLiteral("unplayable.png"))));
}

}  // namespace
