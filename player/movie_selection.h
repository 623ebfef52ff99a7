#pragma once
// Choosing a movie in the file list: the full path it is played from.

#include <QString>

class FileListBox;

// The file list's folder, "/" and its selected file name, joined as they stand. The separator
// is added even after a folder that already ends in one (the root "/"), which gives two in a
// row: a path the file system reads as the same file.
QString fullMoviePath(const FileListBox& list);
