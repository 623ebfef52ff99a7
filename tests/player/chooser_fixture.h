#pragma once
// A folder tree for chooser tests:
//   root/  A.SWF b.swf c.Swf 中文动画.swf "空格 名字.swf" notes.txt x.swf.bak .hidden.swf
//          movies.swf/ (a folder)  empty/  "子 文件夹"/inner.swf
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/qstring_printer.h"
inline void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

// A double-click as a user makes it: press, release, then the second press arriving as a
// double-click, and its release. (QTest::mouseDClick alone sends only the double-click event.)
inline void doubleClickAt(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

class MovieTree {
public:
    MovieTree()
    {
        const QDir dir(root());
        for (const char* name : {"A.SWF", "b.swf", "c.Swf", "中文动画.swf", "空格 名字.swf", "notes.txt", "x.swf.bak", ".hidden.swf"})
            touch(dir.filePath(QString::fromUtf8(name)));
        for (const char* name : {"movies.swf", "empty", "子 文件夹"})
            dir.mkdir(QString::fromUtf8(name));
        touch(sub() + QStringLiteral("/inner.swf"));
    }

    QString root() const { return temp_.path(); }
    QString path(const char* name) const { return root() + QLatin1Char('/') + QString::fromUtf8(name); }
    QString sub() const { return path("子 文件夹"); }

    // The .swf files of root() in the order the file list shows them.
    static QStringList rootMovies()
    {
        return {QStringLiteral("A.SWF"), QStringLiteral("b.swf"), QStringLiteral("c.Swf"),
                QStringLiteral("中文动画.swf"), QStringLiteral("空格 名字.swf")};
    }
    static QStringList rootFolders()
    {
        return {QStringLiteral("empty"), QStringLiteral("movies.swf"), QStringLiteral("子 文件夹")};
    }

private:
    QTemporaryDir temp_;
};
