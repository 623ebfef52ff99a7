// The committed picture files are exactly what resources/generator draws: a change to the
// drawings that was not regenerated, or a hand-edited file, fails here.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PictureGenerator, RedrawsTheCommittedFilesByteForByte)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(PICTURE_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(30000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    const QDir committed(QStringLiteral(VANTORO_SOURCE_DIR "/resources"));
    const QStringList drawn = QDir(out.filePath(QStringLiteral("pictures"))).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(drawn, QDir(committed.filePath(QStringLiteral("pictures"))).entryList(QDir::Files, QDir::Name));
    ASSERT_EQ(drawn.size(), 14);
    for (const QString& name : drawn) {
        const QString relative = QStringLiteral("pictures/") + name;
        EXPECT_TRUE(readAll(out.filePath(relative)) == readAll(committed.filePath(relative)))
            << relative.toStdString() << " differs from what the generator draws";
    }
    EXPECT_TRUE(readAll(out.filePath(QStringLiteral("desktop/vantoro.png"))) ==
                readAll(committed.filePath(QStringLiteral("desktop/vantoro.png"))));
}

} // namespace
