// The three chooser lists on their own: what they show and how they answer mouse and keys.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "chooser_fixture.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"

namespace {

QStringList texts(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

void showList(QWidget& list)
{
    list.resize(200, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
}

TEST(FileListBox, ListsOnlyMatchingFilesInAnyLetterCase)
{
    MovieTree tree;
    FileListBox files;
    files.setPattern(QStringLiteral("*.swf"));
    files.setPath(tree.root() + QStringLiteral("/."));
    EXPECT_EQ(files.Path(), tree.root());
    EXPECT_EQ(texts(files), MovieTree::rootMovies());
    EXPECT_TRUE(files.FileName().isEmpty());

    files.setPath(tree.path("empty"));
    EXPECT_EQ(files.count(), 0);
}

TEST(FileListBox, ClickOrEnterIsAClickArrowsOnlyMoveTheSelection)
{
    MovieTree tree;
    FileListBox files;
    files.setPattern(QStringLiteral("*.swf"));
    files.setPath(tree.root());
    showList(files);
    QSignalSpy clicks(&files, &FileListBox::clicked);

    // Enter with nothing selected is not a click.
    QTest::keyClick(&files, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 0);

    QListWidgetItem* third = files.item(2);
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, files.visualItemRect(third).center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(files.FileName(), QStringLiteral("c.Swf"));

    QTest::keyClick(&files, Qt::Key_Down);
    QTest::keyClick(&files, Qt::Key_Up);
    QTest::keyClick(&files, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(files.FileName(), QStringLiteral("中文动画.swf"));

    QTest::keyClick(&files, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(&files, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(files.FileName(), QStringLiteral("中文动画.swf"));
}

TEST(DirListBox, ShowsAncestorsThenSubfoldersWithTheCurrentFolderSelected)
{
    MovieTree tree;
    DirListBox dirs;
    QSignalSpy changes(&dirs, &DirListBox::changed);
    dirs.setPath(tree.root());
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(dirs.Path(), tree.root());

    // Ancestors: every step from the volume root down to the folder itself.
    QStringList ancestors;
    for (QString step = tree.root();; step = QFileInfo(step).path()) {
        ancestors.prepend(step);
        if (step == QStringLiteral("/"))
            break;
    }
    const QStringList subfolders = MovieTree::rootFolders();
    ASSERT_EQ(dirs.count(), ancestors.size() + subfolders.size());
    for (int i = 0; i < ancestors.size(); ++i)
        EXPECT_EQ(DirListBox::entryPath(dirs.item(i)), ancestors[i]);
    EXPECT_EQ(dirs.item(0)->text(), QStringLiteral("/"));
    EXPECT_EQ(dirs.currentRow(), ancestors.size() - 1);
    EXPECT_EQ(dirs.currentItem()->text(), QFileInfo(tree.root()).fileName());
    for (int i = 0; i < subfolders.size(); ++i) {
        EXPECT_EQ(dirs.item(ancestors.size() + i)->text(), subfolders[i]);
        EXPECT_EQ(DirListBox::entryPath(dirs.item(ancestors.size() + i)), tree.path(subfolders[i].toUtf8().constData()));
    }

    // Setting the folder it already shows is no change.
    dirs.setPath(tree.root() + QStringLiteral("/"));
    EXPECT_EQ(changes.count(), 1);
}

TEST(DirListBox, DoubleClickOrEnterOpensSingleClickOnlySelects)
{
    MovieTree tree;
    DirListBox dirs;
    dirs.setPath(tree.root());
    showList(dirs);
    QSignalSpy changes(&dirs, &DirListBox::changed);
    const auto entry = [&](const QString& text) {
        const QList<QListWidgetItem*> found = dirs.findItems(text, Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << text.toStdString();
        dirs.scrollToItem(found.front());
        return found.front();
    };

    QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, dirs.visualItemRect(entry(QStringLiteral("empty"))).center());
    EXPECT_EQ(dirs.Path(), tree.root());
    EXPECT_EQ(changes.count(), 0);

    doubleClickAt(dirs.viewport(), dirs.visualItemRect(entry(QStringLiteral("子 文件夹"))).center());
    EXPECT_EQ(dirs.Path(), tree.sub());
    EXPECT_EQ(changes.count(), 1);

    // Up one level with the keyboard: select the parent, then Enter.
    dirs.setCurrentItem(entry(QFileInfo(tree.root()).fileName()));
    EXPECT_EQ(dirs.Path(), tree.sub());
    QTest::keyClick(&dirs, Qt::Key_Return);
    EXPECT_EQ(dirs.Path(), tree.root());
    EXPECT_EQ(changes.count(), 2);
}

TEST(DriveListBox, ListsVolumesAndSignalsEveryChangeOfDrive)
{
    DriveListBox drives;
    ASSERT_GE(drives.count(), 1);
    EXPECT_EQ(drives.itemData(0).toString(), QStringLiteral("/"));

    MovieTree a;
    MovieTree b;
    drives.setVolumes({{a.root(), {}}, {b.root(), QStringLiteral("备份")}});
    EXPECT_EQ(drives.Drive(), a.root());
    EXPECT_EQ(drives.itemText(1), b.root() + QStringLiteral(" [备份]"));

    QSignalSpy changes(&drives, &DriveListBox::changed);
    drives.setCurrentIndex(1);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(drives.Drive(), b.root());

    // Re-listing keeps the chosen volume and signals nothing.
    drives.setVolumes({{QStringLiteral("/"), {}}, {b.root(), {}}});
    EXPECT_EQ(drives.Drive(), b.root());
    EXPECT_EQ(changes.count(), 1);

    // The starting state shows the drive of a folder, added if the list left it out.
    drives.setVolumes({{a.root(), {}}});
    drives.showDriveOf(QStringLiteral("/"));
    EXPECT_EQ(drives.Drive(), QStringLiteral("/"));
    EXPECT_EQ(drives.count(), 2);
    EXPECT_EQ(changes.count(), 1);
}

}  // namespace
