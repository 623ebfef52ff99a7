#pragma once
// Reading one folder for the chooser lists: its subfolders and its files, each sorted by name
// with letter case ignored. Hidden entries (names starting with ".") are left out, as Linux file
// choosers do.

#include <QString>
#include <QStringList>

struct FolderListing {
    QStringList folders;
    QStringList files;
};

// Reads `path` (absolute). Throws ViewerError naming the folder and the reason when it cannot be
// listed: it does not exist, is not a folder, may not be read, or its volume went away.
FolderListing readFolder(const QString& path);

// The chooser's order of names: letter case ignored, ties broken by exact text so that the
// order is the same on every run.
void sortNames(QStringList& names);

// `path` as the lists keep it: absolute, without "." or ".." steps or a trailing separator
// (except for the root "/"). Symbolic links are kept as given.
QString cleanFolderPath(const QString& path);
