// The chooser chain in the window: drive list -> folder list -> file list, its starting state,
// and what happens when a drive or folder cannot be read.
#include <QSignalSpy>

#include "app/form1_test_support.h"
#include "chooser_fixture.h"
#include "player/dir_list_box.h"
#include "player/drive_list_box.h"
#include "player/file_list_box.h"
#include "player/volumes.h"

namespace {

QStringList texts(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

class ChooserTest : public FormTest {
protected:
    void chooseDrive(const QString& root)
    {
        const int index = form.Drive1->findData(root);
        ASSERT_GE(index, 0);
        form.Drive1->setCurrentIndex(index);
    }

    void doubleClickFolder(const QString& name)
    {
        const QList<QListWidgetItem*> found = form.Dir1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        form.Dir1->scrollToItem(found.front());
        doubleClickAt(form.Dir1->viewport(), form.Dir1->visualItemRect(found.front()).center());
    }

    MovieTree tree;
};

TEST(FolderChooserStart, ListsStartAtTheProcessCurrentFolder)
{
    MovieTree tree;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.root()));
    Form1 form;
    QDir::setCurrent(previous);

    EXPECT_EQ(form.Drive1->Drive(), volumeRootOf(tree.root()));
    EXPECT_EQ(form.Dir1->Path(), tree.root());
    EXPECT_EQ(form.File1->Path(), tree.root());
    EXPECT_EQ(texts(*form.File1), MovieTree::rootMovies());
}

TEST_F(ChooserTest, ChoosingADriveMovesTheFolderAndFileLists)
{
    MovieTree other;
    form.Drive1->setVolumes({{QStringLiteral("/"), {}}, {tree.root(), {}}, {other.root(), {}}});
    chooseDrive(tree.root());
    EXPECT_EQ(form.Dir1->Path(), tree.root());
    EXPECT_EQ(form.File1->Path(), tree.root());
    EXPECT_EQ(texts(*form.File1), MovieTree::rootMovies());

    chooseDrive(other.root());
    EXPECT_EQ(form.Dir1->Path(), other.root());
    EXPECT_EQ(texts(*form.File1), MovieTree::rootMovies());
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(ChooserTest, OpeningFoldersMovesTheFileList)
{
    form.Form_Load();
    showForm();
    form.Dir1->setPath(tree.root());
    EXPECT_EQ(form.File1->Path(), tree.root());

    doubleClickFolder(QStringLiteral("子 文件夹"));
    EXPECT_EQ(form.Dir1->Path(), tree.sub());
    EXPECT_EQ(form.File1->Path(), tree.sub());
    EXPECT_EQ(texts(*form.File1), QStringList{QStringLiteral("inner.swf")});

    // A folder named like a movie is a folder, and one without movies lists nothing.
    doubleClickFolder(QFileInfo(tree.root()).fileName());
    doubleClickFolder(QStringLiteral("movies.swf"));
    EXPECT_EQ(form.File1->count(), 0);
    EXPECT_FALSE(texts(*form.File1).contains(QStringLiteral("movies.swf")));
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(ChooserTest, ADriveThatCannotBeReadChangesOnlyTheDriveListSilently)
{
    MovieTree readable;
    const QString gone = tree.path("empty");
    form.Drive1->setVolumes({{readable.root(), {}}, {gone, {}}, {tree.root(), {}}});
    form.Drive1->setCurrentIndex(2);
    chooseDrive(readable.root());
    const QStringList filesBefore = texts(*form.File1);
    ASSERT_TRUE(QDir(gone).removeRecursively());

    chooseDrive(gone);
    EXPECT_EQ(form.Drive1->Drive(), gone);
    EXPECT_EQ(form.Dir1->Path(), readable.root());
    EXPECT_EQ(form.File1->Path(), readable.root());
    EXPECT_EQ(texts(*form.File1), filesBefore);
    EXPECT_TRUE(reports.isEmpty());

    // A readable drive brings the three lists together again.
    chooseDrive(tree.root());
    EXPECT_EQ(form.Dir1->Path(), tree.root());
    EXPECT_EQ(form.File1->Path(), tree.root());
}

TEST_F(ChooserTest, OpeningAVanishedFolderIsReportedAndTheWindowGoesOn)
{
    form.Form_Load();
    showForm();
    form.Dir1->setPath(tree.root());
    const QStringList foldersBefore = texts(*form.Dir1);
    const QString gone = tree.path("empty");
    ASSERT_TRUE(QDir(gone).removeRecursively());

    doubleClickFolder(QStringLiteral("empty"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.front().contains(gone)) << reports.front().toStdString();
    EXPECT_TRUE(reports.front().contains(QStringLiteral("不存在"))) << reports.front().toStdString();
    EXPECT_EQ(form.Dir1->Path(), tree.root());
    EXPECT_EQ(texts(*form.Dir1), foldersBefore);
    EXPECT_EQ(form.File1->Path(), tree.root());

    doubleClickFolder(QStringLiteral("子 文件夹"));
    EXPECT_EQ(form.File1->Path(), tree.sub());
    EXPECT_EQ(reports.size(), 1);
}

TEST_F(ChooserTest, DirChangeStopsWhereTheFileListCannotFollow)
{
    form.Dir1->setPath(tree.root());
    const QStringList filesBefore = texts(*form.File1);
    ASSERT_TRUE(QDir(tree.root()).removeRecursively());

    emit form.Dir1->changed();  // as if the folder list had moved to the vanished folder
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.front().contains(tree.root()));
    EXPECT_EQ(form.File1->Path(), tree.root());
    EXPECT_EQ(texts(*form.File1), filesBefore);
}

TEST_F(ChooserTest, ListsNeverReadTheirFolderAgainOnTheirOwn)
{
    form.Dir1->setPath(tree.root());
    touch(tree.path("new.swf"));
    QDir(tree.root()).mkdir(QStringLiteral("new folder"));
    QTest::qWait(50);
    EXPECT_EQ(texts(*form.File1), MovieTree::rootMovies());
    EXPECT_TRUE(form.Dir1->findItems(QStringLiteral("new folder"), Qt::MatchExactly).isEmpty());

    // Until the folder list moves there again.
    form.Dir1->setPath(tree.sub());
    form.Dir1->setPath(tree.root());
    EXPECT_TRUE(texts(*form.File1).contains(QStringLiteral("new.swf")));
}

TEST_F(ChooserTest, ChooserKeepsItsStateAcrossModeChanges)
{
    form.Form_Load();
    form.Dir1->setPath(tree.sub());
    form.File1->setCurrentRow(0);
    const QString drive = form.Drive1->Drive();
    form.applyPlayMode();
    form.applyBrowseMode();
    EXPECT_EQ(form.Drive1->Drive(), drive);
    EXPECT_EQ(form.Dir1->Path(), tree.sub());
    EXPECT_EQ(form.File1->FileName(), QStringLiteral("inner.swf"));
}

}  // namespace
