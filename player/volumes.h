#pragma once
// The volumes the drive list offers: the mounted file systems a user keeps files on.

#include <QList>
#include <QString>

struct Volume {
    QString rootPath;  // where the volume is mounted; the drive list's Drive
    QString label;     // the file system's label, empty when it has none
};

// The root file system first, then the other mounted volumes that hold real file systems,
// sorted by root path. Kernel and memory file systems (proc, sysfs, tmpfs, cgroup, overlay
// layers and the like) and mounts of single files are left out.
QList<Volume> mountedVolumes();

// The root path of the volume that holds `path`: the mount point it lies under, or "/" when
// that cannot be told (the path does not exist, or it reaches its volume through a link).
QString volumeRootOf(const QString& path);

// True when `path` is `root` or lies under it.
bool pathIsUnder(const QString& path, const QString& root);
