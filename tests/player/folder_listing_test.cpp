#include <QFileInfo>
#include <QStorageInfo>

#include "app/handler_failure.h"
#include "chooser_fixture.h"
#include "player/folder_listing.h"
#include "player/volumes.h"

namespace {

TEST(ReadFolder, ListsVisibleFoldersAndFilesSortedIgnoringCase)
{
    MovieTree tree;
    QFile::link(tree.path("gone"), tree.path("dangling.swf"));
    QFile::link(tree.path("b.swf"), tree.path("link.swf"));
    const FolderListing listing = readFolder(tree.root());
    EXPECT_EQ(listing.folders, MovieTree::rootFolders());
    EXPECT_EQ(listing.files, (QStringList{"A.SWF", "b.swf", "c.Swf", "link.swf", "notes.txt", "x.swf.bak",
                                          "中文动画.swf", "空格 名字.swf"}));
}

TEST(ReadFolder, NamesTheFolderAndTheReasonWhenItCannotBeListed)
{
    MovieTree tree;
    const QString gone = tree.path("empty");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    try {
        readFolder(gone);
        FAIL() << "a deleted folder was listed";
    } catch (const ViewerError& failure) {
        const QString message = failureMessage(failure);
        EXPECT_TRUE(message.contains(gone)) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("不存在"))) << message.toStdString();
    }
    try {
        readFolder(tree.path("notes.txt"));
        FAIL() << "a file was listed as a folder";
    } catch (const ViewerError& failure) {
        EXPECT_TRUE(failureMessage(failure).contains(QStringLiteral("不是文件夹")));
    }
}

TEST(SortNames, IgnoresCaseAndIsStable)
{
    QStringList names{"b", "B", "a", "C", "中", "10", "1"};
    sortNames(names);
    EXPECT_EQ(names, (QStringList{"1", "10", "a", "B", "b", "C", "中"}));
}

TEST(CleanFolderPath, AbsoluteWithoutDotsOrTrailingSeparator)
{
    EXPECT_EQ(cleanFolderPath(QStringLiteral("/a/b/../c/")), QStringLiteral("/a/c"));
    EXPECT_EQ(cleanFolderPath(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(cleanFolderPath(QStringLiteral("x")), QDir::currentPath() + QStringLiteral("/x"));
}

TEST(Volumes, RootFirstThenRealFileSystemFolders)
{
    const QList<Volume> volumes = mountedVolumes();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes.front().rootPath, QStringLiteral("/"));
    QStringList seen;
    for (const Volume& volume : volumes) {
        SCOPED_TRACE(volume.rootPath.toStdString());
        EXPECT_FALSE(seen.contains(volume.rootPath));
        seen << volume.rootPath;
        EXPECT_TRUE(QFileInfo(volume.rootPath).isDir());
        for (const char* area : {"/proc", "/sys", "/dev"})
            EXPECT_FALSE(volume.rootPath != "/" && pathIsUnder(volume.rootPath, QString::fromLatin1(area)));
        const QByteArray type = QStorageInfo(volume.rootPath).fileSystemType();
        if (volume.rootPath != "/") {
            for (const char* pseudo : {"proc", "sysfs", "tmpfs", "devpts", "cgroup", "cgroup2", "overlay"})
                EXPECT_NE(type, pseudo);
        }
    }
}

TEST(Volumes, RootOfAPathIsTheMountItLiesUnder)
{
    EXPECT_EQ(volumeRootOf(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(volumeRootOf(QStringLiteral("/no/such/folder/anywhere")), QStringLiteral("/"));
    MovieTree tree;
    EXPECT_TRUE(pathIsUnder(tree.root(), volumeRootOf(tree.root())));

    EXPECT_TRUE(pathIsUnder(QStringLiteral("/a/b"), QStringLiteral("/a/b")));
    EXPECT_TRUE(pathIsUnder(QStringLiteral("/a/b/c"), QStringLiteral("/a/b")));
    EXPECT_FALSE(pathIsUnder(QStringLiteral("/a/bc"), QStringLiteral("/a/b")));
    EXPECT_TRUE(pathIsUnder(QStringLiteral("/x"), QStringLiteral("/")));
}

}  // namespace
