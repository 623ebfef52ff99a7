#include "player/volumes.h"

#include <algorithm>
#include <array>

#include <QFileInfo>
#include <QStorageInfo>

namespace {

bool isPseudoFileSystem(const QByteArray& type)
{
    static constexpr std::array<const char*, 22> kPseudo{
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2", "mqueue",
        "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs", "fusectl", "hugetlbfs",
        "autofs", "binfmt_misc", "rpc_pipefs", "nsfs", "overlay",
    };
    return type.isEmpty() || type == "squashfs"
           || std::any_of(kPseudo.begin(), kPseudo.end(), [&](const char* p) { return type == p; });
}

bool isSystemArea(const QString& root)
{
    for (const char* area : {"/proc", "/sys", "/dev"}) {
        if (pathIsUnder(root, QString::fromLatin1(area)))
            return true;
    }
    return false;
}

}  // namespace

bool pathIsUnder(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

QList<Volume> mountedVolumes()
{
    QList<Volume> volumes{{QStringLiteral("/"), {}}};
    QList<Volume> others;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const QString root = info.rootPath();
        if (!info.isValid() || root.isEmpty())
            continue;
        if (root == QLatin1String("/")) {
            volumes.front().label = info.name();
            continue;
        }
        if (isPseudoFileSystem(info.fileSystemType()) || isSystemArea(root) || !QFileInfo(root).isDir())
            continue;
        const bool seen = std::any_of(others.begin(), others.end(), [&](const Volume& v) { return v.rootPath == root; });
        if (!seen)
            others.push_back({root, info.name()});
    }
    std::sort(others.begin(), others.end(), [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    volumes.append(others);
    return volumes;
}

QString volumeRootOf(const QString& path)
{
    const QStorageInfo info(path);
    const QString root = info.isValid() ? info.rootPath() : QString();
    return !root.isEmpty() && pathIsUnder(path, root) ? root : QStringLiteral("/");
}
