#include "player/folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>

#include "app/handler_failure.h"

namespace fs = std::filesystem;

namespace {

QString reasonText(const std::error_code& error)
{
    QString reason;
    switch (error.value()) {
    case ENOENT: reason = QStringLiteral("文件夹不存在"); break;
    case ENOTDIR: reason = QStringLiteral("不是文件夹"); break;
    case EACCES:
    case EPERM: reason = QStringLiteral("没有读取权限"); break;
    case EIO:
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESTALE:
    case ENOTCONN: reason = QStringLiteral("设备未就绪或已断开"); break;
    default: reason = QStringLiteral("无法读取"); break;
    }
    return reason + QStringLiteral("（") + QString::fromStdString(error.message()) + QStringLiteral("）");
}

[[noreturn]] void failToRead(const QString& path, const std::error_code& error)
{
    throw ViewerError(QStringLiteral("无法读取文件夹“%1”：%2").arg(path, reasonText(error)));
}

}  // namespace

FolderListing readFolder(const QString& path)
{
    std::error_code error;
    const fs::path folder(QFile::encodeName(path).toStdString());
    fs::directory_iterator entries(folder, error);
    if (error)
        failToRead(path, error);

    FolderListing listing;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error)
            failToRead(path, error);
        const QString name = QFile::decodeName(QByteArray::fromStdString(entries->path().filename().native()));
        if (name.startsWith(QLatin1Char('.')))
            continue;
        std::error_code statusError;
        const fs::file_status status = entries->status(statusError);  // follows symbolic links
        if (statusError)
            continue;  // a dangling link or an entry gone since the folder was opened
        if (fs::is_directory(status))
            listing.folders.push_back(name);
        else if (fs::is_regular_file(status))
            listing.files.push_back(name);
    }
    if (error)
        failToRead(path, error);

    sortNames(listing.folders);
    sortNames(listing.files);
    return listing;
}

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

QString cleanFolderPath(const QString& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}
